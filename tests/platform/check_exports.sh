#!/usr/bin/env bash
# The shared library's dynamic symbol table holds exactly the expected
# exports, and the library carries its SONAME.
# Usage: check_exports.sh NM READELF LIBRARY EXPECTED_LIST SONAME
set -euo pipefail
nm=$1 readelf=$2 library=$3 expected_list=$4 soname=$5

expected=$(grep -v '^#' "$expected_list" | grep . | LC_ALL=C sort)
actual=$("$nm" -D --defined-only "$library" | awk '{ print $NF }' | LC_ALL=C sort)
status=0
if [ "$actual" != "$expected" ]; then
    echo "dynamic symbols differ from $expected_list:" >&2
    diff <(echo "$expected") <(echo "$actual") >&2 || true
    status=1
fi

actual_soname=$("$readelf" -d "$library" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
if [ "$actual_soname" != "$soname" ]; then
    echo "SONAME is '$actual_soname', expected '$soname'" >&2
    status=1
fi
[ "$status" -eq 0 ] && echo "exports and SONAME as expected"
exit "$status"
