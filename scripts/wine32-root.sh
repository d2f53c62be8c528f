#!/usr/bin/env bash
# Prepares the 32-bit Wine that runs the i686 build: Debian's i386 Wine packages and what
# they need, downloaded through a private apt configuration and unpacked into a root of
# their own. Nothing is installed on the system and its architectures stay as they are.
# Idempotent: a ready root (same package versions) costs one file comparison.
#   scripts/wine32-root.sh            # prints the root's folder
# The loader and wineserver are i386 programs that the kernel runs directly; their
# interpreter is the system's /lib/ld-linux.so.2 (libc6-i386, from gcc-multilib), the same
# glibc as the root's own, and every other library comes from the root.
set -euo pipefail

cache=${VELLORIA_CACHE:-$HOME/.cache/velloria}
apt_root=$cache/wine32-apt
root=$cache/wine32-root
packages=(wine32 libwine)

mkdir -p "$apt_root/state/lists/partial" "$apt_root/cache/archives/partial" \
  "$apt_root/etc/apt.conf.d" "$apt_root/etc/preferences.d"
touch "$apt_root/state/status"  # empty: every dependency is fetched, none taken from the system
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
cat >"$apt_root/etc/sources.list" <<SOURCES
deb [signed-by=$keyring] http://deb.debian.org/debian $codename main
deb [signed-by=$keyring] http://deb.debian.org/debian $codename-updates main
deb [signed-by=$keyring] http://deb.debian.org/debian-security $codename-security main
SOURCES
apt_options=(
  -o APT::Architecture=i386 -o APT::Architectures::=i386
  -o Dir::State="$apt_root/state" -o Dir::State::status="$apt_root/state/status"
  -o Dir::Cache="$apt_root/cache" -o Dir::Etc::sourcelist="$apt_root/etc/sources.list"
  -o Dir::Etc::sourceparts=- -o Dir::Etc::parts="$apt_root/etc/apt.conf.d"
  -o Dir::Etc::preferencesparts="$apt_root/etc/preferences.d"
  -o APT::Sandbox::User=root -qq
)

# The package lists are refreshed once a day at most; the set of packages decides
# whether the root must be laid again.
lists_stamp=$apt_root/state/updated
if [ ! -f "$lists_stamp" ] || [ -n "$(find "$lists_stamp" -mmin +1440)" ]; then
  apt-get "${apt_options[@]}" update >&2
  touch "$lists_stamp"
fi
wanted=$(apt-get "${apt_options[@]}" install -s --no-install-recommends "${packages[@]}" |
  awk '$1 == "Inst" { print $2, $3 }' | sort)
[ -n "$wanted" ] || { echo "wine32-root: apt resolved no packages" >&2; exit 1; }
if [ -x "$root/usr/lib/wine/wine" ] && [ "$(cat "$root/.packages" 2>/dev/null)" = "$wanted" ]; then
  echo "$root"
  exit 0
fi

echo "wine32-root: laying $root ($(wc -l <<<"$wanted") packages)" >&2
apt-get "${apt_options[@]}" install -y -d --no-install-recommends "${packages[@]}" >&2
rm -rf "$root.new"
mkdir -p "$root.new"
for deb in "$apt_root"/cache/archives/*.deb; do
  dpkg-deb -x "$deb" "$root.new"
done

# What libwine's maintainer script does on installation: Wine loads zlib1.dll as one of
# its own DLLs only when the file carries the builtin mark in its DOS stub.
for arch in i386 x86_64; do
  mingw=$arch
  [ "$arch" = i386 ] && mingw=i686
  in=$root.new/usr/$mingw-w64-mingw32/lib/zlib1.dll
  out=$root.new/usr/lib/i386-linux-gnu/wine/$arch-windows/zlib1.dll
  [ -f "$in" ] || continue
  {
    head -c 64 "$in"
    printf 'Wine builtin DLL'
    printf '\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0'
    tail -c +97 "$in"
  } >"$out"
done

# Downloaded archives are kept only for the versions just unpacked.
apt-get "${apt_options[@]}" autoclean >&2 || true
echo "$wanted" >"$root.new/.packages"
rm -rf "$root"
mv "$root.new" "$root"
echo "$root"
