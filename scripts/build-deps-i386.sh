#!/usr/bin/env bash
# Builds static 32-bit zlib and libpng for the native-i386 preset from Debian's source
# packages, into a cached prefix, with the host's multilib GCC (no i386 packages on the
# system). Does nothing when the prefix is complete.
#   scripts/build-deps-i386.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${VELLORIA_DEPS_PREFIX:-$HOME/.cache/velloria/deps}
prefix=$cache/i386-linux
[ -f "$prefix/lib/libpng16.a" ] && [ -f "$prefix/lib/libz.a" ] && [ -f "$prefix/include/png.h" ] && exit 0

src=$cache/src
mkdir -p "$src"
# source_tarball PACKAGE PATTERN: the upstream tarball of a Debian source package, fetched
# once. A mirror may refuse the .dsc while the tarball arrives, so a failing apt-get is
# judged by what it left behind.
source_tarball() {
  local tarball
  tarball=$(ls "$src"/$2 2>/dev/null | head -n 1 || true)
  if [ -z "$tarball" ]; then
    (cd "$src" && apt-get source --download-only "$1" >/dev/null 2>&1 || true)
    tarball=$(ls "$src"/$2 2>/dev/null | head -n 1 || true)
  fi
  [ -n "$tarball" ] || { echo "could not download the $1 source package" >&2; return 1; }
  echo "$tarball"
}
zlib_tarball=$(source_tarball zlib 'zlib_*.orig.tar.*')
png_tarball=$(source_tarball libpng1.6 'libpng1.6_*.orig.tar.*')

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
flags="-m32 -msse2 -mfpmath=sse -ffp-contract=off -O2"

mkdir "$work/zlib"
tar -xf "$zlib_tarball" -C "$work/zlib" --strip-components=1
(cd "$work/zlib" && CC=gcc CFLAGS="$flags" ./configure --static --prefix="$prefix" >/dev/null &&
  make -j"$(nproc)" libz.a >/dev/null && make install >/dev/null)

mkdir "$work/png"
tar -xf "$png_tarball" -C "$work/png" --strip-components=1
cmake -S "$work/png" -B "$work/png-build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/linux-i386.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DSKIP_INSTALL_PROGRAMS=ON \
  -DCMAKE_C_FLAGS="$flags" >/dev/null
cmake --build "$work/png-build" >/dev/null
cmake --install "$work/png-build" >/dev/null
echo "zlib and libpng for i386 Linux in $prefix" >&2
