#!/usr/bin/env bash
# Installs the build into a staging directory and checks what users get:
# each program with its link in bin/ and its man pages, the template in
# its configuration directory with a link beside the programs, the desktop
# entry, icon, AppStream metadata and licence; that the installed program
# converts the example; and that, with the staged data directory on
# XDG_DATA_DIRS, no .dat file changes type or default application while
# Quarnel is offered for a chosen file.
#
# usage: install_test.sh BUILD_DIR EXAMPLE_STAGES
set -euo pipefail

build=$1
example=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/shipped_lib.sh"

# Staged under a root of its own: the desktop entry and the template's
# place follow the prefix the build was configured with.
DESTDIR=$root cmake --install "$build" >/dev/null
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
# GNU's rule for the configuration directory: /etc for /usr, beside the
# prefix otherwise.
case $prefix in
  /usr) sysconfdir=/etc ;;
  /opt/*) sysconfdir=/etc$prefix ;;
  *) sysconfdir=$prefix/etc ;;
esac
check_shipped "$root" "$prefix" "$sysconfdir/quarnel"

# The program finds the template through its link. A link into /etc points
# outside the staging directory: point it at the staged template, as it
# will resolve once installed.
link=$root$prefix/libexec/quarnel/template.dat
case $(readlink "$link") in
  /*) ln -sfn "$root$(readlink "$link")" "$link" ;;
esac
cp "$example" "$root/stages.dat"
(cd "$root" && DISPLAY= WAYLAND_DISPLAY= timeout 60 "$root$prefix/bin/quarnel" stages.dat </dev/null) ||
  fail "the installed program failed"
[ -s "$root/stages.html" ] || fail "the installed program wrote no page"

# The desktop sees the staged data directory as it would an installed one;
# GIO lists an application only when its program is there, so the entry
# names the staged program.
share=$root$prefix/share
sed -i "s|^Exec=$prefix/|Exec=$root$prefix/|" "$share/applications/quarnel.desktop"
update-desktop-database "$share/applications"
if [ -d "$share/mime/packages" ]; then update-mime-database "$share/mime"; fi
system_dirs=/usr/local/share:/usr/share
before=$(file_types_snapshot "$system_dirs" "$example")
after=$(file_types_snapshot "$share:$system_dirs" "$example")
if [ "$before" != "$after" ]; then
  fail "the install changes what the desktop makes of .dat files"
  diff <(echo "$before") <(echo "$after") >&2 || true
fi
echo "$after"
home=$(mktemp -d)
XDG_DATA_HOME=$home XDG_CONFIG_HOME=$home XDG_DATA_DIRS=$share:$system_dirs \
  /usr/bin/python3 "$(dirname "$0")/file_types.py" offered quarnel.desktop || fail "Quarnel is not offered"
rm -rf "$home"

verdict "install"
