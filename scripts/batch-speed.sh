#!/usr/bin/env bash
# How much one call for many feeds saves over a call per feed: makes small
# feeds (each a copy of examples/sample.xml), converts them with one
# `quendix convert` each, then all in one `quendix convert -o`, and prints
# both times and their ratio. Checks the two give the same bytes.
# Usage: scripts/batch-speed.sh [FEEDS]   (2000 when not given)
# Builds the command in Release mode in build-batch-speed/.
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-2000}
build=build-batch-speed
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUENDIX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target quendix_cli -j"$(nproc)" >/dev/null
quendix=$PWD/$build/quendix
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/feeds" "$work/one-by-one"
for i in $(seq -w 1 "$count"); do
    cp examples/sample.xml "$work/feeds/feed-$i.xml"
done
(cd "$work" && ls feeds/*.xml >list)

now() { date +%s.%N; }
start=$(now)
while read -r feed; do
    name=${feed##*/} # no basename process: only quendix's start-up is timed
    "$quendix" convert "$work/$feed" "$work/one-by-one/${name%.xml}.rec" >/dev/null
done <"$work/list"
middle=$(now)
(cd "$work" && "$quendix" convert --quiet -o batch --from list)
end=$(now)

diff -r "$work/one-by-one" "$work/batch" >/dev/null || {
    echo "batch-speed: the two ways gave different records" >&2
    exit 1
}
awk -v n="$count" -v a="$start" -v b="$middle" -v c="$end" 'BEGIN {
    each = b - a; batch = c - b
    printf "%d feeds: %.3f s one call each (%.2f ms a feed), %.3f s in one call (%.3f ms a feed)\n",
        n, each, 1000 * each / n, batch, 1000 * batch / n
    printf "one call is %.1f times as fast\n", each / batch
}'
