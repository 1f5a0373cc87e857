#!/usr/bin/env bash
# Runs headless Chromium on a page with a fresh profile, no network use of
# its own and a time limit; the other arguments say what to do with it.
#
# usage: chromium_headless.sh PAGE [CHROMIUM-ARG...]
#   e.g. chromium_headless.sh examples/stages.html --dump-dom > dom.html
set -euo pipefail

page=$1
shift
chromium=${CHROMIUM:-/usr/bin/chromium}
[ -x "$chromium" ] || { echo "chromium_headless.sh: $chromium is not installed" >&2; exit 1; }
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
url="file://$(realpath "$page")"

# Chromium's own chatter (no session bus, no GPU) goes to a log that is
# shown only when the run fails.
status=0
timeout 90 "$chromium" --headless --no-sandbox --disable-gpu --disable-quic \
  --no-first-run --disable-background-networking --disable-component-update \
  --disable-sync --hide-scrollbars --user-data-dir="$profile" "$@" "$url" \
  2>"$profile/log" || status=$?
if [ "$status" -ne 0 ]; then
  echo "chromium_headless.sh: Chromium failed with status $status" >&2
  cat "$profile/log" >&2
fi
exit "$status"
