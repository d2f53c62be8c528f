#!/usr/bin/env bash
# Peak resident memory of the program under wine64 through a 24-megapixel session: open a
# 6000 x 4000 JPEG, ten whole-picture edits (turns, flips, resizes and adjustments kept
# for undo), save (as BMP: a JPEG save first asks its quality). The test build's probe plays the commands and logs the process's
# PeakWorkingSetSize after each step (Wine reads it from VmHWM); a sampler reads VmHWM of
# the Wine process from /proc as well. A measurement, not a test: run it alone.
#   bench/editor/peak-memory.sh [build folder, default build/win64]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/common.sh"
build=$(build_dir win64 "${1:-}")
width=6000
height=4000

ensure_built win64 "$build" VelloriaTest >/dev/null

work=$(mktemp -d)
name=VelloriaPeakMemory$$
wine_session "$build"
sampler=
cleanup() {
  [ -z "$sampler" ] || kill "$sampler" 2>/dev/null || true
  wine_end
  rm -rf "$work" "$WINEPREFIX/drive_c/users/${USER:-$(id -un)}/AppData/Roaming/$name" \
    "$WINEPREFIX/drive_c/users/${USER:-$(id -un)}/Application Data/$name"
}
trap cleanup EXIT

# Its own name and folder, so its state file is its own (as the test driver does).
cp "$build/src/VelloriaTest.exe" "$work/$name.exe"
cp -r "$root/Languages" "$work/Languages"
photo="$work/photo.jpg"
convert -size ${width}x${height} gradient:navy-orange -quality 90 "$photo"

cat >"$work/script.txt" <<COMMANDS
memory
rotateright
fliph
invert
rotateleft
flipv
invert
resize:4500,3000
resize:$width,$height
rotateright
invert
memory
saveas:Z:$work/saved.bmp
memory
COMMANDS

# VmHWM of the Wine process running the program, read until it ends.
(
  while :; do
    pid=$(pgrep -f "$name.exe" | head -n 1 || true)
    [ -n "$pid" ] && grep -s '^VmHWM' "/proc/$pid/status" | awk '{print $2}' >"$work/vmhwm.new" &&
      [ -s "$work/vmhwm.new" ] && mv "$work/vmhwm.new" "$work/vmhwm"
    sleep 0.2
  done
) &
sampler=$!

# The program alone first: what it holds without a picture is subtracted before counting
# copies.
echo memory >"$work/empty.txt"
VELLORIA_TEST_PROBE="Z:$work/empty.log" VELLORIA_TEST_PROBE_SCRIPT="Z:$work/empty.txt" \
  "$WINE" "$work/$name.exe" >/dev/null 2>&1 || true
baseline=$(tr -d '\r' <"$work/empty.log" | sed -n 's/^memory peak=\([0-9]*\) .*/\1/p')
[ -n "$baseline" ] || { echo "the program without a picture reported no memory" >&2; exit 1; }
VELLORIA_TEST_PROBE="Z:$work/probe.log" VELLORIA_TEST_PROBE_SCRIPT="Z:$work/script.txt" \
  "$WINE" "$work/$name.exe" "Z:$photo" >/dev/null 2>&1 || true
kill "$sampler" 2>/dev/null || true
wait "$sampler" 2>/dev/null || true
sampler=

log=$(tr -d '\r' <"$work/probe.log")
grep -q '^script done' <<<"$log" || { echo "the program did not finish the script; its log:" >&2; echo "$log" >&2; exit 1; }
grep -q '^saved 1' <<<"$log" || { echo "the save failed; the probe's log:" >&2; echo "$log" >&2; exit 1; }
mapfile -t peaks < <(sed -n 's/^memory peak=\([0-9]*\) now=\([0-9]*\)$/\1 \2/p' <<<"$log")
[ ${#peaks[@]} -eq 3 ] || { echo "expected three memory lines; the probe's log:" >&2; echo "$log" >&2; exit 1; }
picture=$((width * height * 3))
printf '%s\n' "24-megapixel JPEG ($width x $height, $(stat -c %s "$photo") bytes); one picture copy = $((picture / 1048576)) MiB"
printf '%s\n' "the program without a picture: peak $((baseline / 1048576)) MiB; copies = (peak - that) / one copy"
printf '%-28s %12s %12s %8s\n' "after" "peak MiB" "now MiB" "copies"
steps=("open" "ten edits" "save")
for i in 0 1 2; do
  set -- ${peaks[$i]}
  printf '%-28s %12s %12s %8s\n' "${steps[$i]}" $(($1 / 1048576)) $(($2 / 1048576)) \
    "$(awk -v p="$1" -v b="$baseline" -v c="$picture" 'BEGIN { printf "%.1f", (p - b) / c }')"
done
[ -s "$work/vmhwm" ] && printf '%-28s %12s\n' "VmHWM of the wine process" $(($(cat "$work/vmhwm") / 1024))
