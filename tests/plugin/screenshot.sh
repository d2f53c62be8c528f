#!/usr/bin/env bash
# Pictures of the filter plug-in's own boxes as a host's user sees them (its About box,
# and the message when the main program is not installed), taken inside a Wine virtual
# desktop on a private Xvfb display while the test host holds each box open.
#   tests/plugin/screenshot.sh [build folder, default build/win64] [output-dir]
set -euo pipefail
. "$(dirname "$0")/../../scripts/common.sh"
build=$(build_dir win64 "${1:-}")
out=$(mkdir -p "${2:-$build/screenshots}" && cd "${2:-$build/screenshots}" && pwd)
ensure_built win64 "$build" VelloriaPluginTest
unset DISPLAY
wine_session "$build"

work=$(mktemp -d)
trap 'rm -rf "$work"; wine_end' EXIT
mark="$work/boxes.txt"
export VELLORIA_TEST_BOX_MARK=$("$WINE" winepath -w "$mark" 2>/dev/null)
export VELLORIA_TEST_BOX_HOLD_MS=4000

shot() {  # shot NAME FILTER: runs one test and takes the picture once its box is up
  rm -f "$mark"
  "$WINE" explorer /desktop=PluginShot,800x600 "$build/tests/plugin/VelloriaPluginTest.exe" \
    --gtest_filter="$2" >"$work/$1.log" 2>&1 &
  local runner=$!
  for _ in $(seq 1 300); do [ -s "$mark" ] && break; sleep 0.1; done
  sleep 1
  import -window root "$out/plugin-$1.png"
  wait "$runner" || true
  echo "$out/plugin-$1.png"
}
shot about 'VelloriaPluginTest.AboutShowsItsBoxWithOkOnly'
shot not-installed 'VelloriaPluginTest.MissingRegistryKeyNamesAnEmptyPathAndChangesNothing'
