#!/usr/bin/env bash
# Runs the unit test program once under valgrind's memcheck, from a plain
# (unsanitized) build. Any memory error, or any leak, fails the run.
# Usage: scripts/test-valgrind.sh   (BUILD_DIR overrides build-valgrind)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-valgrind}
cmake -S . -B "$build" -DQUENDIX_WERROR=ON -DQUENDIX_BUILD_TESTS=ON
cmake --build "$build" -j"$(nproc)" --target quendix_tests
valgrind --tool=memcheck --error-exitcode=1 --leak-check=full \
  --errors-for-leak-kinds=definite,indirect,possible --track-origins=yes \
  "$build/tests/quendix_tests"
