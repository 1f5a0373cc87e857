#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the README's test command.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install_deps.sh

# The Linux build with its GTK 3 windows, which the configure step
# requires: unit tests, the end-to-end cases, the windows and terminal runs
# on Xvfb displays of their own, the install layout and the example page in
# headless Chromium.
cmake --preset default
cmake --build --preset default
ctest --preset default

# The same suites under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake --preset asan
cmake --build --preset asan
ctest --preset asan

# The fuzz harnesses (clang, libFuzzer, both sanitizers), a minute each.
cmake --preset fuzz
cmake --build --preset fuzz
bash tools/fuzz_all.sh 60

# The same program built without GTK: the console program, on the console
# tests.
cmake --preset console
cmake --build --preset console
ctest --preset console

# The Windows program, cross-built, and its tests under Wine on a virtual
# screen: the unit tests, the end-to-end cases, its boxes and dialog, and
# its version resource. The suite runs the shipped 32-bit program where this
# machine executes 32-bit code, and its 64-bit twin where it does not; it
# says which at its start and its end.
cmake --preset windows
cmake --build --preset windows
cmake --build --preset windows --target quarnel_zip
cmake --preset windows64
cmake --build --preset windows64
bash testing/windows/run_tests.sh
