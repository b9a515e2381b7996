#!/usr/bin/env bash
# Builds tests/platform/embed, a parent project that takes Quendix in with
# add_subdirectory(), where GoogleTest cannot be found; then runs its
# program, linked against quendix::quendix, on the sample feed.
# Usage: embed_test.sh SOURCE_DIR WORK_DIR C_COMPILER CXX_COMPILER
set -euo pipefail
source=$1 work=$2 cc=$3 cxx=$4
rm -rf "$work"
mkdir -p "$work"
log=$work/build.log
if ! cmake -S "$source/tests/platform/embed" -B "$work/build" -DQUENDIX_SOURCE_DIR="$source" \
    -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" -DQUENDIX_WERROR=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON >"$log" 2>&1 ||
    ! cmake --build "$work/build" -j2 >>"$log" 2>&1; then
    cat "$log" >&2
    echo "embed_test: the parent project did not configure and build" >&2
    exit 1
fi
"$work/build/embed_consumer" "$source/examples/sample.xml" "$work/sample.rec" 5
cmp "$work/sample.rec" "$source/tests/golden/sample.rec"
echo "Quendix builds inside a parent project without GoogleTest"
