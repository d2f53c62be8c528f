#!/usr/bin/env bash
# Start-up time of the program under wine64: from process creation to the first idle of
# the main window, as the test probe of the test build (VelloriaTest.exe) measures it
# (GetProcessTimes), and the wall-clock time from launching wine64 to that point.
# Median of N runs (default 5).
#   tests/app/startup-time.sh [build folder, default build/win64] [runs]
set -euo pipefail
. "$(dirname "$0")/../../scripts/common.sh"
build=$(build_dir win64 "${1:-}")
runs=${2:-5}
# A private display, and a warm wineserver as on a desktop where Wine already runs.
unset DISPLAY
wine_session "$build"
work=$(mktemp -d)
cp "$build/src/VelloriaTest.exe" "$work/VelloriaTiming.exe"
cp -r "$build/src/Languages" "$work/"
probe=() wall=()
for i in $(seq 1 "$runs"); do
  log=$work/run$i.log
  start=$(date +%s.%N)
  VELLORIA_TEST_PROBE=$("$WINE" winepath -w "$log" 2>/dev/null) VELLORIA_TEST_PROBE_QUIT=1 \
    "$WINE" "$work/VelloriaTiming.exe" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 1 3000); do grep -q '^idle' "$log" 2>/dev/null && break; sleep 0.01; done
  end=$(date +%s.%N)
  probe+=("$(grep '^idle' "$log" | awk '{print $2}')")
  wall+=("$(echo "($end - $start) * 1000" | bc -l)")
  # The probe closes the program after its first idle.
  wait "$pid" 2>/dev/null || true
done
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
echo "process start to first idle (ms, probe): ${probe[*]} -> median $(median "${probe[@]}")"
echo "launch of wine64 to first idle (ms, wall): ${wall[*]} -> median $(median "${wall[@]}")"
rm -rf "$work"
