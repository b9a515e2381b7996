#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses it as another project
# would: the command, a C program built with pkg-config, and a C++ program
# built with find_package(quendix).
# Usage: install_test.sh BUILD_DIR SOURCE_DIR C_COMPILER CXX_COMPILER LIBDIR BINDIR MANDIR
#                        [LINK_FLAGS]
set -euo pipefail
build=$1 source=$2 cc=$3 cxx=$4 libdir=$5 bindir=$6 mandir=$7 link_flags=${8:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
feed=$source/examples/sample.xml
golden=$source/tests/golden/sample.rec
failed=0
fail() { echo "FAILED: $*" >&2; failed=$((failed + 1)); }

cmake --install "$build" --prefix "$prefix" >"$work/install.log"

# The library under its real name, the SONAME link and the development link.
so=$prefix/$libdir/libquendix.so
[ -f "$so.1.0.0" ] || fail "libquendix.so.1.0.0 missing"
[ "$(readlink "$so.1")" = libquendix.so.1.0.0 ] || fail "libquendix.so.1 link"
[ "$(readlink "$so")" = libquendix.so.1 ] || fail "libquendix.so link"
for file in include/quendix.h "$mandir/man1/quendix.1" "$mandir/man5/quendix.5" \
    "$libdir/pkgconfig/quendix.pc" "$libdir/cmake/quendix/quendixConfig.cmake"; do
    [ -f "$prefix/$file" ] || fail "$file missing"
done

# The installed command finds the installed library by itself.
count=$("$prefix/$bindir/quendix" convert "$feed" "$work/command.rec") || fail "installed quendix"
{ [ "$count" = 5 ] && cmp -s "$work/command.rec" "$golden"; } || fail "installed quendix output"

# A C program built with the flags pkg-config gives.
if command -v pkg-config >/dev/null; then
    export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
    # shellcheck disable=SC2046,SC2086 # the flags are meant to split
    "$cc" -std=c99 -Wall -Wextra -Wpedantic -Werror -o "$work/c_consumer" $link_flags \
        "$source/tests/platform/c_consumer.c" $(pkg-config --cflags --libs quendix) \
        -Wl,-rpath,"$(pkg-config --variable=libdir quendix)"
    "$work/c_consumer" "$feed" "$work/c.rec" 5 || fail "C consumer"
    cmp -s "$work/c.rec" "$golden" || fail "C consumer output"
else
    echo "pkg-config not found: C consumer through pkg-config not checked" >&2
fi

# A C++ program built by a CMake project with find_package(quendix).
cmake -S "$source/tests/platform/consumer" -B "$work/consumer" \
    -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_EXE_LINKER_FLAGS="$link_flags" >"$work/consumer.log" ||
    { cat "$work/consumer.log" >&2; fail "find_package(quendix)"; }
cmake --build "$work/consumer" >>"$work/consumer.log" 2>&1 ||
    { cat "$work/consumer.log" >&2; fail "C++ consumer build"; }
"$work/consumer/cpp_consumer" "$feed" "$work/cpp.rec" 5 || fail "C++ consumer"
cmp -s "$work/cpp.rec" "$golden" || fail "C++ consumer output"

[ "$failed" -eq 0 ] && echo "installed tree usable through pkg-config and find_package"
exit "$failed"
