#!/usr/bin/env bash
# quendix show: every character of a record printed so it can be told
# apart and cannot act on the terminal; standard input; JSON Lines.
# Usage: command_show_test.sh QUENDIX SOURCE_DIR
set -u
quendix=$1
source_dir=$2
. "$(dirname "$0")/command_test_lib.sh"

# UTF-16LE bytes of the code units given in hex ("0041 d800 ...").
units() {
    local unit
    for unit in "$@"; do
        printf "\\x${unit:2:2}\\x${unit:0:2}"
    done
}
# One record: the title holds the units given; date, summary and link hold
# "d", "s" and "l"; every field is padded with spaces to its width.
record() {
    local title=("$@")
    units "${title[@]}"
    for _ in $(seq $((100 - ${#title[@]}))); do units 0020; done
    units 0064; for _ in $(seq 49); do units 0020; done
    units 0073; for _ in $(seq 399); do units 0020; done
    units 006c; for _ in $(seq 99); do units 0020; done
}

# Title units | what the block format prints | what JSON prints. The
# escapes follow the rules in show's help: C0 but tab and newline as \xHH,
# DEL as \x7f, C1, bidirectional controls and lone surrogates as \uHHHH,
# a backslash doubled.
cases=(
    '0041 001b 0042|A\x1bB|A\u001bB'
    '0000 0041|\x00A|\u0000A'
    '0041 0000 0042|A\x00B|A\u0000B'
    '007f 0085 009f 00a0|\x7f\u0085\u009f'$'\u00a0''|\u007f\u0085\u009f'$'\u00a0'
    '0009 0041|'$'\t''A|\tA'
    '000d 0041|\x0dA|\rA'
    '005c 0078 0031 0062|\\x1b|\\x1b'
    'd800 0041|\ud800A|\ud800A'
    '0041 d800|A\ud800|A\ud800'
    '202e 0041 2066 200f 061c|\u202eA\u2066\u200f\u061c|\u202eA\u2066\u200f\u061c'
    'd83d dea4|'$'\U0001f6a4''|'$'\U0001f6a4'
    '0022 00e9|"'$'\u00e9''|\"'$'\u00e9'
    '0020 0020 0041|  A|  A'
)
for case in "${cases[@]}"; do
    IFS='|' read -r title people json <<<"$case"
    read -r -a title_units <<<"$title"
    record "${title_units[@]}" >"$scratch/one.rec"
    run show "$scratch/one.rec"
    check "show [$title]: status 0" test "$status" -eq 0
    printf 'Record 1\n  Title:   %s\n  Date:    d\n  Summary: s\n  Link:    l\n' "$people" >"$scratch/expected"
    check "show [$title]: exact block" cmp -s "$scratch/stdout" "$scratch/expected"
    run show --json "$scratch/one.rec"
    printf '{"title":"%s","date":"d","summary":"s","link":"l"}\n' "$json" >"$scratch/expected"
    check "show --json [$title]: exact line" cmp -s "$scratch/stdout" "$scratch/expected"
done

# A newline inside a field is printed as it is in the block format.
record 0041 000a 0042 >"$scratch/newline.rec"
run show "$scratch/newline.rec"
check "a newline stays a newline" test "$(sed -n 2,3p "$scratch/stdout")" = "  Title:   A
B"

run convert "$sample" "$scratch/sample.rec"
run show "$scratch/sample.rec"
check "show: every record" test "$(grep -c '^Record ' "$scratch/stdout")" -eq 5
check "show: fields labelled, padding gone" grep -qx "  Link:    https://gazette.example.org/news/cycle-lane" "$scratch/stdout"
check "show: a blank line between records" test "$(grep -c '^$' "$scratch/stdout")" -eq 4
cp "$scratch/stdout" "$scratch/by-path"
"$quendix" show - <"$scratch/sample.rec" >"$scratch/stdout" 2>"$scratch/stderr"
check "show -: standard input, same output" cmp -s "$scratch/stdout" "$scratch/by-path"
cat "$scratch/sample.rec" | "$quendix" show - >"$scratch/stdout" 2>"$scratch/stderr"
check "show -: from a pipe, same output" cmp -s "$scratch/stdout" "$scratch/by-path"

run show --json "$scratch/sample.rec"
check "show --json: one line per record" test "$(wc -l <"$scratch/stdout")" -eq 5
check "show --json: fields in record order" grep -qx '{"title":"Ferry timetable changes from Monday","date":"Mon, 07 Dec 2026 08:15:00 GMT","summary":"The morning crossing moves to 07:40 while the pier is repaired.","link":"https://gazette.example.org/news/ferry-timetable"}' "$scratch/stdout"
if command -v python3 >/dev/null; then
    check "show --json: each line is JSON" python3 -c '
import json, sys
for line in open(sys.argv[1], encoding="utf-8"):
    assert set(json.loads(line)) == {"title", "date", "summary", "link"}' "$scratch/stdout"
fi

: >"$scratch/empty.rec"
run show "$scratch/empty.rec"
check "empty file: status 0" test "$status" -eq 0
check "empty file: prints nothing" test ! -s "$scratch/stdout" -a ! -s "$scratch/stderr"

head -c 1299 "$scratch/sample.rec" >"$scratch/short.rec"
run show "$scratch/short.rec"
check "partial record: status 1" test "$status" -eq 1
check "partial record: says why" stderr_has "its size, 1299 bytes, is not a multiple of 1300"
run show "$scratch/nothing-here.rec"
check "missing file: status 1" test "$status" -eq 1
check "missing file: names it" stderr_has "nothing-here.rec: No such file or directory"

finish command_show
