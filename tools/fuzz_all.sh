#!/usr/bin/env bash
# Runs every fuzz harness of build/fuzz for a bounded time, one after the
# other, on a working copy of its seed corpus (fuzz/corpus/<harness>/ stays
# as committed). Fails on the first harness that finds a fault; the input
# that caused it is left in build/fuzz/artifacts/.
#
# usage: fuzz_all.sh [SECONDS_EACH]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=build/fuzz
mkdir -p "$build/artifacts"
for harness in fuzz_template fuzz_stages fuzz_render fuzz_gtstr fuzz_text_file fuzz_check fuzz_loop_solver fuzz_puzz_link; do
  work=$build/corpus/$harness
  mkdir -p "$work"
  log=$build/$harness.log
  # The guard allows for the last input and the corpus merge at the end.
  if ! timeout $((seconds + 120)) "$build/fuzz/$harness" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$harness-" \
      "$work" "fuzz/corpus/$harness" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "FAIL: $harness found a fault (log: $log)" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "$harness: ${runs:-?} inputs in ${seconds} s, no fault"
done
