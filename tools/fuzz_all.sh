#!/usr/bin/env bash
# Runs every fuzz harness of build/fuzz for a bounded time, on a working copy
# of its seed corpus (fuzz/corpus/<harness>/ stays as committed), JOBS
# harnesses at a time (each is one process on one core). Every harness gets
# its full time however many run beside it. After a harness finds a fault no
# further one starts, the running ones finish, and the run fails; the input
# that caused it is left in build/fuzz/artifacts/.
#
# usage: fuzz_all.sh [SECONDS_EACH [JOBS]]   (defaults 60, and the number of
#                                            cores up to 2)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
jobs=${2:-$(nproc)}
if [ "$jobs" -gt 2 ] && [ -z "${2:-}" ]; then jobs=2; fi
build=build/fuzz
harnesses=(fuzz_template fuzz_stages fuzz_render fuzz_gtstr fuzz_text_file fuzz_check fuzz_loop_solver fuzz_puzz_link)
mkdir -p "$build/artifacts"

fuzz_one() {
  local harness=$1 work=$build/corpus/$1 log=$build/$1.log runs
  mkdir -p "$work"
  # The guard allows for the last input and the corpus merge at the end.
  if ! timeout $((seconds + 120)) "$build/fuzz/$harness" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$harness-" \
      "$work" "fuzz/corpus/$harness" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "FAIL: $harness found a fault (log: $log)" >&2
    return 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "$harness: ${runs:-?} inputs in ${seconds} s, no fault"
}

status=0 running=0
for harness in "${harnesses[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || status=1
    running=$((running - 1))
  fi
  [ "$status" = 0 ] || break
  fuzz_one "$harness" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || status=1
  running=$((running - 1))
done
exit "$status"
