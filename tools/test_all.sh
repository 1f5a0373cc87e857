#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the README's test command.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install_deps.sh

# The Linux console build: unit tests and the end-to-end cases.
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
