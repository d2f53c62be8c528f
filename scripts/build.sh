#!/usr/bin/env bash
# Configures (once) and builds one preset: native, native-asan, win64 or win32.
#   scripts/build.sh PRESET [ninja targets...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
preset=$1
shift
case $preset in
  win64) "$root/scripts/build-libpng-mingw.sh" x86_64-w64-mingw32 ;;
  win32) "$root/scripts/build-libpng-mingw.sh" i686-w64-mingw32 ;;
esac
cd "$root"
if [ ! -f "build/$preset/build.ninja" ]; then
  cmake --preset "$preset" >"build-$preset.configure.log" 2>&1 || { cat "build-$preset.configure.log" >&2; exit 1; }
  mv "build-$preset.configure.log" "build/$preset/configure.log"
fi
if [ $# -gt 0 ]; then
  cmake --build "build/$preset" --target "$@"
else
  cmake --build "build/$preset"
fi
