#!/usr/bin/env bash
# Exploratory fuzzing: builds the libFuzzer targets (native-asan) and runs each for a
# while, starting from its corpus in fuzz/<subsystem>/corpus/<target>/. Run it before a
# parser change is closed.
#   scripts/fuzz.sh [seconds per target, default 60] [target...]   (default: every target)
# New inputs that reach new code collect in build/fuzz/work/<target>/ (kept between runs);
# inputs that crash or hang a target are written to build/fuzz/findings/ and listed at the end.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=60
if [[ ${1:-} =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(find fuzz -name '*Fuzz.cpp' -printf '%f\n' | sed 's/\.cpp$//' | sort)
fi
scripts/build.sh native-asan "${targets[@]}" || exit 1

findings=$root/build/fuzz/findings
mkdir -p "$findings"
started=$(mktemp)
trap 'rm -f "$started"' EXIT
jobs=$(nproc 2>/dev/null || echo 2)

fuzz_one() {  # fuzz_one TARGET
  local name=$1 corpus work log
  corpus=$(find fuzz -type d -path "*/corpus/$name" | head -n 1)
  work=$root/build/fuzz/work/$name
  log=$root/build/fuzz/$name.log
  mkdir -p "$work"
  # The working corpus grows from run to run; the checked-in one is only read.
  if "build/native-asan/fuzz/$name" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$findings/$name-" "$work" ${corpus:+"$corpus"} >"$log" 2>&1; then
    echo "$name: nothing found in $seconds s ($(find "$work" -type f | wc -l) inputs in build/fuzz/work/$name)"
  else
    echo "$name: FOUND a fault, see $log"
    grep -m 3 -E 'ERROR:|SUMMARY:|Test unit written' "$log" | sed 's/^/    /'
  fi
}

running=0
for name in "${targets[@]}"; do
  fuzz_one "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then wait -n; running=$((running - 1)); fi
done
wait

mapfile -t found < <(find "$findings" -type f -newer "$started" 2>/dev/null | sort)
if [ ${#found[@]} -gt 0 ]; then
  echo
  echo "Findings in $findings:"
  printf '  %s\n' "${found[@]}"
  cat <<'NOTE'
Replay one with  build/native-asan/fuzz/<Target> FILE  (it stops where it fails).
Once the fault is mended, copy the file into fuzz/<subsystem>/corpus/<Target>/ under a
name that says what it exercises, and add a regression test beside the code's other tests:
./test.sh replays every corpus, so the input keeps guarding the fix.
NOTE
  exit 1
fi
