#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the README's test command.
#
# Six builds and their suites, on two lanes so that both cores stay busy:
#   main lane     the default build, the Windows builds the suite needs,
#                 then the default suite, the asan build and suite, the
#                 console build and suite, the fuzz build and harnesses
#   Windows lane  from when its builds are done, in the background: the
#                 Windows suite under Wine, which mostly waits for windows
#                 to appear and close on its virtual screen
# Nothing is dropped for speed: every suite runs every test it ran before.
# What is cut is what repeated or waited:
# - the console build takes the default build's objects from a compiler
#   cache (the two compile the same sources with the same flags, but for the
#   dialogs' backend); the console suite still tests its own programs;
# - the fuzz harnesses run two at a time, each for its full minute;
# - the Linux suites run two tests at a time, as before, the longest first;
#   the Windows suite runs its unit tests two at a time too, beside the
#   tests that use its screen, which run one at a time;
# - where this machine cannot run 32-bit code, the shipped 32-bit Windows
#   build makes only what ships (programs, zip, and their check) and its
#   64-bit twin is tested; where it can, the shipped build makes every test
#   and is tested, and the twin is built later on the main lane.
# The Windows lane's output is printed whole when it ends; a failure on
# either lane fails the run. Each phase's log is kept in build/logs/, and a
# table at the end gives each phase's start, wall and CPU time (seconds) and
# how many tests it ran.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD

bash tools/install_deps.sh

logs=$source_dir/build/logs
rm -rf "$logs"
mkdir -p "$logs"
run_start=$(date +%s)

# phase NAME COMMAND...: runs COMMAND with its output on the terminal and in
# build/logs/NAME.log, and records its wall and CPU time.
phase() {
  local name=$1 status=0 start
  shift
  start=$(($(date +%s) - run_start))
  echo "=== $name (at $((start / 60)) min $((start % 60)) s): $*"
  /usr/bin/time -o "$logs/$name.time" -f "%e %U %S" "$@" 2>&1 | tee "$logs/$name.log" ||
    status=$?
  # (time puts a line about a failed command's status first)
  read -r wall user sys < <(tail -n 1 "$logs/$name.time") || { wall=0 user=0 sys=0; }
  local tests
  tests=$(awk '/tests failed out of/ { out = out (out ? "+" : "") $NF }
               / inputs in .*, no fault$/ { fuzzed++ }
               END { if (fuzzed) out = out (out ? "+" : "") fuzzed " harnesses"; print out }' \
          "$logs/$name.log")
  printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "$start" "$wall" \
    "$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.0f", u + s }')" "$status" "${tests:--}" \
    >>"$logs/phases"
  return "$status"
}

summary() {
  [ -s "$logs/phases" ] || return 0
  echo
  echo "=== phases (seconds from the start; wall; CPU: user + system of the phase's processes)"
  awk -F '\t' '{ cpu += $4; printf "%-20s %8s %8.0f %8s %7s  %s\n", $1, $2, $3, $4, $5, $6 }
       BEGIN { printf "%-20s %8s %8s %8s %7s  %s\n", "phase", "started", "wall", "CPU", "status", "tests" }
       END { printf "CPU of all phases: %.0f s\n", cpu }' "$logs/phases"
  echo "whole run: $(($(date +%s) - run_start)) s wall"
}

windows_lane_pid=
finish() {
  local status=$?
  if [ -n "$windows_lane_pid" ] && kill -0 "$windows_lane_pid" 2>/dev/null; then
    echo "test_all.sh: stopping the Windows lane" >&2
    kill -- -"$windows_lane_pid" 2>/dev/null || true
  fi
  summary
  if [ "$status" = 0 ]; then echo "test_all.sh: every suite passed"; else echo "test_all.sh: FAILED" >&2; fi
}
trap finish EXIT

# The compiler cache, kept inside build/ (which CI removes first), with paths taken relative to each build directory, so that two
# builds at the same depth under build/ share each object compiled alike.
export CCACHE_DIR=$source_dir/build/ccache CCACHE_BASEDIR=$source_dir CCACHE_NOHASHDIR=1
export CCACHE_MAXSIZE=2G CCACHE_NOCOMPRESS=true
ccache=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# Where this machine runs 32-bit Windows code, the Windows suite tests the
# shipped 32-bit build itself, and that build makes every test; elsewhere
# its 64-bit twin is tested and the shipped build makes what ships.
windows_suite_preset=$(bash testing/windows/run_tests.sh --which-preset)

# The Linux build with its GTK 3 windows, which the configure step
# requires: unit tests, the end-to-end cases, the windows and terminal runs
# on Xvfb displays of their own, the install layout and the example page in
# headless Chromium.
phase configure.default cmake --preset default "${ccache[@]}"
phase build.default cmake --build --preset default

# The Windows program, cross-built, and its tests under Wine on a virtual
# screen: the unit tests, the end-to-end cases, its boxes and dialog, and
# its version resource. The suite runs the shipped 32-bit program where this
# machine executes 32-bit code, and its 64-bit twin where it does not; it
# says which at its start and its end.
phase configure.windows cmake --preset windows
phase configure.windows64 cmake --preset windows64
start_windows_lane() {
  set -m  # a process group of its own, to stop it whole
  (phase suite.windows bash testing/windows/run_tests.sh) >"$logs/windows-lane.log" 2>&1 &
  windows_lane_pid=$!
  set +m
  echo "=== the Windows suite runs in the background; its output follows when it ends"
}
if [ "$windows_suite_preset" = windows ]; then
  phase build.windows cmake --build --preset windows
  phase build.windows.zip cmake --build --preset windows --target quarnel_zip
  start_windows_lane
else
  phase build.windows.zip cmake --build --preset windows --target quarnel_zip
  phase build.windows64 cmake --build --preset windows64
  start_windows_lane
fi

phase suite.default ctest --preset default

# The same suites under AddressSanitizer and UndefinedBehaviorSanitizer.
phase configure.asan cmake --preset asan
phase build.asan cmake --build --preset asan
phase suite.asan ctest --preset asan

# The same program built without GTK: the console program, on the console
# tests.
phase configure.console cmake --preset console "${ccache[@]}"
phase build.console cmake --build --preset console
ccache --show-stats | sed -n 's/^ *\(Hits\|Misses\): */compiler cache \1: /p' || true
phase suite.console ctest --preset console

# Where the shipped build is the one tested, the twin is still built, so
# that it keeps compiling for the machines that need it.
if [ "$windows_suite_preset" = windows ]; then
  phase build.windows64 cmake --build --preset windows64
fi

# The fuzz harnesses (clang, libFuzzer, both sanitizers), a minute each,
# two at a time.
phase configure.fuzz cmake --preset fuzz
phase build.fuzz cmake --build --preset fuzz
phase suite.fuzz bash tools/fuzz_all.sh 60

echo "=== waiting for the Windows suite"
windows_status=0
wait "$windows_lane_pid" || windows_status=$?
windows_lane_pid=
echo "=== the Windows lane's output"
cat "$logs/windows-lane.log"
[ "$windows_status" = 0 ] || { echo "test_all.sh: the Windows suite failed" >&2; exit "$windows_status"; }
