#!/usr/bin/env bash
# Installs the Debian package on this machine, as users would, and takes it
# away again: the installed quarnel converts the example as the built one
# does, everything installed passes the checks of a staged install, no .dat
# file changes type or default application, a second install keeps an
# edited /etc/quarnel/template.dat, and a purge leaves no file behind. The
# machine is left as it was found, also when a check fails.
#
# usage: deb_test.sh DEB EXAMPLE_STAGES BUILT_QUARNEL
set -euo pipefail

deb=$(realpath "$1")
example=$(realpath "$2")
built=$(realpath "$3")
[ "$(id -u)" = 0 ] || { echo "FAIL: the package test installs into the system and needs root" >&2; exit 1; }
if dpkg-query -W -f '${Status}' quarnel 2>/dev/null | grep -qv 'not-installed'; then
  echo "FAIL: quarnel is already installed here; the test would change it" >&2
  exit 1
fi

work=$(mktemp -d)
# dpkg refuses to start while another package run holds its lock; wait for
# it as apt does, ten minutes at most.
dpkg_run() {
  local deadline=$((SECONDS + 600))
  until timeout 300 dpkg "$@" </dev/null >"$work/dpkg.log" 2>&1; do
    if grep -q 'lock' "$work/dpkg.log" && [ "$SECONDS" -lt "$deadline" ]; then
      sleep 2
      continue
    fi
    cat "$work/dpkg.log" >&2
    return 1
  done
}
installed() { dpkg-query -W -f '${Status}' quarnel 2>/dev/null | grep -qv 'not-installed'; }
cleanup() {
  if installed; then dpkg_run --purge quarnel || echo "FAIL: could not purge quarnel" >&2; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/shipped_lib.sh"
export DEBIAN_FRONTEND=noninteractive

# Converts the example with a program in a fresh directory; prints the page's
# path.
convert() {
  local dir
  dir=$(mktemp -d "$work/run.XXXXXX")
  cp "$example" "$dir/stages.dat"
  (cd "$dir" && DISPLAY= WAYLAND_DISPLAY= timeout 60 "$@" stages.dat </dev/null) || fail "$* failed"
  echo "$dir/stages.html"
}

system_dirs=/usr/local/share:/usr/share
before=$(file_types_snapshot "$system_dirs" "$example")

dpkg_run -i "$deb" || { fail "dpkg -i failed"; exit 1; }
# The desktop database and the icon cache are refreshed by the triggers of
# the packages that own them.
for trigger in desktop-file-utils hicolor-icon-theme; do
  grep -q "^Processing triggers for $trigger " "$work/dpkg.log" || fail "dpkg ran no $trigger trigger"
done
dpkg-query -W -f '${Status}\n' quarnel | grep -qx 'install ok installed' || fail "not installed"
dpkg -L quarnel >"$work/files"
! grep -q '^/usr/share/mime' "$work/files" || fail "the package installs a file type"

# The installed program, found on PATH, writes the page the built one writes
# with the default template.
expected=$(cd "$work" && mkdir ref && cp "$(dirname "$built")/template.dat" ref/ && cp "$built" ref/ &&
           convert "$work/ref/quarnel")
page=$(PATH=/usr/bin:/bin convert quarnel)
cmp "$expected" "$page" || fail "the installed quarnel writes another page"
[ "$(command -v quarnel)" = /usr/bin/quarnel ] || fail "quarnel is not on PATH"
grep -qx /etc/quarnel/template.dat /var/lib/dpkg/info/quarnel.conffiles ||
  fail "/etc/quarnel/template.dat is no conffile"

check_shipped "" /usr /etc/quarnel
after=$(file_types_snapshot "$system_dirs" "$example")
if [ "$before" != "$after" ]; then
  fail "installing the package changes what the desktop makes of .dat files"
  diff <(echo "$before") <(echo "$after") >&2 || true
fi
home=$(mktemp -d "$work/home.XXXXXX")
XDG_DATA_HOME=$home XDG_CONFIG_HOME=$home /usr/bin/python3 "$(dirname "$0")/file_types.py" \
  offered quarnel.desktop || fail "Quarnel is not offered"

# An administrator's edit of the template survives a second install, and
# the program uses it.
printf '<!-- edited by the administrator -->\r\n' >>/etc/quarnel/template.dat
edited=$(sha256sum </etc/quarnel/template.dat)
dpkg_run -i "$deb" || fail "the second dpkg -i failed"
[ "$(sha256sum </etc/quarnel/template.dat)" = "$edited" ] || fail "the second install lost the edit"
page=$(convert /usr/bin/quarnel)
grep -q 'edited by the administrator' "$page" || fail "the program does not use the edited template"

# A purge takes away every file, the edited conffile and its directory too.
dpkg_run --purge quarnel || fail "dpkg --purge failed"
while IFS= read -r path; do
  if [ -e "$path" ] || [ -L "$path" ]; then
    # A directory that other packages share stays.
    [ -d "$path" ] && [ ! -L "$path" ] && [ -n "$(ls -A "$path")" ] && continue
    fail "$path is left after the purge"
  fi
done <"$work/files"
[ ! -e /etc/quarnel ] || fail "/etc/quarnel is left after the purge"
! installed || fail "dpkg still knows quarnel"

verdict "deb"
