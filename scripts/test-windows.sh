#!/usr/bin/env bash
# The Windows DLL: cross-builds QUENDIX.dll and its test program with
# MinGW-w64, checks the DLL's export table and imports, then runs the test
# program under Wine on a set of feeds, comparing every record file byte for
# byte with what the Linux build writes from the same feed.
# Needs the Debian packages g++-mingw-w64-x86-64 and wine64; installs nothing.
# Builds in build-windows/ (WINDOWS_BUILD_DIR overrides).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${WINDOWS_BUILD_DIR:-build-windows}
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

missing=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64)
[ -x "$wine" ] || missing+=(wine64)
if [ ${#missing[@]} -gt 0 ]; then
    echo "scripts/test-windows.sh needs the Debian packages: ${missing[*]}" >&2
    echo "install them with: apt-get install ${missing[*]}" >&2
    exit 1
fi

jobs=$(nproc)
echo "== Linux command (reference records)"
cmake -S . -B "$build/linux" -DQUENDIX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build/linux" --target quendix_cli -j"$jobs" >/dev/null
linux_quendix=$build/linux/quendix

echo "== QUENDIX.dll and its test program (MinGW-w64)"
cmake -S . -B "$build/windows" --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DQUENDIX_WERROR=ON -DQUENDIX_BUILD_TESTS=ON >/dev/null
cmake --build "$build/windows" -j"$jobs" >/dev/null
tests/platform/check_dll.sh x86_64-w64-mingw32-objdump "$build/windows/QUENDIX.dll" \
    tests/platform/expected_dll_exports.txt

work=$(mktemp -d)
export WINEPREFIX=$work/wineprefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/feeds" "$work/expected" "$work/scratch"

# Feeds and the records each must give: the golden files first, then the
# extra feeds, some re-encoded as UTF-16, and one longer than the feed text
# holds; for those the Linux build's output is the reference.
pairs=()
add_pair() { pairs+=("$1" "$2"); }
for golden in tests/golden/*.rec; do
    name=$(basename "$golden" .rec)
    for feed in "tests/golden/$name.xml" "examples/$name.xml"; do
        if [ -f "$feed" ]; then
            add_pair "$feed" "$golden"
            break
        fi
    done
done
cp tests/platform/feeds/*.xml "$work/feeds/"
{ printf '\xff\xfe'; iconv -f WINDOWS-1252 -t UTF-16LE tests/platform/feeds/latin1-declared.xml; } \
    >"$work/feeds/latin1-as-utf16le.xml"
{ printf '\xfe\xff'; iconv -f UTF-8 -t UTF-16BE examples/sample.xml; } >"$work/feeds/sample-as-utf16be.xml"
{
    sed -n '1,/<\/language>/p' examples/sample.xml
    for _ in $(seq 60); do sed -n '/<item>/,/<\/item>/p' examples/sample.xml; done
    echo '</channel></rss>'
} >"$work/feeds/longer-than-feed-text.xml"
# About 2 MB: sixteen windows of the feed text.
{
    sed -n '1,/<\/language>/p' examples/sample.xml
    for _ in $(seq 800); do sed -n '/<item>/,/<\/item>/p' examples/sample.xml; done
    echo '</channel></rss>'
} >"$work/feeds/two-megabytes.xml"
for feed in "$work"/feeds/*.xml; do
    expected=$work/expected/$(basename "$feed" .xml).rec
    "$linux_quendix" convert "$feed" "$expected" >/dev/null
    add_pair "$feed" "$expected"
done

# Wine sees the host's file system as drive Z:.
windows_path() {
    local absolute
    absolute=$(realpath "$1")
    echo "Z:${absolute//\//\\}"
}
arguments=("$(windows_path "$work/scratch")")
for path in "${pairs[@]}"; do
    arguments+=("$(windows_path "$path")")
done

echo "== Test program under Wine ($((${#pairs[@]} / 2)) feeds)"
"$wine" "$build/windows/quendix_wine_test.exe" "${arguments[@]}"

echo "== quendix.exe under Wine"
mkdir -p "$work/command"
tests/platform/windows_command_test.sh "$wine" "$build/windows/quendix.exe" "$linux_quendix" \
    "$PWD" "$work/command"
