#!/usr/bin/env bash
# Builds a static libjpeg-turbo (with its SIMD code, assembled by nasm) for one target from
# Debian's libjpeg-turbo source package, into a cached prefix. Does nothing when the prefix
# is complete.
#   scripts/build-libjpeg-turbo.sh x86_64-w64-mingw32|i686-w64-mingw32|i386-linux
set -euo pipefail
triplet=$1
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${VELLORIA_DEPS_PREFIX:-$HOME/.cache/velloria/deps}
prefix=$cache/$triplet
[ -f "$prefix/lib/libjpeg.a" ] && [ -f "$prefix/include/jpeglib.h" ] && exit 0

case $triplet in
  x86_64-w64-mingw32) toolchain=$root/cmake/mingw-x86_64.cmake; flags="-ffp-contract=off -O2" ;;
  i686-w64-mingw32) toolchain=$root/cmake/mingw-i686.cmake; flags="-msse2 -mfpmath=sse -ffp-contract=off -O2" ;;
  i386-linux) toolchain=$root/cmake/linux-i386.cmake; flags="-m32 -msse2 -mfpmath=sse -ffp-contract=off -O2" ;;
  *) echo "unknown target $triplet" >&2; exit 1 ;;
esac
command -v nasm >/dev/null || { echo "nasm is missing (scripts/deps.sh installs it)" >&2; exit 1; }

src=$cache/src
mkdir -p "$src"
tarball=$(ls "$src"/libjpeg-turbo_*.orig.tar.* 2>/dev/null | head -n 1 || true)
if [ -z "$tarball" ]; then
  # A mirror may refuse the .dsc while the tarball arrives, so a failing apt-get is
  # judged by what it left behind.
  (cd "$src" && apt-get source --download-only libjpeg-turbo >/dev/null 2>&1 || true)
  tarball=$(ls "$src"/libjpeg-turbo_*.orig.tar.* 2>/dev/null | head -n 1 || true)
  [ -n "$tarball" ] || { echo "could not download the libjpeg-turbo source package" >&2; exit 1; }
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xf "$tarball" -C "$work"
srcdir=$(find "$work" -maxdepth 1 -mindepth 1 -type d | head -n 1)
# The libjpeg 6.2 interface, as Debian's native libjpeg62-turbo-dev has it, with
# libjpeg-turbo's memory source and destination; the TurboJPEG wrapper and the programs
# are not needed.
cmake -S "$srcdir" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DWITH_TURBOJPEG=OFF \
  -DWITH_MEM_SRCDST=ON -DCMAKE_POSITION_INDEPENDENT_CODE=OFF \
  -DCMAKE_ASM_NASM_COMPILER="$(command -v nasm)" \
  -DCMAKE_C_FLAGS="$flags" >"$work/configure.log" 2>&1 || { cat "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" --target jpeg-static >/dev/null
mkdir -p "$prefix/lib" "$prefix/include"
cp "$work/build/libjpeg.a" "$prefix/lib/libjpeg.a.tmp"
cp "$work/build/jconfig.h" "$srcdir/jerror.h" "$srcdir/jmorecfg.h" "$prefix/include/"
cp "$srcdir/jpeglib.h" "$prefix/include/jpeglib.h.tmp"
# Complete only when both the library and the header are in place.
mv "$prefix/lib/libjpeg.a.tmp" "$prefix/lib/libjpeg.a"
mv "$prefix/include/jpeglib.h.tmp" "$prefix/include/jpeglib.h"
echo "libjpeg-turbo for $triplet in $prefix" >&2
