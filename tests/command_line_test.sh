#!/usr/bin/env bash
# The quendix command as a user meets it: exit codes, messages, output.
set -u
quendix=$1
source_dir=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
passed=0
failed=0

check() { # description, then a command that must succeed
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $what" >&2
    fi
}

run() { # runs quendix, keeping stdout, stderr and the status
    "$quendix" "$@" >"$scratch/stdout" 2>"$scratch/stderr"
    status=$?
}

run convert "$source_dir/examples/sample.xml" "$scratch/sample.rec"
check "convert succeeds" test "$status" -eq 0
check "convert prints the count" test "$(cat "$scratch/stdout")" = "5"
check "convert writes the golden bytes" cmp -s "$scratch/sample.rec" "$source_dir/tests/golden/sample.rec"

run show "$scratch/sample.rec"
check "show succeeds" test "$status" -eq 0
check "show labels the fields" grep -q "^  Title:   Ferry timetable changes from Monday$" "$scratch/stdout"
check "show drops the padding" grep -q "^  Link:    https://gazette.example.org/news/cycle-lane$" "$scratch/stdout"
check "show prints every record" test "$(grep -c '^Record ' "$scratch/stdout")" -eq 5

run show --json "$scratch/sample.rec"
check "show --json: one line per record" test "$(wc -l <"$scratch/stdout")" -eq 5
check "show --json escapes" grep -q '"title":"Ferry timetable changes from Monday","date":"Mon, 07 Dec 2026 08:15:00 GMT"' "$scratch/stdout"

"$quendix" convert - "$scratch/stdin.rec" <"$source_dir/examples/sample.xml" >"$scratch/stdout" 2>&1
check "input from standard input" cmp -s "$scratch/stdin.rec" "$source_dir/tests/golden/sample.rec"

"$quendix" convert "$source_dir/examples/sample.xml" - >"$scratch/piped.rec" 2>"$scratch/stderr"
check "output to standard output" cmp -s "$scratch/piped.rec" "$source_dir/tests/golden/sample.rec"

echo "keep me" >"$scratch/existing"
run convert "$scratch/missing.xml" "$scratch/existing"
check "missing input: status 1" test "$status" -eq 1
check "missing input: names the file" grep -q "missing.xml: cannot open input: No such file or directory" "$scratch/stderr"
check "missing input: output untouched" test "$(cat "$scratch/existing")" = "keep me"

run convert "$scratch" "$scratch/out.rec"
check "directory input: status 1" test "$status" -eq 1
check "directory input: says why" grep -q "Is a directory" "$scratch/stderr"

run convert "$source_dir/examples/sample.xml" "$scratch/no/dir/out.rec"
check "uncreatable output: status 1" test "$status" -eq 1
check "uncreatable output: names it" grep -q "no/dir/out.rec: cannot create output" "$scratch/stderr"

run convert "$source_dir/examples/sample.xml" /dev/full
check "full device: status 1" test "$status" -eq 1
check "full device: write failed" grep -q "/dev/full: write failed" "$scratch/stderr"

head -c 1299 "$scratch/sample.rec" >"$scratch/short.rec"
run show "$scratch/short.rec"
check "show rejects a partial record" test "$status" -eq 1
check "show says why" grep -q "not a multiple of 1300" "$scratch/stderr"

run
check "no arguments: status 2" test "$status" -eq 2
run convert only-one
check "bad usage: status 2" test "$status" -eq 2
check "bad usage: shows usage" grep -q "Usage: quendix convert INPUT OUTPUT" "$scratch/stderr"
run frobnicate
check "unknown command: status 2" test "$status" -eq 2
run --help
check "--help: status 0" test "$status" -eq 0
check "--help: usage on stdout" grep -q "Usage:" "$scratch/stdout"
run --version
check "--version" grep -q "^quendix [0-9]" "$scratch/stdout"

echo "$passed passed, $failed failed"
test "$failed" -eq 0
