#!/usr/bin/env bash
# Instructions per decoded 16-bit character of one ConvertFile call, for two
# builds in one run, with callgrind (valgrind), and whether their record
# files are byte-identical. Instruction counts do not depend on what else
# the machine is doing, so this decides between two forms of the code where
# wall times on a busy machine cannot.
#
#   scripts/compare-instructions.sh BEFORE_DRIVER AFTER_DRIVER FEEDS_DIR [FEED...]
#
# The drivers are bench/quendix_callgrind_driver of two Release builds (for
# example main's and the branch's); FEEDS_DIR holds the feeds written by
# scripts/make-bench-feeds.py. Without FEED names, every feed there but the
# long ones. Each count is the difference between runs of 2 and 4 calls,
# halved, so start-up costs drop out.
set -euo pipefail
if [ $# -lt 3 ]; then
    sed -n '2,15p' "$0" >&2
    exit 2
fi
before=$(realpath "$1") after=$(realpath "$2") feeds=$(realpath "$3")
shift 3
cd "$(dirname "$0")/.."
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for file in "$feeds"/*.xml; do
        name=$(basename "$file" .xml)
        case $name in long-* | worst-window-*) continue ;; esac
        names+=("$name")
    done
fi
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quendix-compare.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# Instructions of one call of driver $1 on feed file $2.
per_call() {
    local counts=() n
    for n in 2 4; do
        valgrind --tool=callgrind --callgrind-out-file="$scratch/callgrind.out" \
            "$1" "$2" "$scratch/out.rec" "$n" >/dev/null 2>"$scratch/callgrind.log"
        counts+=("$(sed -n 's/.*Collected : *\([0-9]*\).*/\1/p' "$scratch/callgrind.log")")
    done
    echo $(((counts[1] - counts[0]) / 2))
}

printf '%-24s %10s %10s %8s  %s\n' feed before after change records
for name in "${names[@]}"; do
    feed=$feeds/$name.xml
    characters=$(python3 -c "import sys; sys.path.insert(0, 'bench'); import report_table; \
print(report_table.characters(sys.argv[1]))" "$feed")
    old=$(per_call "$before" "$feed")
    new=$(per_call "$after" "$feed")
    "$before" "$feed" "$scratch/before.rec" 1 >/dev/null
    "$after" "$feed" "$scratch/after.rec" 1 >/dev/null
    same=identical
    cmp -s "$scratch/before.rec" "$scratch/after.rec" || same=DIFFERENT
    python3 -c "import sys; o, n, c = map(int, sys.argv[1:4]); \
print('%-24s %10.2f %10.2f %+7.1f%%  %s' % (sys.argv[4], o / c, n / c, 100.0 * (n - o) / o, sys.argv[5]))" \
        "$old" "$new" "$characters" "$name" "$same"
done
