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

# The main form's node: a window of 900 x 640 at (40, 30) and the language; with "first"
# only the language, as after a first run's choice of language (the window then opens
# at its first-run size).
write_state() {
  python3 - "$state" "$1" "${2:-}" <<'PY'
import struct, sys, os
path, language, first = sys.argv[1], int(sys.argv[2]), sys.argv[3] == "first"
guid = bytes.fromhex("FFD7F67A8B61D941882E419D500DF28B")
placement = struct.pack("<III2i2i4i", 44, 0, 1, -1, -1, -1, -1, 40, 30, 940, 670)
node = bytes([0xD5, 0x01, 0x0D, 0x10]) + guid
if not first:
    node += bytes([0x55, 0x02, 0x0E, 0x2C]) + placement
node += bytes([0x55, 0x01, 0x05, 0x04]) + struct.pack("<i", language) + b"\0"
os.makedirs(os.path.dirname(path), exist_ok=True)
open(path, "wb").write(node)
PY
}

# A photo-like picture (gradients and circles) to open in the first-run shots.
python3 - "$work/photo.bmp" <<'PY'
import struct, sys, math
w, h = 1200, 800
row = (w * 3 + 3) & ~3
data = bytearray(row * h)
for y in range(h):
    for x in range(w):
        d = math.hypot(x - 800, y - 300)
        sky = y < 450
        r = int(90 + 120 * y / h) if sky else int(60 + 80 * x / w)
        g = int(140 + 80 * y / h) if sky else int(110 + 60 * math.sin(x / 90.0) ** 2)
        b = int(230 - 60 * y / h) if sky else int(50 + 30 * y / h)
        if d < 120:
            r, g, b = 250, 220, 120
        o = (h - 1 - y) * row + 3 * x
        data[o:o + 3] = bytes((min(b, 255), min(g, 255), min(r, 255)))
hdr = b"BM" + struct.pack("<IHHI", 54 + len(data), 0, 0, 54)
hdr += struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
open(sys.argv[1], "wb").write(hdr + data)
PY
photo=$("$WINE" winepath -w "$work/photo.bmp" 2>/dev/null)

shoot() {
  local language=$1 name=$2 menu=${3:-0} first=${4:-}
  write_state "$language" "$first"
  local log=$work/$name.log
  rm -f "$log"
  local args=()
  [ -n "$first" ] && args=("$photo")
  VELLORIA_TEST_PROBE=$("$WINE" winepath -w "$log" 2>/dev/null) VELLORIA_TEST_PROBE_MENU=$menu \
    "$WINE" explorer /desktop=Shot,1280x900 "$work/VelloriaShot.exe" "${args[@]}" >/dev/null 2>&1 &
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
shoot 1033 first-run-english 0 first
shoot 1049 first-run-russian 0 first
rm -rf "$work"
wine_end
