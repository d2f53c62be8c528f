#!/usr/bin/env bash
# Builds Velloria for Windows (x86_64) if needed and starts it under wine64 on a picture
# (default: a sample photograph). Without a display it runs on Xvfb inside a Wine
# virtual desktop, saves a screenshot of what a user would see, prints its path and exits.
#   ./run.sh [picture]
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
. scripts/common.sh
scripts/deps.sh
scripts/build.sh win64 Velloria >/dev/null

picture=${1:-/usr/share/backgrounds/mate/nature/Garden.jpg}
[ -e "$picture" ] && picture=$(realpath "$picture")
build=$root/build/win64
exe=$build/src/Velloria.exe

if [ -n "${DISPLAY:-}" ]; then
  wine_environment "$build"
  [ -d "$WINEPREFIX/drive_c" ] || "$WINE" wineboot --init >/dev/null 2>&1
  exec "$WINE" "$exe" "$picture"
fi

shot=$build/screenshots/run.png
mkdir -p "$(dirname "$shot")"
wine_session "$build" 1280x900x24
"$WINE" explorer /desktop=Velloria,1280x900 "$exe" "$picture" >/dev/null 2>&1 &
# Wait until the main window is up and has had time to paint.
for _ in $(seq 1 60); do
  xwininfo -root -tree 2>/dev/null | grep -q "Velloria" && break
  sleep 0.5
done
sleep 4
import -window root "$shot"
wine_end
echo "$shot"
