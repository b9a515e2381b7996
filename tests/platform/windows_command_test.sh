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
