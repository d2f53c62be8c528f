# Shell functions shared by the scripts: build folders and the Wine session of the
# x86_64 build. Source it; it sets nothing until a function is called.
#   . "$root/scripts/common.sh"
#   build=$(build_dir win64 "${1:-}")      # the preset's folder, or the one given (made absolute)
#   ensure_built win64 "$build" Velloria    # configure once with the preset, then build targets
#   wine_session "$build"                   # prefix, display, wineserver and Wine's services
#   "$WINE" "$build/src/Velloria.exe"
# A session ends by itself when the script exits (wineserver ended, private Xvfb stopped).

velloria_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# build_dir PRESET [FOLDER]: the absolute build folder; relative folders are taken from
# the current directory, as a user typing them expects.
build_dir() {
  local preset=$1 folder=${2:-}
  [ -n "$folder" ] || folder=$velloria_root/build/$preset
  mkdir -p "$folder"
  (cd "$folder" && pwd)
}

# ensure_built PRESET FOLDER [TARGET...]: configures FOLDER with the preset's settings when
# it has no build files yet, then builds the targets (all without any).
ensure_built() {
  local preset=$1 folder=$2
  shift 2
  case $preset in
    win64) "$velloria_root/scripts/build-libpng-mingw.sh" x86_64-w64-mingw32 &&
      "$velloria_root/scripts/build-libjpeg-turbo.sh" x86_64-w64-mingw32 ;;
    win32) "$velloria_root/scripts/build-libpng-mingw.sh" i686-w64-mingw32 &&
      "$velloria_root/scripts/build-libjpeg-turbo.sh" i686-w64-mingw32 ;;
    native-i386) "$velloria_root/scripts/build-deps-i386.sh" &&
      "$velloria_root/scripts/build-libjpeg-turbo.sh" i386-linux ;;
  esac
  mkdir -p "$folder"
  if [ ! -f "$folder/build.ninja" ]; then
    (cd "$velloria_root" && cmake --preset "$preset" -B "$folder" >"$folder/configure.log" 2>&1) ||
      { cat "$folder/configure.log" >&2; return 1; }
  fi
  if [ $# -gt 0 ]; then
    cmake --build "$folder" --target "$@"
  else
    cmake --build "$folder"
  fi
}

# The 64-bit loader: the wine launcher prefers a 32-bit one whenever it is installed.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

# wine32_select: the 32-bit Wine of scripts/wine32-root.sh, with a 32-bit prefix and its
# own wineserver (the 64-bit one would make the prefix 64-bit, where the 32-bit loader
# finds no system DLLs).
wine32_select() {
  local wine_root
  wine_root=$("$velloria_root/scripts/wine32-root.sh") || return 1
  WINE=$wine_root/usr/lib/wine/wine
  WINESERVER=$wine_root/usr/lib/wine/wineserver32
  export WINEARCH=win32 WINESERVER
  export LD_LIBRARY_PATH=$wine_root/lib/i386-linux-gnu:$wine_root/usr/lib/i386-linux-gnu${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
}

# wine_environment FOLDER: one prefix per build folder, quiet, no Mono or Gecko prompts;
# the Wine that matches the folder's build (32-bit for the i686 one).
wine_environment() {
  if grep -q 'i686-w64-mingw32' "$1/CMakeCache.txt" 2>/dev/null; then
    wine32_select || return 1
  fi
  export WINEPREFIX=$1/wineprefix
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
}

# wine_display [GEOMETRY]: a private Xvfb display when none is set (default 1280x1024x24).
wine_display() {
  [ -z "${DISPLAY:-}" ] || return 0
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -nolisten tcp -screen 0 "${1:-1280x1024x24}" 3>"$number_file" >/dev/null 2>&1 &
  wine_xvfb=$!
  for _ in $(seq 1 100); do [ -s "$number_file" ] && break; sleep 0.1; done
  [ -s "$number_file" ] || { rm -f "$number_file"; echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=:$(head -n 1 "$number_file")
  rm -f "$number_file"
}

# wine_end: ends the wineserver of the prefix and the private display, if any.
wine_end() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "${wine_xvfb:-}" ]; then
    kill "$wine_xvfb" 2>/dev/null || true
    wait "$wine_xvfb" 2>/dev/null || true
    wine_xvfb=
  fi
}

# wine_session FOLDER [GEOMETRY]: environment, display, then the wineserver and Wine's
# services started with their output on /dev/null, so that none of them (they outlive the
# program that started them) holds a caller's output pipe open. A new prefix is judged by
# its drive folder: a running wineserver writes the registry files late.
wine_session() {
  wine_environment "$1" || return 1
  wine_display "${2:-}"
  trap wine_end EXIT
  mkdir -p "$WINEPREFIX"
  "$WINESERVER" -p >/dev/null 2>&1 || true
  "$WINE" wineboot --init >/dev/null 2>&1 || true
}
