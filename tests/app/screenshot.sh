#!/usr/bin/env bash
# Pictures of the main window in English and in Russian, taken inside a Wine virtual
# desktop (which draws frames and title bars) on a private Xvfb display.
#   tests/app/screenshot.sh [build folder, default build/win64] [output-dir]
set -euo pipefail
. "$(dirname "$0")/../../scripts/common.sh"
build=$(build_dir win64 "${1:-}")
out=$(mkdir -p "${2:-$build/screenshots}" && cd "${2:-$build/screenshots}" && pwd)
# A private display: the pictures are taken of its whole screen.
unset DISPLAY
wine_session "$build"

# A copy of the test build (its probe says when the window is up) under its own name
# keeps its own state file.
work=$(mktemp -d)
cp "$build/src/VelloriaTest.exe" "$work/VelloriaShot.exe"
cp -r "$build/src/Languages" "$work/"
appdata=$(DISPLAY= "$WINE" cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
state=$("$WINE" winepath -u "$appdata\\VelloriaShot\\VelloriaShot.cfg" 2>/dev/null)

# The main form's node: a window of 900 x 640 at (40, 30) and the language.
write_state() {
  python3 - "$state" "$1" <<'PY'
import struct, sys, os
path, language = sys.argv[1], int(sys.argv[2])
guid = bytes.fromhex("FFD7F67A8B61D941882E419D500DF28B")
placement = struct.pack("<III2i2i4i", 44, 0, 1, -1, -1, -1, -1, 40, 30, 940, 670)
node = bytes([0xD5, 0x01, 0x0D, 0x10]) + guid
node += bytes([0x55, 0x02, 0x0E, 0x2C]) + placement
node += bytes([0x55, 0x01, 0x05, 0x04]) + struct.pack("<i", language) + b"\0"
os.makedirs(os.path.dirname(path), exist_ok=True)
open(path, "wb").write(node)
PY
}

shoot() {
  local language=$1 name=$2 menu=${3:-0}
  write_state "$language"
  local log=$work/$name.log
  rm -f "$log"
  VELLORIA_TEST_PROBE=$("$WINE" winepath -w "$log" 2>/dev/null) VELLORIA_TEST_PROBE_MENU=$menu \
    "$WINE" explorer /desktop=Shot,1280x900 "$work/VelloriaShot.exe" >/dev/null 2>&1 &
  local pid=$!
  for _ in $(seq 1 100); do grep -q '^idle' "$log" 2>/dev/null && break; sleep 0.2; done
  sleep 2
  import -window root -crop 1280x900+0+0 "$out/$name.png"
  "$WINESERVER" -k 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$out/$name.png"
}

shoot 1033 main-window-english
shoot 1049 main-window-russian
shoot 1033 view-menu-english 1
shoot 1049 view-menu-russian 1
rm -rf "$work"
wine_end
