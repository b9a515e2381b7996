#!/usr/bin/env bash
# quendix convert -o DIR FEED...: many feeds in one call, each record file
# the same bytes as a call of its own writes.
# Usage: command_batch_test.sh QUENDIX SOURCE_DIR
set -u
quendix=$1
source_dir=$2
. "$(dirname "$0")/command_test_lib.sh"
cd "$scratch" || exit 1

# Real feeds in many encodings, hostile ones found by fuzzing, and a few
# made here: no items, an empty file, an item cut short.
mkdir feeds
cp "$sample" "$source_dir"/tests/feeds/utf8/*.xml "$source_dir"/tests/regressions/convert/* feeds/
printf '<rss><channel><title>none</title></channel></rss>\n' >feeds/no-items.xml
: >feeds/empty.rss
printf '<item><title>t</title><description>d</description><link>l' >feeds/cut.feed.xml
feeds=(feeds/*)

run convert -o out "${feeds[@]}"
check "batch: status 0" test "$status" -eq 0
check "batch: says it made DIR" stderr_has "quendix: created directory out"
total=0
for feed in "${feeds[@]}"; do
    name=$(basename "$feed")
    name=${name%.*}
    count=$("$quendix" convert "$feed" alone.rec 2>/dev/null)
    total=$((total + count))
    check "batch: $feed as converted alone" cmp -s alone.rec "out/$name.rec"
done
check "batch: summary" stderr_has "quendix: ${#feeds[@]} feeds, $total records, 0 failed"
check "batch: no progress line off a terminal" test "$(grep -c 'feeds, ' "$scratch/stderr")" -eq 1
check "batch: nothing on stdout" test ! -s "$scratch/stdout"

# A feed that fails is named with its cause, and the others go on; a file
# that is not a record file stays as it was.
mkdir out2 a-dir.xml
echo "keep me" >out2/notes.rec
cp "$sample" notes.xml
run convert -o out2 missing.xml "$sample" a-dir.xml notes.xml feeds/cut.feed.xml
check "failures: status 1" test "$status" -eq 1
check "failures: missing named" stderr_has "missing.xml: cannot open input: No such file or directory"
check "failures: directory named" stderr_has "a-dir.xml: cannot read input: Is a directory"
check "failures: no overwrite without --force" stderr_has "out2/notes.rec: not replaced"
check "failures: other file kept" test "$(cat out2/notes.rec)" = "keep me"
check "failures: good feeds converted" cmp -s out2/sample.rec "$golden"
check "failures: summary" stderr_has "quendix: 5 feeds, 5 records, 3 failed"
run convert --force -o out2 notes.xml
check "--force replaces" cmp -s out2/notes.rec "$golden"

# Two feeds for one record file: refused, both named, nothing written.
mkdir other
cp "$sample" other/sample.rss
run convert -o clash "$sample" feeds/empty.rss other/sample.rss
check "clash: status 2" test "$status" -eq 2
check "clash: names both" stderr_has "$sample and other/sample.rss would both write clash/sample.rec"
check "clash: nothing written" test ! -e clash
run convert -o clash - "$sample"
check "standard input among many: status 2" test "$status" -eq 2

# --from: a list on standard input with a Windows line end and a blank
# line, joined to the operands; --explain names each feed.
printf '%s\r\n\n%s\n' "$sample" feeds/legacy-gbk.xml |
    "$quendix" convert --explain -o listed --from - feeds/empty.rss >/dev/null 2>listed.err
check "--from -: status 0" test "$?" -eq 0
check "--from -: listed feeds converted" cmp -s listed/sample.rec "$golden"
check "--from -: with the operands" test -e listed/legacy-gbk.rec -a -e listed/empty.rec
check "--from -: summary counts both" grep -q "^quendix: 3 feeds, 8 records, 0 failed$" listed.err
check "--explain: lines start with the feed" grep -q "^$sample: item 1 (line 8): kept as record 1$" listed.err
check "--explain: total too" grep -q "^feeds/empty.rss: total: 0 items reached" listed.err
run convert -o listed --from no-such-list
check "unreadable list: status 1" test "$status" -eq 1
check "unreadable list: named" stderr_has "no-such-list: cannot open the feed list"

run convert --quiet -o quiet "$sample" missing.xml
check "--quiet: errors only" test "$(cat "$scratch/stderr")" = "quendix: missing.xml: cannot open input: No such file or directory"

# On a terminal the line is kept up to date in place, then the summary.
if command -v script >/dev/null 2>&1; then
    script -qec "'$quendix' convert -o tty '$sample' missing.xml" /dev/null >tty.out
    check "terminal: progress line" grep -q $'\r\033\\[Kquendix: 1/2 feeds, 5 records, 0 failed' tty.out
    check "terminal: summary" grep -q "quendix: 2 feeds, 5 records, 1 failed" tty.out
fi

finish command_batch
