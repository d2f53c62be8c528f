#!/usr/bin/env bash
# Builds every preset and runs every test: the portable tests natively, under
# AddressSanitizer/UBSan and as 32-bit programs under qemu-i386, a replay of every fuzz
# corpus, and the Windows tests of both builds on an Xvfb display: the x86_64 one under
# wine64, the i686 one under Debian's 32-bit Wine unpacked by scripts/wine32-root.sh.
# Ends with the line "N passed, M failed".
set -uo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.ccache}
# Paths below the checkout are hashed relative to it, so a fresh clone in another folder
# (as CI makes) still finds what an earlier build of the same sources compiled.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
jobs=$(nproc 2>/dev/null || echo 2)
failed_steps=()

step() {  # step NAME command...: runs a build or test step, remembering failures
  local name=$1
  shift
  echo "== $name"
  if ! "$@"; then
    echo "!! $name failed"
    failed_steps+=("$name")
  fi
}

scripts/deps.sh || { echo "installing dependencies failed"; echo "0 passed, 1 failed"; exit 1; }

rm -rf build/*/test-results build/*/ctest-junit.xml build/fuzz-results
mkdir -p build/fuzz-results

step "build native" scripts/build.sh native
step "build native-asan" scripts/build.sh native-asan
step "build native-i386" scripts/build.sh native-i386
step "build win64" scripts/build.sh win64
step "build win32" scripts/build.sh win32

# A test program's failures are counted from its own results; ctest's summary only adds
# the programs that died before writing them.
run_ctest() {  # run_ctest PRESET: ctest of one build
  echo "== tests $1"
  ctest --test-dir "build/$1" -j "$jobs" --output-on-failure --output-junit "$root/build/$1/ctest-junit.xml" || true
}
[ -f build/native/build.ninja ] && run_ctest native
# The 32-bit core, its tests and fuzz-corpus replays, each program under qemu-i386.
[ -f build/native-i386/build.ninja ] && run_ctest native-i386
[ -f build/native-asan/build.ninja ] && \
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_ctest native-asan

# Fuzz targets: every input of every corpus is replayed, no random fuzzing (a chance find
# would fail an unrelated run; exploring is scripts/fuzz.sh). Two at a time.
replay_one() {  # replay_one BINARY
  local fuzzer=$1 name corpus
  name=$(basename "$fuzzer")
  corpus=$(find fuzz -type d -path "*/corpus/$name" | head -n 1)
  if "$fuzzer" -runs=0 -timeout=10 -rss_limit_mb=2048 -artifact_prefix="build/fuzz-results/$name-" \
      ${corpus:+"$corpus"} >"build/fuzz-results/$name.log" 2>&1; then
    echo "corpus $name: ok"; echo pass >"build/fuzz-results/$name.result"
  else
    echo "corpus $name: FAILED (build/fuzz-results/$name.log)"; tail -30 "build/fuzz-results/$name.log"
    echo fail >"build/fuzz-results/$name.result"
  fi
}
running=0
for fuzzer in $(find build/native-asan/fuzz -maxdepth 2 -type f -name '*Fuzz' -perm -u+x 2>/dev/null | sort); do
  replay_one "$fuzzer" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then wait -n; running=$((running - 1)); fi
done
wait

# Windows tests: one Xvfb display and one wineserver for the whole run, ended afterwards
# so no stale wineserver keeps windows off a display that is gone.
if [ -d build/win64 ]; then
  echo "== tests win64 (wine64)"
  (
    . scripts/common.sh
    unset DISPLAY  # never on the user's own desktop
    wine_session "$root/build/win64"
    ctest --test-dir build/win64 -j "$jobs" --output-on-failure --output-junit "$root/build/win64/ctest-junit.xml"
    true
  )
fi
# The i686 build: its own 32-bit prefix and wineserver (common.sh picks them by the
# build folder); a root that cannot be prepared fails the step.
if [ -f build/win32/build.ninja ]; then
  echo "== tests win32 (32-bit Wine)"
  if ! (
    . scripts/common.sh
    unset DISPLAY
    wine_session "$root/build/win32" || exit 1
    ctest --test-dir build/win32 -j "$jobs" --output-on-failure --output-junit "$root/build/win32/ctest-junit.xml"
    true
  ); then
    echo "!! tests win32 failed"
    failed_steps+=("tests win32")
  fi
fi

python3 scripts/count-results.py "${failed_steps[@]}"
