#!/usr/bin/env bash
# Checks the system code page backend against the table both builds share:
# runs quarnel_code_page_table (through RUNNER, such as wine, if given) and
# compares the SHA-256 of what it writes with testing/code_page/code_page_table.sha256.
#
# usage: check_code_page_table.sh WANT_SHA256_FILE TABLE_PROGRAM [RUNNER...]
set -euo pipefail
want=$(cat "$1")
program=$2
shift 2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
if [ "$#" -ne 0 ]; then
  # A Windows program takes a Windows path (drive Z: is the root).
  (cd "$out" && timeout 120 "$@" "$program" table.txt)
else
  timeout 120 "$program" "$out/table.txt"
fi
seen=$(sha256sum "$out/table.txt" | cut -d' ' -f1)
if [ "$seen" != "$want" ]; then
  echo "FAIL: the code page table differs ($seen, expected $want)" >&2
  echo "first lines of it, for a diff against the other build's:" >&2
  head -n 5 "$out/table.txt" >&2
  exit 1
fi
echo "code page table: ok ($(wc -l < "$out/table.txt") lines)"
