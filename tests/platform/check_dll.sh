#!/usr/bin/env bash
# QUENDIX.dll's headers as objdump -p shows them: the module name, ordinal
# base 1, exactly the expected exports at their ordinals, and imports from
# system DLLs only (the C++ runtime is linked in).
# Usage: check_dll.sh OBJDUMP DLL EXPECTED_EXPORTS
set -euo pipefail
objdump=$1 dll=$2 expected_list=$3
headers=$("$objdump" -p "$dll")
failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }

name=$(awk '$1 == "Name" { print $NF; exit }' <<<"$headers")
[ "$name" = QUENDIX.dll ] || fail "module name is '$name', not QUENDIX.dll"
base=$(awk '/^Ordinal Base/ { print $NF; exit }' <<<"$headers")
[ "$base" = 1 ] || fail "ordinal base is '$base', not 1"

# "[Ordinal/Name Pointer] Table" lists each name with its ordinal less the base.
actual=$(awk -v base="${base:-1}" '
    /^\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
    table && /^$/ { exit }
    table { gsub(/[][]/, " "); print $1 + base, $2 }' <<<"$headers" | sort -n)
expected=$(grep -v '^#' "$expected_list" | grep .)
if [ "$actual" != "$expected" ]; then
    fail "export table differs from $expected_list"
    diff <(echo "$expected") <(echo "$actual") >&2 || true
fi
addresses=$(grep -c '+base\[' <<<"$headers" || true)
[ "$addresses" = "$(wc -l <<<"$expected")" ] || fail "$addresses export addresses"

system_dll='^(kernel32|msvcrt|ntdll|user32|advapi32|ucrtbase|api-ms-win-.*)\.dll$'
while read -r imported; do
    [[ ${imported,,} =~ $system_dll ]] || fail "imports $imported, which is not a system DLL"
done < <(awk '/DLL Name:/ { print $NF }' <<<"$headers")

[ "$failed" -eq 0 ] && echo "QUENDIX.dll: name, ordinals, exports and imports as expected"
exit "$failed"
