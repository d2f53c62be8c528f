#!/usr/bin/env bash
# Pictures of the about box, a help topic and the print dialog as a user sees them, inside
# a Wine virtual desktop on a private Xvfb display.
#   tests/help/screenshots.sh [build folder, default build/win64] [output-dir]
set -euo pipefail
. "$(dirname "$0")/../../scripts/common.sh"
build=$(build_dir win64 "${1:-}")
out=$(mkdir -p "${2:-$build/screenshots}" && cd "${2:-$build/screenshots}" && pwd)
unset DISPLAY
wine_session "$build"

work=$(mktemp -d)
cp "$build/src/VelloriaTest.exe" "$work/VelloriaShot.exe"
cp "$build/src/Velloria.chm" "$work/VelloriaShot.chm"
cp -r "$build/src/Languages" "$work/"
# A 3000 x 2000 picture at 300 dots per inch for the print dialog.
convert -size 3000x2000 gradient:'#4a90d9'-'#f4e3b5' -density 300 -units PixelsPerInch "$work/print.bmp" 2>/dev/null \
  || convert -size 3000x2000 xc:'#4a90d9' -density 300 -units PixelsPerInch "$work/print.bmp"
picture=$("$WINE" winepath -w "$work/print.bmp" 2>/dev/null)

# shoot NAME COMMAND [PICTURE]: runs one probe command (which opens a modal window) and
# takes the picture while the window is up.
shoot() {
  local name=$1 command=$2 argument=${3:-}
  local log=$work/$name.log script=$work/$name.txt
  rm -f "$log"
  printf '%b\n' "$command" > "$script"
  local args=()
  [ -n "$argument" ] && args=("$argument")
  VELLORIA_TEST_PROBE=$("$WINE" winepath -w "$log" 2>/dev/null) \
  VELLORIA_TEST_PROBE_SCRIPT=$("$WINE" winepath -w "$script" 2>/dev/null) \
    "$WINE" explorer /desktop=Shot,1280x900 "$work/VelloriaShot.exe" "${args[@]}" >/dev/null 2>&1 &
  local pid=$!
  for _ in $(seq 1 100); do grep -q '^command' "$log" 2>/dev/null && break; sleep 0.2; done
  sleep 6
  import -window root -crop 1280x900+0+0 "$out/$name.png"
  "$WINESERVER" -k 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$out/$name.png"
}

shoot about-box run:ABOUT
shoot help-topic "run:GETTINGSTARTED\nwait:15000"
shoot print-dialog "pagefile:C:\\page.bmp\nrun:PRINT" "$picture"
rm -rf "$work"
wine_end
