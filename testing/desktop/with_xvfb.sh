#!/usr/bin/env bash
# Runs a command on a display of its own: a fresh Xvfb server on a free
# display number, stopped when the command ends.
#
# usage: with_xvfb.sh COMMAND [ARG...]
set -euo pipefail

command -v Xvfb >/dev/null || { echo "with_xvfb.sh: Xvfb is not installed" >&2; exit 1; }
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

# The server picks a free display and writes its number once it accepts
# clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$tmp/display" \
  2>"$tmp/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$tmp/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$tmp/display" ]; then
  echo "with_xvfb.sh: Xvfb did not start within 10 s" >&2
  cat "$tmp/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(tr -d '\n' <"$tmp/display")"
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
