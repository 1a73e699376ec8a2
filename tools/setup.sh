#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test Veilquill.
# Idempotent and quiet when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build make g++ clang libclang-rt-14-dev llvm ccache
  googletest
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  mingw-w64-tools binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 fonts-wine
  xvfb x11-apps x11-utils imagemagick
  fp-utils nsis zip unzip python3 procps
  libcli11-dev time
  libgcrypt20-dev libgcrypt-mingw-w64-dev
  libunistring-dev locales
  binutils
  scdoc dpkg-dev lintian man-db bash-completion file
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
apt=(apt-get -o DPkg::Lock::Timeout=600) # another install may hold the lock for a while
[ "$(id -u)" -eq 0 ] || apt=(sudo "${apt[@]}")
export DEBIAN_FRONTEND=noninteractive

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  "${apt[@]}" update -qq
  "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# 32-bit Wine runs the shipped 32-bit programs' tests. It is installed only where the kernel
# runs 32-bit code (tools/runs_32bit.sh tells, with `as` and `ld` from binutils, which the
# packages above bring); elsewhere the tests say so and run the 64-bit programs alone.
install_wine32() {
  installed wine32:i386 && return 0
  local why
  if ! why=$(bash "$(dirname "$0")/runs_32bit.sh"); then
    echo "setup: no 32-bit Wine: $why"
    return 0
  fi
  echo "setup: installing wine32:i386"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    if [ "$(id -u)" -eq 0 ]; then dpkg --add-architecture i386; else sudo dpkg --add-architecture i386; fi
  fi
  "${apt[@]}" update -qq
  "${apt[@]}" install -y -qq --no-install-recommends wine32:i386 >/dev/null
}
install_wine32

# The locales the tests run programs under: Wine takes its ANSI code page from the Linux
# locale (1252 for English, 1251 for Russian, 932 for Japanese), but only from one that has
# been generated.
generate_locales() {
  local wanted=(en_US.UTF-8 ru_RU.UTF-8 ja_JP.UTF-8) missing=() have locale
  have=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
  for locale in "${wanted[@]}"; do
    echo "$have" | grep -qx "$(echo "$locale" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')" ||
      missing+=("$locale")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "setup: generating the locales ${missing[*]}"
  local gen=/etc/locale.gen run=()
  [ "$(id -u)" -eq 0 ] || run=(sudo)
  for locale in "${missing[@]}"; do
    if grep -q "^# *$locale UTF-8" "$gen" 2>/dev/null; then
      "${run[@]}" sed -i "s/^# *$locale UTF-8/$locale UTF-8/" "$gen"
    elif ! grep -q "^$locale UTF-8" "$gen" 2>/dev/null; then
      echo "$locale UTF-8" | "${run[@]}" tee -a "$gen" >/dev/null
    fi
  done
  "${run[@]}" locale-gen >/dev/null
}
generate_locales
