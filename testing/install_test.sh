#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop
# needs: the program runs from its link in bin/ with template.dat beside
# it, the desktop entry is valid and starts the installed program for
# stage files, and the icon and the file type are well-formed.
#
# usage: install_test.sh BUILD_DIR EXAMPLE_STAGES
set -euo pipefail

build=$1
example=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Staged under a root of its own: the desktop entry names the program by
# the prefix the build was configured with.
DESTDIR=$root cmake --install "$build" >/dev/null
prefix=$root$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")

desktop=$prefix/share/applications/quarnel.desktop
[ -f "$desktop" ] || fail "no desktop entry"
desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
program=${exec_line% %f}
[ "$exec_line" = "$program %f" ] || fail "Exec does not pass the file: $exec_line"
[ -x "$root$program" ] || fail "Exec names no installed program: $program"
[ -f "$(dirname "$root$program")/template.dat" ] || fail "no template.dat beside $program"
grep -qx 'MimeType=application/x-quarnel-stages;' "$desktop" || fail "no MimeType for stage files"
grep -qx 'Icon=quarnel' "$desktop" || fail "no icon named"

xmllint --noout "$prefix/share/icons/hicolor/scalable/apps/quarnel.svg" || fail "the icon is not well-formed"
mime=$prefix/share/mime/packages/quarnel-stages.xml
xmllint --noout "$mime" || fail "the file type is not well-formed"
grep -q 'glob pattern="\*.dat"' "$mime" || fail "the file type does not claim *.dat"

# The link in bin/ finds the template beside the real program.
cp "$example" "$prefix/stages.dat"
(cd "$prefix" && DISPLAY= WAYLAND_DISPLAY= timeout 60 "$prefix/bin/quarnel" stages.dat </dev/null) ||
  fail "the installed program failed"
[ -s "$prefix/stages.html" ] || fail "the installed program wrote no page"

if [ "$failures" -ne 0 ]; then
  echo "install: $failures check(s) failed" >&2
  exit 1
fi
echo "install: ok"
