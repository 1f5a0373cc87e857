#!/usr/bin/env bash
# Installs the Debian packages that the build and the whole test suite need:
# the Linux build, and the Windows build with Wine (32-bit, from the i386
# architecture), a virtual screen and the tools that answer its windows.
# Runs apt-get as root, or through sudo for another user.
set -euo pipefail

packages=(
  cmake g++ make libgtest-dev libgmock-dev
  # The Windows program and its tests.
  g++-mingw-w64-i686-posix googletest python3
  wine wine32:i386
  xvfb xdotool imagemagick icoutils fonts-noto-cjk locales
)

sudo=()
if [ "$(id -u)" != 0 ]; then sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
# Wine takes its ANSI code page, 932 for Japanese, from the locale.
if ! locale -a | grep -qix 'ja_JP.utf8'; then
  "${sudo[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
