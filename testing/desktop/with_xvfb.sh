#!/usr/bin/env bash
# Runs a command on a display of its own: a fresh Xvfb server on a free
# display number, stopped when the command ends.
#
# usage: with_xvfb.sh COMMAND [ARG...]
set -euo pipefail

command -v Xvfb >/dev/null || { echo "with_xvfb.sh: Xvfb is not installed" >&2; exit 1; }
source "$(dirname "$0")/../lib.sh"
tmp=$(mktemp -d)
xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT

start_xvfb 1280x1024x24 -noreset
unset WAYLAND_DISPLAY
# A session bus of its own carries the accessibility tree that the tests
# read (a11y_windows.py); settings stay in memory, and a home of its own
# keeps the user's settings and recent files out of it. Texts of GTK's own
# (button labels) are the untranslated ones.
command -v dbus-run-session >/dev/null ||
  { echo "with_xvfb.sh: dbus-run-session is not installed" >&2; exit 1; }
unset NO_AT_BRIDGE DBUS_SESSION_BUS_ADDRESS
export GSETTINGS_BACKEND=memory LC_ALL=C.UTF-8 LANGUAGE=
mkdir "$tmp/home"
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" \
  XDG_DATA_HOME="$tmp/home/.local/share" XDG_CACHE_HOME="$tmp/home/.cache" \
  XDG_RUNTIME_DIR="$tmp/home/.run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

set +e
dbus-run-session -- "$@"
status=$?
set -e
exit "$status"
