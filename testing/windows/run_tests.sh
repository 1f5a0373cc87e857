#!/usr/bin/env bash
# Runs the Windows build's tests (ctest --preset windows) under Wine, in a
# fresh 32-bit Wine prefix whose ANSI code page is 932, on an Xvfb screen of
# its own, so the program's message boxes and dialog really appear.
#
# usage: run_tests.sh [CTEST_ARG...]   (after cmake --build --preset windows)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$PWD/build/windows
[ -x "$build/quarnel.exe" ] || { echo "run_tests.sh: build $build first" >&2; exit 1; }

# Japanese Windows: Wine takes its code pages from the locale.
locale -a | grep -qix 'ja_JP.utf8' || { echo "run_tests.sh: no ja_JP.UTF-8 locale" >&2; exit 1; }
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEARCH=win32 WINEDEBUG=-all WINEPREFIX=$build/wineprefix
# No downloads of the .NET and HTML engines while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=
cleanup() {
  timeout 30 wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
[ -s "$display_file" ] || { echo "run_tests.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(cat "$display_file")
rm -f "$display_file"

rm -rf "$WINEPREFIX"
echo "run_tests.sh: making the Wine prefix on display $DISPLAY"
timeout 300 wineboot -i >/dev/null 2>&1 || { echo "run_tests.sh: wineboot failed" >&2; exit 1; }
# Without a window manager Wine draws the title bars itself, so the pictures
# of the boxes show their titles.
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 ||
  { echo "run_tests.sh: cannot set up Wine's window frames" >&2; exit 1; }
# One wine server for all runs, started outside any test's limits, once the
# one of wineboot has gone.
timeout 60 wineserver -w || true
timeout 30 wineserver -p
acp=$(timeout 60 wine reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP \
      2>/dev/null | tr -d '\r' | awk '$1 == "ACP" { print $3 }' || true)
[ "$acp" = 932 ] || { echo "run_tests.sh: Wine's code page is '$acp', not 932" >&2; exit 1; }

ctest --preset windows "$@"
