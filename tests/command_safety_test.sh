#!/usr/bin/env bash
# quendix convert never loses the user's data: it will not write over a feed
# or over its own input, keeps standard output clean for the records, reads
# any kind of standard input whole, and names the real cause of a failed
# write.
# Usage: command_safety_test.sh QUENDIX SOURCE_DIR
set -u
quendix=$1
source_dir=$2
. "$(dirname "$0")/command_test_lib.sh"
cd "$scratch" || exit 1

# Files convert will not replace without --force, and show will not print:
# a file whose size is not a whole number of records, files of whole
# records' size that begin as a feed does (a byte-order mark, or '<' after
# white space, not followed by the NUL of UTF-16LE text), text with no
# UTF-16LE space, and bytes that are not UTF-16LE text.
pad_to() { # size: pads standard input with 'x' to that many bytes
    cat >"$scratch/head"
    cat "$scratch/head"
    head -c $(($1 - $(wc -c <"$scratch/head"))) /dev/zero | tr '\0' x
}
printf '<rss>' | pad_to 2600 >lt.keep
printf ' \n\t<rss>' | pad_to 1300 >space-lt.keep
printf '\xef\xbb\xbf<rss>' | pad_to 1300 >utf8-bom.keep
printf '\xff\xfe<\0r\0' | pad_to 1300 >utf16le-bom.keep
printf '\xfe\xff\0<\0r' | pad_to 1300 >utf16be-bom.keep
printf 'not records' >odd-size.keep
printf 'Some notes.' | pad_to 1300 >notes.keep
head -c 2600 /dev/urandom >random.keep
cp "$sample" feed.keep
for keep in *.keep; do
    cp "$keep" target
    run convert "$sample" target
    check "$keep: status 1" test "$status" -eq 1
    check "$keep: names the file and --force" stderr_has "quendix: target: not replaced: it is not a record file"
    check "$keep: suggests --force" stderr_has "use --force to replace it"
    check "$keep: left as it was" cmp -s "$keep" target
    run show "$keep"
    check "$keep: show refuses it" test "$status" -eq 1 -a ! -s "$scratch/stdout"
    check "$keep: show says why" stderr_has "is not a record file"
    run convert --force "$sample" target
    check "$keep: --force replaces it" cmp -s target "$golden"
done

# Files it replaces: record files (a title may start with '<': in UTF-16LE
# a NUL follows it) and empty files.
(printf '<\0b\0' && printf ' \0%.0s' $(seq 648)) >record-with-lt
: >empty
for target in record-with-lt empty "$(cp "$golden" golden-copy && echo golden-copy)"; do
    run convert "$sample" "$target"
    check "$target: replaced" cmp -s "$target" "$golden"
done

# The operands swapped: the feed survives.
cp "$sample" feed.xml
cp "$golden" feed.rec
run convert feed.rec feed.xml
check "swapped operands: status 1" test "$status" -eq 1
check "swapped operands: feed kept" cmp -s feed.xml "$sample"

# The input named again as the output, by any path: refused even with
# --force, and the file is left whole.
mkdir sub
ln feed.xml hard-link.xml
ln -s feed.xml symbolic-link.xml
for output in feed.xml ./feed.xml sub/../feed.xml "$scratch/feed.xml" hard-link.xml symbolic-link.xml; do
    run convert --force feed.xml "$output"
    check "same file ($output): status 1" test "$status" -eq 1
    check "same file ($output): says so" stderr_has "is the same file as the input"
    check "same file ($output): untouched" cmp -s feed.xml "$sample"
done
"$quendix" convert --force - feed.xml <feed.xml >/dev/null 2>stderr
check "same file through standard input: status 1" test $? -eq 1
check "same file through standard input: untouched" cmp -s feed.xml "$sample"

# Standard output takes the records alone; the count goes to stderr. It
# is reached by '-', by /dev/stdout, or by naming the file it goes to.
for output in - /dev/stdout out.rec; do
    rm -f out.rec
    "$quendix" convert "$sample" "$output" >out.rec 2>stderr
    check "records to standard output ($output): status 0" test $? -eq 0
    check "records to standard output ($output): clean" cmp -s out.rec "$golden"
    check "records to standard output ($output): count on stderr" test "$(cat stderr)" = 5
done
printf 'head' >appended.rec
"$quendix" convert "$sample" /dev/stdout >>appended.rec 2>/dev/null
check "standard output opened for appending is appended to" \
    cmp -s appended.rec <(printf 'head' && cat "$golden")
"$quendix" convert "$sample" - 2>/dev/null | cat >piped.rec
check "records to a pipe" cmp -s piped.rec "$golden"

# Standard input is read to its end whatever it is.
"$quendix" convert - from-file.rec <"$sample" >stdout
check "standard input from a file" cmp -s from-file.rec "$golden"
check "standard input from a file: count" test "$(cat stdout)" = 5
cat "$sample" | "$quendix" convert - from-pipe.rec >/dev/null
check "standard input from a pipe" cmp -s from-pipe.rec "$golden"
(cat /dev/null && sleep 0.2 && cat "$sample") | "$quendix" convert - from-slow-pipe.rec >/dev/null
check "standard input from a slow pipe" cmp -s from-slow-pipe.rec "$golden"
if command -v python3 >/dev/null; then
    python3 - "$quendix" "$sample" <<'PY'
import socket, subprocess, sys
ours, theirs = socket.socketpair()
command = subprocess.Popen([sys.argv[1], "convert", "-", "from-socket.rec"], stdin=theirs,
                           stdout=subprocess.DEVNULL)
theirs.close()
ours.sendall(open(sys.argv[2], "rb").read())
ours.shutdown(socket.SHUT_WR)
sys.exit(command.wait())
PY
    check "standard input from a socket" cmp -s from-socket.rec "$golden"
fi

# A failed write names its cause: a full device, and the file size limit
# (ulimit -f counts blocks of 1024 bytes: 4 hold three of the five records).
run convert "$sample" /dev/full
check "full device: status 1" test "$status" -eq 1
check "full device: the cause" stderr_has "quendix: /dev/full: write failed: No space left on device"
"$quendix" convert "$sample" - >/dev/full 2>stderr
check "standard output full: status 1" test $? -eq 1
check "standard output full: the cause" grep -qF "standard output: write failed: No space left on device" stderr
(ulimit -f 4 && "$quendix" convert "$sample" limited.rec >stdout 2>stderr)
check "size limit: status 1" test $? -eq 1
check "size limit: the cause" grep -qF "quendix: limited.rec: write failed: File too large; the file holds 3 complete records" stderr
check "size limit: no count" test ! -s stdout
(ulimit -f 4 && "$quendix" convert "$sample" - >limited-staged.rec 2>stderr)
check "size limit while staging: status 1" test $? -eq 1
check "size limit while staging: the cause" grep -qF "write failed: File too large" stderr

# A temporary directory whose path is not UTF-8: the records still reach
# standard output, and no other file is touched (a path cut at the bad byte
# would name the decoy).
odd_tmp=$scratch/tmp$'\xff'dir
mkdir "$odd_tmp"
printf 'decoy' >"$scratch/tmp"
TMPDIR=$odd_tmp "$quendix" convert "$sample" - >odd.rec 2>stderr
check "non-UTF-8 TMPDIR: status 0" test $? -eq 0
check "non-UTF-8 TMPDIR: records whole" cmp -s odd.rec "$golden"
TMPDIR=$odd_tmp "$quendix" convert - odd-input.rec <"$sample" >/dev/null 2>&1
check "non-UTF-8 TMPDIR: staged input" cmp -s odd-input.rec "$golden"
check "non-UTF-8 TMPDIR: decoy untouched" test "$(cat "$scratch/tmp")" = decoy
check "non-UTF-8 TMPDIR: nothing left behind" test -z "$(ls -A "$odd_tmp")"

# The old output is lost to nothing: a conversion that fails, or that a
# signal ends, leaves it byte for byte and no new file beside it (after
# SIGKILL the new file may stay, named for what it is). The feed comes
# through a FIFO held open, so the signal lands while it converts.
leftovers() { ls -A | grep -c '^\.old\.rec\.quendix-' ; }
for signal in INT TERM HUP KILL; do
    rm -f feed.fifo .old.rec.quendix-* && mkfifo feed.fifo && cp "$golden" old.rec
    (head -c 1000 "$sample" && sleep 30) >feed.fifo &
    writer=$!
    "$quendix" convert feed.fifo old.rec >/dev/null 2>&1 &
    command=$!
    for _ in $(seq 100); do [ "$(leftovers)" -eq 0 ] || break; sleep 0.05; done
    kill -s "$signal" "$command"
    wait "$command" 2>/dev/null
    kill "$writer" 2>/dev/null
    wait "$writer" 2>/dev/null
    check "SIG$signal: old output kept" cmp -s old.rec "$golden"
    [ "$signal" = KILL ] || check "SIG$signal: new file removed" test "$(leftovers)" -eq 0
done
rm -f .old.rec.quendix-*
# With standard output as the output, the staging file is gone at once.
mkdir signal-tmp && rm -f feed.fifo && mkfifo feed.fifo
(head -c 1000 "$sample" && sleep 30) >feed.fifo &
writer=$!
TMPDIR=$scratch/signal-tmp "$quendix" convert feed.fifo - >/dev/null 2>&1 &
command=$!
sleep 0.3
kill -s INT "$command"
wait "$command" 2>/dev/null
kill "$writer" 2>/dev/null
wait "$writer" 2>/dev/null
check "SIGINT with standard output: nothing left in TMPDIR" test -z "$(ls -A signal-tmp)"

# A feed that cannot be read: status 1, the reason, the old output kept.
# With the shim (tests/read_failure_shim.c), the read fails after reads
# that gave records; the library then leaves an empty file and says 0.
run convert /proc/self/clear_refs old.rec
check "unreadable feed: status 1" test "$status" -eq 1
check "unreadable feed: says so" stderr_has "quendix: cannot read /proc/self/clear_refs: "
check "unreadable feed: old output kept" cmp -s old.rec "$golden"
if [ -n "${QUENDIX_READ_FAILURE_SHIM:-}" ]; then
    items=$(sed -n '/<item>/,/<\/item>/p' "$sample")
    for _ in $(seq 3000); do echo "$items"; done >long.xml
    for output in old.rec /dev/stdout; do
        LD_PRELOAD=$QUENDIX_READ_FAILURE_SHIM QUENDIX_FAIL_READ=long.xml QUENDIX_FAIL_AFTER=8 \
            ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0 "$quendix" convert long.xml "$output" >out 2>stderr
        check "read error into $output: status 1" test $? -eq 1
        check "read error into $output: the reason" grep -qF "cannot read long.xml: Input/output error" stderr
        check "read error into $output: no record out" test ! -s out
    done
    check "read error: old output kept" cmp -s old.rec "$golden"
fi

# Outputs reached another way: a symbolic link keeps pointing at the
# replaced file, which keeps its permissions; a FIFO whose writer has gone
# is read once, not waited on; names that are not UTF-8 work.
cp "$golden" target.rec && chmod 640 target.rec && ln -sf target.rec link.rec
: >target.rec
run convert "$sample" link.rec
check "symbolic link: still a link" test -L link.rec
check "symbolic link: its file replaced" cmp -s target.rec "$golden"
check "replaced file keeps its permissions" test "$(stat -c %a target.rec)" = 640
rm -f feed.fifo && mkfifo feed.fifo
cat "$sample" >feed.fifo &
timeout 10 "$quendix" convert feed.fifo fifo.rec >/dev/null 2>&1
check "FIFO with its writer gone: converted" cmp -s fifo.rec "$golden"
cp "$sample" $'feed\xff.xml'
run convert $'feed\xff.xml' $'out\xfe.rec'
check "non-UTF-8 names: converted" cmp -s $'out\xfe.rec' "$golden"
run convert $'gone\xff.xml' x.rec
check "non-UTF-8 name: escaped in messages" stderr_has 'gone\xff.xml: cannot open input'

# Two conversions into one output: each exit 0, and the file holds the
# records of one feed, never a mix.
sed 's/<title>/<title>B /' "$sample" >b.xml
"$quendix" convert b.xml b.rec >/dev/null
for round in 1 2 3; do
    "$quendix" convert "$sample" same.rec >/dev/null 2>&1 &
    "$quendix" convert b.xml same.rec >/dev/null 2>&1
    second=$?
    wait $!
    check "two at once ($round): both succeed" test $? -eq 0 -a "$second" -eq 0
    check "two at once ($round): one feed's records" eval 'cmp -s same.rec "$golden" || cmp -s same.rec b.rec'
done

finish command_safety
