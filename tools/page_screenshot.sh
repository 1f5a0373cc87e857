#!/usr/bin/env bash
# Makes the README's picture of the example page: builds the page from
# examples/stages.dat with the default template and photographs it in
# headless Chromium.
#
# usage: page_screenshot.sh [QUARNEL [OUTPUT.png]]
#   (defaults: build/default/quarnel, docs/example-page.png)
set -euo pipefail
cd "$(dirname "$0")/.."

quarnel=${1:-build/default/quarnel}
output=${2:-docs/example-page.png}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/bin"
cp "$quarnel" "$work/bin/quarnel"
cp template.dat "$work/bin/template.dat"
cp examples/stages.dat "$work/stages.dat"
(cd "$work" && DISPLAY= WAYLAND_DISPLAY= timeout 60 bin/quarnel stages.dat </dev/null)
mkdir -p "$(dirname "$output")"
bash tools/chromium_headless.sh "$work/stages.html" --window-size=1100,760 \
  --screenshot="$(realpath "$(dirname "$output")")/$(basename "$output")" >/dev/null
echo "written: $output"
