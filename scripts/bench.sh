#!/usr/bin/env bash
# Reproduces the README's Performance table. Builds in Release mode in
# build-release/, writes the benchmark feeds, runs the Google Benchmark
# comparison (ConvertFile, the I/O floor, the plain port), counts
# instructions per input character with callgrind, measures the peak
# resident memory of `quendix convert`, and prints the table.
#
# Needs: g++, cmake, Google Benchmark (libbenchmark-dev), valgrind,
# python3 and /usr/bin/time (Debian package `time`).
#
#   BENCH_BUILD_DIR  build directory (default build-release)
#   BENCH_REPETITIONS  benchmark repetitions, medians reported (default 10)
#   BENCH_CALLS  N for the callgrind count: runs of N and 2N calls (default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BENCH_BUILD_DIR:-build-release}
repetitions=${BENCH_REPETITIONS:-10}
calls=${BENCH_CALLS:-10}

for tool in cmake python3 valgrind /usr/bin/time; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "bench.sh: $tool is missing (valgrind and /usr/bin/time: apt-get install valgrind time)" >&2
        exit 1
    fi
done

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUENDIX_BUILD_BENCH=ON \
    -DQUENDIX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target quendix_bench quendix_callgrind_driver quendix_cli >/dev/null

feeds=$build/bench-feeds
results=$build/bench-results
mkdir -p "$results"
python3 scripts/make-bench-feeds.py "$feeds"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quendix-bench.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# Repetitions of ConvertFile, the floor and the plain port run in random
# order, so a spell of slow file system calls on the machine falls on all
# three alike instead of on whichever was running at the time.
# Pinned to one core where taskset exists: a process moved between cores
# mid-run finds its fixed storage in the other core's cache, which spread
# ConvertFile's repetitions by 10 to 20 % here, against 1 to 7 % pinned.
pin=()
if command -v taskset >/dev/null 2>&1; then
    pin=(taskset -c "$(($(nproc) - 1))")
fi
echo "== Google Benchmark: $repetitions repetitions, interleaved, medians" >&2
"${pin[@]}" "$build/bench/quendix_bench" --feeds="$feeds" \
    --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
    --benchmark_min_time=0.1 --benchmark_enable_random_interleaving=true \
    --benchmark_out="$results/benchmark.json" --benchmark_out_format=json >&2

echo "== callgrind: $calls and $((2 * calls)) calls per feed" >&2
: >"$results/callgrind.tsv"
: >"$results/memory.tsv"
for feed in typical small worst-open-dates worst-near-misses worst-angles \
    windows-1251 windows-1251-as-utf8 shift_jis gb18030 shift_jis-as-ascii gb18030-as-ascii \
    shift_jis-run shift_jis-run-as-ascii russian arabic japanese chinese emoji \
    long-50mb worst-window-edges; do
    counts=()
    n_calls=$calls
    case $feed in long-* | worst-window-*) n_calls=1 ;; esac # tens of megabytes a call
    for n in "$n_calls" "$((2 * n_calls))"; do
        valgrind --tool=callgrind --callgrind-out-file="$scratch/callgrind.out" \
            "$build/bench/quendix_callgrind_driver" "$feeds/$feed.xml" "$scratch/out.rec" "$n" \
            >/dev/null 2>"$scratch/callgrind.log"
        counts+=("$(sed -n 's/.*Collected : *\([0-9]*\).*/\1/p' "$scratch/callgrind.log")")
    done
    printf '%s\t%s\t%s\t%s\n' "$feed" "$n_calls" "${counts[0]}" "${counts[1]}" >>"$results/callgrind.tsv"
    /usr/bin/time -v "$build/quendix" convert "$feeds/$feed.xml" "$scratch/out.rec" \
        >/dev/null 2>"$scratch/time.log"
    printf '%s\t%s\n' "$feed" \
        "$(sed -n 's/.*Maximum resident set size (kbytes): *//p' "$scratch/time.log")" \
        >>"$results/memory.tsv"
done

python3 bench/report_table.py --feeds "$feeds" --benchmark "$results/benchmark.json" \
    --callgrind "$results/callgrind.tsv" --memory "$results/memory.tsv"
