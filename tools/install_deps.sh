#!/usr/bin/env bash
# Installs the Debian packages that the build and the whole test suite need:
# the Linux build, and the Windows builds with Wine (32-bit, from the i386
# architecture, and 64-bit), a virtual screen and the tools that answer its
# windows.
# Runs apt-get as root, or through sudo for another user.
set -euo pipefail

packages=(
  # the build and the unit tests
  cmake g++ make libgtest-dev libgmock-dev
  # the compiler cache the test command shares between two builds
  ccache
  libbenchmark-dev time
  clang libclang-rt-dev util-linux
  # users for the cases that run as one (useradd; setpriv is util-linux's)
  passwd
  # the independent model the loop solver's tests compare it with
  python3-z3

  # the desktop windows, and their tests on a virtual display
  pkg-config libgtk-3-dev adwaita-icon-theme xvfb xdotool imagemagick bsdutils
  dbus-daemon dbus-bin at-spi2-core python3-gi gir1.2-atspi-2.0
  # the desktop entry's checks
  desktop-file-utils libxml2-utils
  # the Debian package: made with CPack (dpkg-shlibdeps), checked by
  # lintian, its man pages, AppStream metadata and the file types the
  # desktop sees
  dpkg-dev lintian man-db appstream shared-mime-info hicolor-icon-theme gzip
  # the example page in a browser, with fonts for its Japanese; Node.js
  # runs the page checks (testing/web/), Java the Nu HTML Checker, and
  # poppler's tools read the printed page
  chromium fonts-noto-cjk fonts-dejavu-core python3
  nodejs default-jre-headless poppler-utils
  # The Windows program and its tests: the shipped 32-bit program runs
  # under 32-bit Wine where the machine executes 32-bit code, and its 64-bit
  # twin under 64-bit Wine everywhere else.
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest python3
  # (and 32-bit Wine, wine32:i386, installed on its own below)
  wine wine64
  xvfb xdotool imagemagick icoutils fonts-noto-cjk locales
)

sudo=()
if [ "$(id -u)" != 0 ]; then sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
# A mirror caught in the middle of a sync serves an index that does not
# match its release file, and apt-get update then fails for that index
# alone. Try again a little later; if it still fails, go on with the
# indexes that did arrive: what is missing shows as a failed install below.
for attempt in 1 2 3; do
  if "${sudo[@]}" apt-get update -qq; then break; fi
  if [ "$attempt" = 3 ]; then
    echo "install_deps.sh: WARNING: apt-get update failed three times; going on with the package indexes it did fetch" >&2
  else
    sleep 20
  fi
done
# Another package run on the machine may hold the lock for a while.
apt_install() {
  "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends \
    --no-remove "$@" >/dev/null
}
apt_install "${packages[@]}"
# 32-bit Wine needs its i386 libraries at exactly the versions of the
# 64-bit ones, so an i386 index missing after a failed update (the security
# updates' are the ones that move) makes it uninstallable while all else
# installs. The Windows suite then tests the shipped program's 64-bit twin
# under 64-bit Wine, as on machines that cannot execute 32-bit code, and
# says so at its start and end; say here why.
if ! apt_install wine32:i386; then
  echo "install_deps.sh: WARNING: 32-bit Wine could not be installed (see apt-get above);" \
    "the Windows suite will test the 64-bit build under 64-bit Wine" >&2
fi
# Wine takes its ANSI code page, 932 for Japanese, from the locale; Hindi
# has none, which gives the 65001 of Windows' UTF-8 option.
if ! locale -a | grep -qix 'ja_JP.utf8'; then
  "${sudo[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
if ! locale -a | grep -qix 'hi_IN.utf8'; then
  "${sudo[@]}" localedef -i hi_IN -f UTF-8 hi_IN.UTF-8
fi

# The page checks' npm packages, at the versions of testing/web's lock
# file. No install scripts: the checker's own would fetch a Java of its own,
# and Debian's serves.
if [ "$(node -p 'process.versions.node.split(".")[0]')" -lt 20 ]; then
  echo "install_deps.sh: the page checks need Node.js 20 or later, found $(node --version)" >&2
  exit 1
fi
npm ci --prefix "$(dirname "$0")/../testing/web" --ignore-scripts --no-audit --no-fund --loglevel=error >/dev/null
