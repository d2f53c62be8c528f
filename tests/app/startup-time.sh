#!/usr/bin/env bash
# Start-up time of Velloria.exe under wine64: from process creation to the first idle
# of the main window, as the program's test probe measures it (GetProcessTimes), and the
# wall-clock time from launching wine64 to that point. Median of N runs (default 5).
#   tests/app/startup-time.sh [build-dir] [runs]
set -euo pipefail
build=$(cd "${1:-$(dirname "$0")/../../build/shell-win64}" && pwd)
runs=${2:-5}
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WINE=/usr/lib/wine/wine64
display=:$((60 + RANDOM % 30))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
trap 'DISPLAY=$display /usr/lib/wine/wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1
work=$(mktemp -d)
cp "$build/src/Velloria.exe" "$work/VelloriaTiming.exe"
cp -r "$build/src/Languages" "$work/"
# A warm wineserver, as on a desktop where Wine already runs.
"$WINE" cmd /c exit >/dev/null 2>&1 || true
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
