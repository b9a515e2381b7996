#!/usr/bin/env bash
# Checks the packages scripts/package.sh made, as a user meets them:
#   the .deb: lintian finds no error; dpkg -i puts every file in place; the
#   README's C example builds against it through pkg-config and runs; the
#   installed command converts; dpkg -r leaves none of its files behind.
#   the Windows zip: it holds what a Windows user needs, and its quendix.exe,
#   unzipped and run under Wine, writes the same bytes as on Linux.
# Installs and removes the package quendix (as root, or through sudo).
# Needs lintian, pkg-config, unzip and wine64.
# Usage: scripts/check-packages.sh QUENDIX.deb QUENDIX-win64.zip
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(realpath "$1")
zip=$(realpath "$2")
source_dir=$PWD
golden=$source_dir/tests/golden/sample.rec
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
wine=/usr/lib/wine/wine64
work=$(mktemp -d)
export WINEPREFIX=$work/wineprefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "check-packages: $*" >&2
    exit 1
}

echo "== lintian $(basename "$deb")"
lintian --no-cfg "$deb" 2>/dev/null >"$work/lintian" || true
cat "$work/lintian"
! grep -q '^E:' "$work/lintian" || fail "lintian reports errors"

echo "== dpkg -i"
"${as_root[@]}" dpkg -i "$deb" >/dev/null
libdir=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for file in /usr/bin/quendix /usr/include/quendix.h "$libdir/libquendix.so" \
    "$libdir/libquendix.so.1" "$libdir/pkgconfig/quendix.pc" \
    "$libdir/cmake/quendix/quendixConfig.cmake" /usr/share/man/man1/quendix.1.gz \
    /usr/share/man/man5/quendix.5.gz /usr/share/doc/quendix/copyright \
    /usr/share/doc/quendix/NOTICE; do
    [ -e "$file" ] || fail "$file is not installed"
done
dpkg -L quendix >"$work/files"
echo "$(grep -c . "$work/files") paths installed"

echo "== the README's C example, against the installed package"
mkdir "$work/app"
awk '/^```c$/ { inside = 1; next } /^```$/ { inside = 0 } inside' README.md >"$work/app/app.c"
cp examples/sample.xml "$work/app/feed.xml"
(
    cd "$work/app"
    # shellcheck disable=SC2046 # the flags are meant to split
    cc app.c $(pkg-config --cflags --libs quendix) -o app
    ./app
)
cmp "$work/app/feed.rec" "$golden" || fail "the C example's records differ"

echo "== the installed command"
mkdir "$work/linux"
quendix convert examples/sample.xml "$work/linux/one.rec" >/dev/null
cmp "$work/linux/one.rec" "$golden" || fail "the installed command's records differ"
quendix convert --quiet -o "$work/linux/many" tests/golden/*.xml
for feed in tests/golden/*.xml; do
    cmp "$work/linux/many/$(basename "$feed" .xml).rec" "tests/golden/$(basename "$feed" .xml).rec" ||
        fail "$feed: the installed command's records differ"
done

echo "== the Windows archive $(basename "$zip")"
unzip -q "$zip" -d "$work/zip"
top=$(echo "$work"/zip/quendix-*)
for file in bin/quendix.exe bin/QUENDIX.dll lib/QUENDIX.dll.a lib/quendix.def include/quendix.h \
    README.md NOTICE; do
    [ -e "$top/$file" ] || fail "the archive lacks $file"
done
windows_path() {
    local absolute
    absolute=$(realpath "$1")
    echo "Z:${absolute//\//\\}"
}
cp "$top/bin/quendix.exe" "$work/alone.exe" # no DLL beside it: it needs none
mkdir "$work/wine-feeds"
cp tests/golden/*.xml examples/sample.xml "$work/wine-feeds/"
"$wine" "$work/alone.exe" convert "$(windows_path examples/sample.xml)" \
    "$(windows_path "$work")\\wine-one.rec" >/dev/null
cmp "$work/wine-one.rec" "$golden" || fail "quendix.exe's records differ"
feeds=()
for feed in "$work"/wine-feeds/*.xml; do
    feeds+=("$(windows_path "$feed")")
done
"$wine" "$top/bin/quendix.exe" convert --quiet -o "$(windows_path "$work")\\wine-many" "${feeds[@]}"
for feed in "$work"/wine-feeds/*.xml; do
    name=$(basename "$feed" .xml)
    cmp "$work/wine-many/$name.rec" "$work/linux/many/$name.rec" 2>/dev/null ||
        cmp "$work/wine-many/$name.rec" "$golden" || fail "$name: quendix.exe's records differ"
done

echo "== dpkg -r"
"${as_root[@]}" dpkg -r quendix >/dev/null
while read -r path; do
    [ -d "$path" ] || [ ! -e "$path" ] || fail "$path is left after dpkg -r"
done <"$work/files"
for folder in /usr/share/doc/quendix "$libdir/cmake/quendix"; do
    [ ! -e "$folder" ] || fail "$folder is left after dpkg -r"
done
! dpkg-query -W -f='${Status}' quendix 2>/dev/null | grep -q ' installed' ||
    fail "quendix is still installed"
echo "check-packages: both packages are good"
