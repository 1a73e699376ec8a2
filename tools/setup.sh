#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test Veilquill.
# Idempotent and quiet when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build make g++ clang libclang-rt-14-dev llvm
  googletest
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  mingw-w64-tools binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 fonts-wine
  xvfb x11-apps x11-utils imagemagick
  fp-utils nsis zip unzip python3 procps
  libcli11-dev time
  libgcrypt20-dev libgcrypt-mingw-w64-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
