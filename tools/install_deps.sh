#!/usr/bin/env bash
# Installs the Debian packages that the build and the whole test suite need.
# Runs apt-get as root, or through sudo for another user.
set -euo pipefail

packages=(
  # the build and the unit tests
  cmake g++ make libgtest-dev libgmock-dev
  libbenchmark-dev time
  clang libclang-rt-dev util-linux

  # the desktop windows, and their tests on a virtual display
  pkg-config libgtk-3-dev adwaita-icon-theme xvfb xdotool imagemagick bsdutils
  dbus-daemon dbus-bin at-spi2-core python3-gi gir1.2-atspi-2.0
  # the desktop entry's checks
  desktop-file-utils libxml2-utils
  # the example page in a browser, with fonts for its Japanese
  chromium fonts-noto-cjk fonts-dejavu-core python3
)

apt=(apt-get)
if [ "$(id -u)" != 0 ]; then apt=(sudo apt-get); fi
export DEBIAN_FRONTEND=noninteractive
"${apt[@]}" update -qq
# Another package run on the machine may hold the lock for a while.
"${apt[@]}" -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
