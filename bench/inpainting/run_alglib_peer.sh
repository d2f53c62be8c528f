#!/usr/bin/env bash
# Builds and runs the solver comparison against ALGLIB, against the engine of a native build.
#   bench/inpainting/run_alglib_peer.sh [build folder, default build/native]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/scripts/common.sh"
build=$(build_dir native "${1:-}")
"$here/install_alglib_peer.sh"
ensure_built native "$build" velloria_inpainting >/dev/null
# The inpainting library and the subsystem libraries below it; the linker takes from each
# only what is needed.
libraries=$(find "$build/src" -mindepth 2 -name 'libvelloria_*.a' | sort)
out="$build/bench/AlglibSolvePeer"
mkdir -p "$(dirname "$out")"
${CXX:-g++} -std=c++20 -O2 -ffp-contract=off -DNDEBUG \
    -I"$root/src" -I/usr/include/eigen3 -I/usr/include/libalglib \
    "$here/peer/AlglibSolvePeer.cpp" -Wl,--start-group $libraries -Wl,--end-group \
    -lalglib -lbenchmark -lpthread -o "$out"
"$out"
