#!/usr/bin/env bash
# The CMake targets that ship: the program and, once it exists, the filter plug-in.
root=$(cd "$(dirname "$0")/.." && pwd)
targets="Velloria"
grep -qs 'VelloriaPlugin' "$root/src/CMakeLists.txt" "$root"/src/plugin/CMakeLists.txt 2>/dev/null && targets="$targets VelloriaPlugin"
echo "$targets"
