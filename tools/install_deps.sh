#!/usr/bin/env bash
# Installs the Debian packages that the build and the whole test suite need.
# Runs apt-get as root, or through sudo for another user.
set -euo pipefail

packages=(
  cmake g++ make libgtest-dev libgmock-dev
  libbenchmark-dev time
  clang libclang-rt-dev util-linux
)

apt=(apt-get)
if [ "$(id -u)" != 0 ]; then apt=(sudo apt-get); fi
export DEBIAN_FRONTEND=noninteractive
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
