#!/usr/bin/env bash
# Makes the README's pictures of the example page, built from
# examples/stages.dat with the default template: in headless Chromium in the
# light and the dark colour scheme (example-page.png,
# example-page-dark.png), and the first page of its print to PDF as
# pdftoppm renders it (example-page-print.png), two stages played, one
# with faults highlighted and one solved (example-page-play.png), and a
# stage in play on a phone (example-page-phone.png).
#
# usage: page_screenshot.sh [QUARNEL [OUTPUT_DIR]]
#   (defaults: build/default/quarnel, docs)
set -euo pipefail
cd "$(dirname "$0")/.."

quarnel=${1:-build/default/quarnel}
output=${2:-docs}
timeout 300 node testing/web/page_checks.mjs pictures "$quarnel" template.dat \
  examples/stages.dat testing/web/stress.dat "$output"
