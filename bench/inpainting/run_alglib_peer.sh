#!/bin/sh
# Builds and runs the solver comparison against ALGLIB. Needs the engine built first:
#   cmake --build <build dir> --target velloria_core
# Usage: run_alglib_peer.sh [build dir]   (default: build/inpaint under the checkout)
set -e
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build/inpaint}
"$here/install_alglib_peer.sh"
out="$build/bench/AlglibSolvePeer"
mkdir -p "$(dirname "$out")"
${CXX:-g++} -std=c++20 -O2 -ffp-contract=off -DNDEBUG \
    -I"$root/src" -I/usr/include/eigen3 -I/usr/include/libalglib \
    "$here/peer/AlglibSolvePeer.cpp" "$build/src/libvelloria_core.a" \
    -lalglib -lbenchmark -lpthread -o "$out"
"$out"
