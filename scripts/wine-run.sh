#!/usr/bin/env bash
# Runs a Windows program of the x86_64 build under wine64: the emulator of the win64
# preset. The prefix lives in the build folder of the program (one per build), and a
# display comes from a private Xvfb when none is set (ended with the program's wineserver).
#   scripts/wine-run.sh path/to/Program.exe [args...]
set -euo pipefail
. "$(dirname "$0")/common.sh"
program=$1
shift
folder=$(cd "$(dirname "$program")" && pwd)
while [ "$folder" != / ] && [ ! -f "$folder/CMakeCache.txt" ]; do folder=$(dirname "$folder"); done
[ "$folder" != / ] || folder=$(cd "$(dirname "$program")" && pwd)
wine_environment "$folder"
if [ -n "${DISPLAY:-}" ]; then
  # The caller may keep a wineserver alive on purpose: never end or wait for it here.
  if [ ! -d "$WINEPREFIX/drive_c" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot --init >/dev/null 2>&1 || true
  fi
  exec "$WINE" "$program" "$@"
fi
wine_session "$folder"
status=0
"$WINE" "$program" "$@" || status=$?
exit "$status"
