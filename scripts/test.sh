#!/usr/bin/env bash
# Builds the library, the command and the tests (warnings are errors), then
# runs every test. Needs only what a fresh machine has: g++, cmake, GoogleTest.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DQUENDIX_WERROR=ON -DQUENDIX_BUILD_TESTS=ON
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure --no-tests=error -j"$(nproc)"
