#!/usr/bin/env bash
# Installs what the build and the tests need, only when something is missing.
# Idempotent: a second run on a ready machine costs a few dpkg queries.
set -euo pipefail

PACKAGES=(
  cmake ninja-build ccache g++ clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  libz-mingw-w64-dev libpng-dev zlib1g-dev libeigen3-dev googletest libbenchmark-dev
  wine64 fonts-wine fonts-liberation xvfb xauth x11-utils x11-apps imagemagick librsvg2-bin
  dpkg-dev xz-utils
  nasm libjpeg62-turbo-dev libjpeg-turbo-progs
  g++-multilib gcc-multilib qemu-user
  fp-utils nsis
)
# A sample photograph for ./run.sh.
PACKAGES+=(mate-backgrounds)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo

if [ ${#missing[@]} -gt 0 ]; then
  echo "deps: installing ${missing[*]}" >&2
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# libpng's and libjpeg-turbo's sources for the MinGW builds come from Debian's source package;
# only Debian's own archive gets a deb-src entry (third-party lists may have none).
SRC_LIST=/etc/apt/sources.list.d/velloria-deb-src.sources
if [ ! -f "$SRC_LIST" ]; then
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  $SUDO tee "$SRC_LIST" >/dev/null <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  $SUDO apt-get update -qq
fi
