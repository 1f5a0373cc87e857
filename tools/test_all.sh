#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the README's test command.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install_deps.sh

# The Linux console build: unit tests and the end-to-end cases.
cmake --preset default
cmake --build --preset default
ctest --preset default

# The Windows program, cross-built, and its tests under Wine on a virtual
# screen: the unit tests, the end-to-end cases, its boxes and dialog, and
# its version resource.
cmake --preset windows
cmake --build --preset windows
cmake --build --preset windows --target quarnel_zip
bash testing/windows/run_tests.sh
