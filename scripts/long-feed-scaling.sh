#!/usr/bin/env bash
# Times `quendix convert` on long feeds of three awkward shapes at one size
# and at ten times that size: a conversion that stays linear in the feed's
# length takes about ten times as long on the larger one.
#
#   window-edges  every window starts with "<item>" and holds another one
#                 in its last characters
#   one-item      a single item whose description runs for megabytes
#   items-only    nothing but "<item>"
#
# Builds in Release mode in build-release/ (BENCH_BUILD_DIR). Needs python3.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BENCH_BUILD_DIR:-build-release}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUENDIX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target quendix_cli >/dev/null
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quendix-scaling.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

make_feed() { # SHAPE MEGABYTES FILE
    python3 - "$1" "$2" "$3" <<'PY'
import sys
shape, megabytes, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
size = megabytes * 1000 * 1000
item = "<item><title>T</title><description>S</description><link>L</link><pubDate>D</pubDate></item>\n"
if shape == "window-edges":
    block = "<item>" + "x" * (127999 - 12)
    text = block * (size // len(block)) + "<item>"
elif shape == "one-item":
    text = item + "<item><title>Long</title><description>" + "d" * size + "</description><link>L</link><pubDate>D</pubDate></item>\n" + item
else:
    text = "<item>" * (size // 6)
open(path, "w").write(text)
PY
}

seconds() { # FILE: the best of three runs
    local best=
    for _ in 1 2 3; do
        local start end
        start=$(date +%s.%N)
        "$build/quendix" convert "$1" "$scratch/out.rec" >/dev/null 2>&1
        end=$(date +%s.%N)
        best=$(python3 -c "print(min(x for x in [$end - $start, ${best:-1e9}]))")
    done
    echo "$best"
}

printf '%-14s %8s %10s %8s %10s %7s\n' shape "size" seconds "10x size" seconds ratio
for shape in window-edges one-item items-only; do
    make_feed "$shape" 5 "$scratch/small.xml"
    make_feed "$shape" 50 "$scratch/large.xml"
    small=$(seconds "$scratch/small.xml")
    large=$(seconds "$scratch/large.xml")
    python3 -c "print('%-14s %6d MB %10.4f %6d MB %10.4f %7.1f' % ('$shape', 5, $small, 50, $large, $large / $small))"
done
