#!/usr/bin/env bash
# The quendix command as a user meets it: exit codes, messages, output.
# Runs the other command_*_test.sh files beside it too, so one entry (and
# one wrapper, as under qemu) covers the whole command.
# Usage: command_line_test.sh QUENDIX SOURCE_DIR
set -u
quendix=$1
source_dir=$2
here=$(dirname "$0")
. "$here/command_test_lib.sh"

run convert "$sample" "$scratch/sample.rec"
check "convert succeeds" test "$status" -eq 0
check "convert prints the count" stdout_is 5
check "convert writes the golden bytes" cmp -s "$scratch/sample.rec" "$golden"

echo "keep me" >"$scratch/existing"
run convert "$scratch/missing.xml" "$scratch/existing"
check "missing input: status 1" test "$status" -eq 1
check "missing input: names the file" stderr_has "missing.xml: cannot open input: No such file or directory"
check "missing input: output untouched" test "$(cat "$scratch/existing")" = "keep me"

run convert "$scratch" "$scratch/out.rec"
check "directory input: status 1" test "$status" -eq 1
check "directory input: says why" stderr_has "Is a directory"

run convert "$sample" "$scratch/no/dir/out.rec"
check "uncreatable output: status 1" test "$status" -eq 1
check "uncreatable output: names it" stderr_has "no/dir/out.rec: cannot create output"

# Usage errors: status 2, the reason, then the usage text. Options come
# before the operands; each command knows only its own.
usage_cases=(
    "no command given|"
    "unknown command 'frobnicate'|frobnicate"
    "convert takes an input and an output|convert only-one"
    "convert takes an input and an output|convert a b c"
    "option '--force' must come before|convert IN --force OUT"
    "option '--explain' must come before|convert IN OUT --explain"
    "unknown option '--bogus' for convert|convert --bogus IN OUT"
    "unknown option '--help' for convert|convert --help"
    "option '--encoding' needs a label|convert --encoding"
    "unknown encoding label 'klingon'|convert --encoding klingon IN OUT"
    "unknown encoding label 'klingon'|convert --encoding=klingon IN OUT"
    "unknown option '--help' for show|show --help"
    "option '--json' must come before|show FILE --json"
    "show takes one record file|show --json"
    "show takes one record file|show A B"
    "encodings takes no arguments|encodings extra"
    "convert -o DIR takes one or more feeds|convert -o OUT"
    "option '-o' needs a directory|convert -o"
    "option '--from' needs -o DIR|convert --from FILE IN OUT"
    "option '--quiet' needs -o DIR|convert --quiet IN OUT"
)
cd "$scratch" || exit 1
for case in "${usage_cases[@]}"; do
    message=${case%%|*}
    read -r -a arguments <<<"${case#*|}"
    run "${arguments[@]}"
    check "usage '${case#*|}': status 2" test "$status" -eq 2
    check "usage '${case#*|}': says $message" stderr_has "quendix: $message"
    check "usage '${case#*|}': one line and the way to help" \
        test "$(sed -n 2p "$scratch/stderr")" = "try 'quendix --help'" -a "$(wc -l <"$scratch/stderr")" -eq 2
    check "usage '${case#*|}': nothing on stdout" test ! -s "$scratch/stdout"
done
check "a usage error writes nothing" test ! -e IN -a ! -e OUT -a ! -e FILE
cd - >/dev/null || exit 1

# "--" ends the options, so a file whose name starts with '-' can be named.
cp "$sample" "$scratch/-feed.xml"
(cd "$scratch" && "$quendix" convert -- -feed.xml -out.rec >/dev/null 2>&1)
check "-- ends the options" cmp -s "$scratch/-out.rec" "$golden"

run --help
check "--help: status 0" test "$status" -eq 0
check "--help: usage on stdout" grep -q "^Usage: quendix convert \[--explain\] \[--encoding LABEL\] \[--force\] INPUT OUTPUT$" "$scratch/stdout"
check "--help: says where the labels are" grep -q "'quendix encodings' lists" "$scratch/stdout"
check "--help: gives the search order" grep -q "<link>, </link>, <pubDate> and </pubDate>, in that fixed order" "$scratch/stdout"
run --version
check "--version: the header's version" stdout_is "quendix $(sed -n 's/^#define QUENDIX_VERSION_MAJOR \([0-9]*\)$/\1/p' "$source_dir/include/quendix.h").$(sed -n 's/^#define QUENDIX_VERSION_MINOR \([0-9]*\)$/\1/p' "$source_dir/include/quendix.h").$(sed -n 's/^#define QUENDIX_VERSION_PATCH \([0-9]*\)$/\1/p' "$source_dir/include/quendix.h")"

# Standard streams that are closed or full: the command says so and fails.
stream_cases=(
    "--help >/dev/full"
    "--version >&-"
    "convert $sample - >&-"
    "convert - $scratch/closed-in.rec <&-"
    "encodings >/dev/full"
)
for case in "${stream_cases[@]}"; do
    eval "\"\$quendix\" $case" 2>"$scratch/stderr"
    check "$case: status 1" test $? -eq 1
    check "$case: says so" stderr_has "quendix: standard"
done

finish command_line
status_here=$?
skipped=()
for part in show safety explain batch; do
    bash "$here/command_${part}_test.sh" "$quendix" "$source_dir"
    case $? in
    0) ;;
    77) skipped+=("$part") ;;
    *) status_here=1 ;;
    esac
done
[ ${#skipped[@]} -eq 0 ] || echo "SKIPPED in part: ${skipped[*]}"
exit "$status_here"
