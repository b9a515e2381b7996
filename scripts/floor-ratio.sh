#!/usr/bin/env bash
# How far the floor ratio moves from run to run: times ConvertFile and the
# I/O floor on the typical feed in RUNS separate runs (default 8), each the
# medians of 10 interleaved repetitions pinned to one core, as
# scripts/bench.sh does, and prints every run's ratio and their median.
# Run scripts/bench.sh first: it builds build-release/ and the feeds.
#
# Usage: scripts/floor-ratio.sh [RUNS]   (BENCH_BUILD_DIR as for bench.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BENCH_BUILD_DIR:-build-release}
runs=${1:-8}
bench=$build/bench/quendix_bench
if [ ! -x "$bench" ] || [ ! -f "$build/bench-feeds/typical.xml" ]; then
    echo "floor-ratio.sh: run scripts/bench.sh first ($bench or its feeds are missing)" >&2
    exit 1
fi
pin=()
if command -v taskset >/dev/null 2>&1; then
    pin=(taskset -c "$(($(nproc) - 1))")
fi
results=$(mktemp -d "${TMPDIR:-/tmp}/quendix-floor.XXXXXX")
trap 'rm -rf "$results"' EXIT
for run in $(seq 1 "$runs"); do
    "${pin[@]}" "$bench" --feeds="$build/bench-feeds" \
        --benchmark_filter='^typical/(ConvertFile|IoFloor)/' --benchmark_repetitions=10 \
        --benchmark_min_time=0.1 --benchmark_enable_random_interleaving=true \
        --benchmark_report_aggregates_only=true --benchmark_format=json \
        >"$results/run$run.json" 2>/dev/null
done
python3 - "$results" "$runs" <<'EOF'
import json, statistics, sys

folder, runs = sys.argv[1], int(sys.argv[2])
ratios = []
for run in range(1, runs + 1):
    with open(f"{folder}/run{run}.json") as f:
        medians = {b["run_name"].split("/")[1]: b["real_time"]
                   for b in json.load(f)["benchmarks"] if b.get("aggregate_name") == "median"}
    ratio = medians["ConvertFile"] / medians["IoFloor"]
    ratios.append(ratio)
    print(f"run {run}: ConvertFile {medians['ConvertFile']:.1f} us, "
          f"floor {medians['IoFloor']:.1f} us, ratio {ratio:.2f}")
print(f"median ratio {statistics.median(ratios):.2f} over {runs} runs "
      f"({min(ratios):.2f} to {max(ratios):.2f}); "
      f"{sum(r <= 1.3 for r in ratios)} of {runs} at or under 1.3")
EOF
