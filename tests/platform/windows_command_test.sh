#!/usr/bin/env bash
# quendix.exe under Wine: the same bytes as the Linux command from the same
# feed, paths beyond ASCII, the exit codes and the same-file refusal.
# Usage: windows_command_test.sh WINE QUENDIX_EXE LINUX_QUENDIX SOURCE_DIR SCRATCH_DIR
# (WINEPREFIX and the rest of Wine's environment are set by the caller.)
set -u
wine=$1 exe=$2 linux=$3 source_dir=$4 scratch=$5
passed=0
failed=0
check() {
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)) && echo "FAILED: $what" >&2; fi
}
# Wine sees the host's file system as drive Z:.
windows_path() {
    local absolute
    absolute=$(realpath -m "$1")
    echo "Z:${absolute//\//\\}"
}
windows() { # runs quendix.exe, keeping stdout, stderr and the status
    "$wine" "$exe" "$@" >"$scratch/stdout" 2>"$scratch/stderr"
    status=$?
}
sample=$source_dir/examples/sample.xml
"$linux" convert "$sample" "$scratch/linux.rec" >/dev/null
"$linux" show "$scratch/linux.rec" >"$scratch/linux.show"
"$linux" show --json "$scratch/linux.rec" >"$scratch/linux.json"

# The same records and the same printed text, through ASCII and non-ASCII
# paths alike.
cp "$sample" "$scratch/café 日本 🚤.xml"
for name in sample.xml "café 日本 🚤.xml"; do
    [ "$name" = sample.xml ] && feed=$sample || feed=$scratch/$name
    windows convert "$(windows_path "$feed")" "$(windows_path "$scratch/ü-$name.rec")"
    check "convert $name: status 0" test "$status" -eq 0
    check "convert $name: count" test "$(tr -d '\r' <"$scratch/stdout")" = 5
    check "convert $name: Linux's bytes" cmp -s "$scratch/ü-$name.rec" "$scratch/linux.rec"
done
windows show "$(windows_path "$scratch/linux.rec")"
check "show: Linux's bytes" cmp -s "$scratch/stdout" "$scratch/linux.show"
windows show --json "$(windows_path "$scratch/linux.rec")"
check "show --json: Linux's bytes" cmp -s "$scratch/stdout" "$scratch/linux.json"
"$wine" "$exe" convert - - <"$sample" >"$scratch/streams.rec" 2>/dev/null
check "standard input to standard output: Linux's bytes" cmp -s "$scratch/streams.rec" "$scratch/linux.rec"

# The same file as input and output, by its name and by another spelling.
cp "$sample" "$scratch/Feed.xml"
for output in "$(windows_path "$scratch/Feed.xml")" "$(windows_path "$scratch/FEED.XML")" \
    "$(windows_path "$scratch")\\.\\Feed.xml"; do
    windows convert --force "$(windows_path "$scratch/Feed.xml")" "$output"
    check "same file ($output): status 1" test "$status" -eq 1
    check "same file ($output): says so" grep -q "is the same file as the input" "$scratch/stderr"
    check "same file ($output): untouched" cmp -s "$scratch/Feed.xml" "$sample"
done
windows convert "$(windows_path "$scratch/linux.rec")" "$(windows_path "$scratch/Feed.xml")"
check "swapped operands: status 1" test "$status" -eq 1
check "swapped operands: feed kept" cmp -s "$scratch/Feed.xml" "$sample"

# Nothing lost: a feed that cannot be read, or a file that is not a record
# file, leaves the old output as it was; two conversions into one output
# leave one feed's records, never a mix.
old=$scratch/old.rec
cp "$scratch/linux.rec" "$old"
"$wine" "$exe" convert - "$(windows_path "$old")" 0>"$scratch/write-only" >/dev/null 2>&1
check "unreadable input: status 1" test $? -eq 1
check "unreadable input: old output kept" cmp -s "$old" "$scratch/linux.rec"
head -c 2600 /dev/urandom >"$scratch/noise.bin"
cp "$scratch/noise.bin" "$scratch/noise.kept"
windows convert "$(windows_path "$sample")" "$(windows_path "$scratch/noise.bin")"
check "not a record file: status 1" test "$status" -eq 1
check "not a record file: kept" cmp -s "$scratch/noise.bin" "$scratch/noise.kept"
sed -n '1,/<\/item>/p;$p' "$sample" >"$scratch/one-item.xml"
"$linux" convert "$scratch/one-item.xml" "$scratch/one-item.rec" >/dev/null
for _ in 1 2 3; do
    "$wine" "$exe" convert "$(windows_path "$sample")" "$(windows_path "$scratch/both.rec")" >/dev/null 2>&1 &
    "$wine" "$exe" convert "$(windows_path "$scratch/one-item.xml")" "$(windows_path "$scratch/both.rec")" >/dev/null 2>&1 &
    wait
    check "two conversions into one output: one feed's records" \
        sh -c "cmp -s '$scratch/both.rec' '$scratch/linux.rec' || cmp -s '$scratch/both.rec' '$scratch/one-item.rec'"
done

# Exit codes: 0, 1 for a file that cannot be read, 2 for bad usage.
exit_cases=(
    "0|--version"
    "0|encodings"
    "1|convert $(windows_path "$scratch/missing.xml") $(windows_path "$scratch/out.rec")"
    "1|show $(windows_path "$scratch/Feed.xml")"
    "2|convert $(windows_path "$sample")"
    "2|convert --bogus a b"
    "2|convert --encoding klingon a b"
    "2|show --help"
)
for case in "${exit_cases[@]}"; do
    read -r -a arguments <<<"${case#*|}"
    windows "${arguments[@]}"
    check "exit status of '${case#*|}'" test "$status" -eq "${case%%|*}"
done

echo "windows command: $passed passed, $failed failed"
test "$failed" -eq 0
