#!/usr/bin/env bash
# Builds Velloria for Windows (x86_64) if needed and starts it under wine64 on a picture
# (default: a sample photograph). Without a display it runs on Xvfb inside a Wine
# virtual desktop, saves a screenshot of what a user would see, prints its path and exits.
#   ./run.sh [picture]
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
scripts/deps.sh
scripts/build.sh win64 Velloria >/dev/null

picture=${1:-/usr/share/backgrounds/mate/nature/Garden.jpg}
[ -e "$picture" ] && picture=$(realpath "$picture")
exe=$root/build/win64/src/Velloria.exe
export WINEPREFIX=$root/build/win64/wineprefix WINEDEBUG=-all
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
WINE=/usr/lib/wine/wine64

if [ -n "${DISPLAY:-}" ]; then
  [ -d "$WINEPREFIX/drive_c" ] || "$WINE" wineboot --init >/dev/null 2>&1
  exec "$WINE" "$exe" "$picture"
fi

shot=$root/build/win64/screenshots/run.png
mkdir -p "$(dirname "$shot")"
xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
  set -u
  [ -d "$WINEPREFIX/drive_c" ] || /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
  /usr/lib/wine/wine64 explorer /desktop=Velloria,1280x900 "$1" "$2" >/dev/null 2>&1 &
  # Wait until the main window is up and has had time to paint.
  for i in $(seq 1 60); do
    xwininfo -root -tree 2>/dev/null | grep -q "Velloria" && break
    sleep 0.5
  done
  sleep 4
  import -window root "$3"
  /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
' run "$exe" "$picture" "$shot"
echo "$shot"
