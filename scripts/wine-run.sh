#!/usr/bin/env bash
# Runs a Windows program of the x86_64 build under wine64: the emulator of the win64
# preset. The prefix lives in the build folder of the program (one per build), and a
# display comes from Xvfb when none is set.
#   scripts/wine-run.sh path/to/Program.exe [args...]
set -euo pipefail
program=$1
shift
if [ -z "${WINEPREFIX:-}" ]; then
  dir=$(cd "$(dirname "$program")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ "$dir" != / ] || dir=$(cd "$(dirname "$program")" && pwd)
  export WINEPREFIX=$dir/wineprefix
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# The wine launcher picks a 32-bit loader whenever one is installed; call the 64-bit one.
WINE=/usr/lib/wine/wine64
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$program" "$@"
fi
# A running wineserver writes the registry files late, so the prefix is judged by its
# drive folder; never wait for the server to end here, it may be kept alive on purpose.
if [ ! -d "$WINEPREFIX/drive_c" ]; then
  mkdir -p "$WINEPREFIX"
  "$WINE" wineboot --init >/dev/null 2>&1 || true
fi
exec "$WINE" "$program" "$@"
