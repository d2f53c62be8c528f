#!/usr/bin/env bash
# Builds a static libpng for one MinGW-w64 target from Debian's libpng1.6 source
# package, into a cached prefix. Does nothing when the prefix is complete.
#   scripts/build-libpng-mingw.sh x86_64-w64-mingw32|i686-w64-mingw32
set -euo pipefail
triplet=$1
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${VELLORIA_DEPS_PREFIX:-$HOME/.cache/velloria/deps}
prefix=$cache/$triplet
[ -f "$prefix/lib/libpng16.a" ] && [ -f "$prefix/include/png.h" ] && exit 0

src=$cache/src
mkdir -p "$src"
tarball=$(ls "$src"/libpng1.6_*.orig.tar.* 2>/dev/null | head -n 1 || true)
if [ -z "$tarball" ]; then
  # Only the upstream tarball is needed; the .dsc may be refused by a mirror while
  # the tarball arrives, so a failing apt-get is judged by what it left behind.
  (cd "$src" && apt-get source --download-only libpng1.6 >/dev/null 2>&1 || true)
  tarball=$(ls "$src"/libpng1.6_*.orig.tar.* 2>/dev/null | head -n 1 || true)
  [ -n "$tarball" ] || { echo "could not download the libpng1.6 source package" >&2; exit 1; }
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xf "$tarball" -C "$work"
srcdir=$(find "$work" -maxdepth 1 -mindepth 1 -type d | head -n 1)
arch=${triplet%%-*}
[ "$arch" = x86_64 ] || arch=i686
cmake -S "$srcdir" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DSKIP_INSTALL_PROGRAMS=ON \
  -DCMAKE_C_FLAGS="-ffp-contract=off" >/dev/null
cmake --build "$work/build" >/dev/null
cmake --install "$work/build" >/dev/null
echo "libpng for $triplet in $prefix" >&2
