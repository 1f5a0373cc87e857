#!/usr/bin/env bash
# Every stage of the given stage files (and of each .dat of the given
# directories) is written as an address by quarnel-check --urls; the
# addresses become a stage file through quarnel-import, from a file and from
# standard input alike, and quarnel-check --urls finds in it the same
# addresses, so the same boards, and nothing to warn of.
#
# usage: import_round_trip.sh QUARNEL_CHECK QUARNEL_IMPORT FILE_OR_DIR...
set -euo pipefail
check=$1 import=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
files=()
for arg in "$@"; do
  if [ -d "$arg" ]; then files+=("$arg"/*.dat); else files+=("$arg"); fi
done
# A stage file with warnings (status 1) still has its addresses.
addresses() {
  local report
  report=$("$check" --no-solve --urls "$1") || [ $? -eq 1 ]
  sed -n 's/^.*: ステージ [0-9]*: //p' <<< "$report"
}
total=0
for file in "${files[@]}"; do
  addresses "$file" > "$work/urls.txt"
  count=$(wc -l < "$work/urls.txt")
  [ "$count" -gt 0 ] || { echo "FAIL: no address for $file" >&2; exit 1; }
  "$import" "$work/urls.txt"
  "$import" - < "$work/urls.txt" > "$work/from_stdin.dat"
  cmp "$work/urls.dat" "$work/from_stdin.dat" ||
    { echo "FAIL: standard input gave another stage file for $file" >&2; exit 1; }
  addresses "$work/urls.dat" > "$work/again.txt"
  diff -u "$work/urls.txt" "$work/again.txt" ||
    { echo "FAIL: the stages of $file changed on their way through their addresses" >&2; exit 1; }
  report=$("$check" --no-solve "$work/urls.dat")
  case $report in
    *": $count ステージ、問題は見つかりませんでした (UTF-8 BOM つき, CR LF)") ;;
    *) echo "FAIL: quarnel-check on the stage file of $file: $report" >&2; exit 1 ;;
  esac
  total=$((total + count))
done
echo "$total stages of ${#files[@]} files read back as the same boards"
