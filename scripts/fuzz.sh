#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build-fuzz/) and runs each one for
# a bounded time, one after another on one core, with the tag dictionary.
# Each starts from a scratch copy of its seed corpus and saved regression
# inputs, so nothing is written into the repository. Any crash, broken
# invariant, leak or slow input fails the run; the input that caused it is
# kept in the artifacts folder printed below, to be copied into
# tests/regressions/<target>/ once the fault is fixed.
#
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
#   SECONDS_PER_TARGET defaults to 60; TARGET defaults to every target
#   (convert convert_at_capacity load_feed decode; decode's first byte picks
#   the encoding). FUZZ_BUILD_DIR overrides build-fuzz,
#   FUZZ_WORK_DIR the scratch folder.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(convert convert_at_capacity load_feed decode)
fi
build=${FUZZ_BUILD_DIR:-build-fuzz}
work=${FUZZ_WORK_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/quendix-fuzz-XXXXXX")}

CC=clang CXX=clang++ cmake -S . -B "$build" -DQUENDIX_FUZZ=ON -DQUENDIX_BUILD_TESTS=OFF
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

failed=()
for target in "${targets[@]}"; do
  corpus="$work/corpus/$target"
  mkdir -p "$corpus" "$work/artifacts"
  cp fuzz/corpus/"$target"/* "$corpus"/
  if [ -d "tests/regressions/$target" ]; then
    cp tests/regressions/"$target"/* "$corpus"/
  fi
  log="$work/$target.log"
  echo "== fuzz_$target for ${seconds}s"
  if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -dict=fuzz/tags.dict \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$work/artifacts/$target-" "$corpus" >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$log" || true
  else
    failed+=("$target")
    tail -n 40 "$log"
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing found faults in: ${failed[*]}"
  echo "inputs that caused them: $work/artifacts/"
  ls -l "$work/artifacts/"
  exit 1
fi
echo "fuzzing found nothing (${seconds}s per target); logs in $work"
