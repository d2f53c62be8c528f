#!/bin/sh
# Screenshots of the view and the open dialog, taken under Wine on an Xvfb display:
#   tests/view/screenshots.sh [build folder] [output folder]
# The build folder is a MinGW x86_64 build with the VxViewShowcase target built.
set -eu
build=${1:-$(dirname "$0")/../../build/view-win64}
out=${2:-$build/screenshots}
mkdir -p "$out"
export DISPLAY=${DISPLAY:-:59}
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=-all
wine=/usr/lib/wine/wine64
showcase=$build/tests/view/VxViewShowcase.exe

shoot() { # name, seconds to wait, arguments...
  name=$1; wait=$2; shift 2
  "$wine" "$showcase" "$@" &
  pid=$!
  sleep "$wait"
  import -window root -display "$DISPLAY" -crop 1000x700+0+0 "$out/$name.png"
  wait "$pid" || true
}

folder=$(mktemp -d)
for name in beach.jpg harbour.jpg meadow.png notes.txt; do printf x > "$folder/$name"; done
shoot best-fit 5 fit
shoot zoom-300 4 300
"$wine" "$showcase" dialog "$(winepath -w "$folder" 2>/dev/null || echo "Z:$folder")" &
pid=$!
sleep 6
import -window root -display "$DISPLAY" "$out/open-dialog.png"
wait "$pid" || true
rm -rf "$folder"
echo "screenshots in $out"
