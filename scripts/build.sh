#!/usr/bin/env bash
# Configures (once) and builds one preset in its folder build/PRESET: native, native-asan,
# native-i386, win64 or win32.
#   scripts/build.sh PRESET [ninja targets...]
set -euo pipefail
. "$(dirname "$0")/common.sh"
preset=$1
shift
ensure_built "$preset" "$velloria_root/build/$preset" "$@"
