#!/usr/bin/env bash
# Builds the library, the command and every test with AddressSanitizer and
# UndefinedBehaviorSanitizer (any finding aborts), then runs the whole test
# suite. Usage: scripts/test-sanitizers.sh   (BUILD_DIR overrides build-asan)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-asan}
cmake -S . -B "$build" -DQUENDIX_SANITIZE=ON -DQUENDIX_WERROR=ON -DQUENDIX_BUILD_TESTS=ON
cmake --build "$build" -j"$(nproc)"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
