#!/usr/bin/env bash
# quendix convert --explain, the note on an empty result, --encoding and
# quendix encodings.
# Usage: command_explain_test.sh QUENDIX SOURCE_DIR
set -u
quendix=$1
source_dir=$2
. "$(dirname "$0")/command_test_lib.sh"
cd "$scratch" || exit 1

# One item for each way an item can end, in the order the filter rules
# tell them apart. Item 7 gives <link> before <description>, so its link
# and date searches run on into item 8, which then gives no record; item 9
# has no <pubDate> at all, which ends the loop. No declaration: UTF-8 is
# the default.
cat >explain.xml <<'XML'
<rss version="2.0"><channel><title>Explained</title>
<item>
<title>Markup first</title>
<description>&lt;p&gt;Escaped paragraph</description>
<link>https://example.org/1</link>
<pubDate>date 1</pubDate>
</item>
<item>
<title>Empty picture text</title>
<description><p><a href="x"><img alt="" style="float:left" /></a></p></description>
<link>https://example.org/2</link>
<pubDate>date 2</pubDate>
</item>
<item>
<title>Empty description</title>
<description></description>
<link>https://example.org/3</link>
<pubDate>date 3</pubDate>
</item>
<item>
<title><![CDATA[Wrapped title]]></title>
<description>Plain text</description>
<link>https://example.org/4</link>
<pubDate>date 4</pubDate>
</item>
<item>
<title>Leading space</title>
<description> Indented text</description>
<link>https://example.org/5</link>
<pubDate>date 5</pubDate>
</item>
<item>
<title>Plain item</title>
<description>Plain text</description>
<link>https://example.org/6</link>
<pubDate>date 6</pubDate>
</item>
<item>
<title>Link first</title>
<link>https://example.org/7</link>
<description>Its own description</description>
<pubDate>date 7</pubDate>
</item>
<item>
<title>Lender</title>
<description>Never a record</description>
<link>https://example.org/8</link>
<pubDate>date 8</pubDate>
</item>
<item>
<title>No date</title>
<description>Plain text</description>
<link>https://example.org/9</link>
</item>
</channel></rss>
XML
mapfile -t item_lines < <(grep -n '<item>' explain.xml | cut -d: -f1)

# What the records say does not depend on --explain: item 7 holds item 8's
# link and date.
run convert explain.xml explain.rec
check "explain feed: two records" stdout_is 2
run show --json explain.rec
check "explain feed: item 6 kept" grep -q '^{"title":"Plain item",' stdout
check "a link before the description borrows the next item's link and date" \
    grep -qx '{"title":"Link first","date":"date 8","summary":"Its own description","link":"https://example.org/8"}' stdout

run convert --explain "$sample" sample.rec
check "--explain: status 0" test "$status" -eq 0
check "--explain: stdout keeps the count alone" stdout_is 5
check "--explain: the records are the same" cmp -s sample.rec "$golden"
check "--explain: a total last" grep -q '^total: .* 5 records written' <(tail -n 1 stderr)

# The sample's items, by the filter rules: item 5's title is CDATA, item
# 6's description starts with two spaces; the other five are kept.
mapfile -t sample_lines < <(grep -n '<item>' "$sample" | cut -d: -f1)
{
    for i in 1 2 3 4; do echo "item $i (line ${sample_lines[i - 1]}): kept as record $i"; done
    echo "item 5 (line ${sample_lines[4]}): dropped: title holds \"CDATA\""
    echo "item 6 (line ${sample_lines[5]}): dropped: summary starts with a space"
    echo "item 7 (line ${sample_lines[6]}): kept as record 5"
} >expected
check "--explain on the sample: one line per item" cmp -s <(head -n 7 stderr) expected
check "--explain on the sample: the total" grep -qx 'total: 7 items reached, 5 records written, 2 dropped (1 title holds "CDATA", 1 summary starts with a space), 0 took fields from a later item, encoding UTF-8 (.*)' <(tail -n 1 stderr)

run convert --explain explain.xml explain.rec
{
    echo "item 1 (line ${item_lines[0]}): dropped: summary empty: description starts with \"&lt\""
    echo "item 2 (line ${item_lines[1]}): dropped: summary empty: picture text empty"
    echo "item 3 (line ${item_lines[2]}): dropped: summary empty"
    echo "item 4 (line ${item_lines[3]}): dropped: title holds \"CDATA\""
    echo "item 5 (line ${item_lines[4]}): dropped: summary starts with a space"
    echo "item 6 (line ${item_lines[5]}): kept as record 1"
    echo "item 7 (line ${item_lines[6]}): kept as record 2; link (line $((item_lines[7] + 3))) and date (line $((item_lines[7] + 4))) from a later item; 1 later item from line ${item_lines[7]} passed over, giving no record"
    echo "item 8 (line ${item_lines[8]}): incomplete: no <pubDate> found; the item loop ends here"
    echo 'total: 8 items reached, 2 records written, 5 dropped (1 title holds "CDATA", 1 summary empty: description starts with "&lt", 1 summary empty: picture text empty, 1 summary empty, 1 summary starts with a space), 1 incomplete, 1 took fields from a later item, encoding UTF-8 (default)'
} >expected
check "--explain: every fate, borrowing and the end" cmp -s stderr expected
[ "$failed" -eq 0 ] || diff stderr expected >&2

# An item longer than a window: --explain says the window cut it, not that
# its element is missing; the next item is still converted.
{
    echo '<rss><channel>'
    printf '<item><title>Long</title><description>'
    head -c 200000 /dev/zero | tr '\0' x
    echo '</description><link>l</link><pubDate>d</pubDate></item>'
    sed -n '/<item>/,/<\/item>/p' "$sample" | head -n 6
    echo '</channel></rss>'
} >long-item.xml
run convert --explain long-item.xml long-item.rec
check "item longer than a window: cut, said so" \
    stderr_has "item 1 (line 2): cut by the window's end: a window holds 127999 characters and the item runs on to the next <item>, 200094 characters from the window's start"
check "item longer than a window: the next converted" stderr_has "item 2 (line 3): kept as record 1"

# Items after the one that ended the loop are counted and named by line.
printf '%s\n' '<rss><item><title>a</title><description>x</description><link>l</link><pubDate>d</pubDate></item>' \
    '<item><title>b</title><description>y</description><link>l</link></item>' \
    '<item><title>c</title><description>z</description><link>l</link></item></rss>' >passed-over.xml
run convert --explain passed-over.xml passed-over.rec
check "items passed over: counted after the incomplete one" \
    test "$(sed -n 2,3p stderr)" = "item 2 (line 2): incomplete: no <pubDate> found; the item loop ends here
1 more item from line 3 passed over: the item loop ended before them in this window"

# Nothing kept: one line gives the likely cause. All items dropped (by
# which rules); no <item> at all, or only <item> with attributes; UTF-16
# without a byte-order mark.
sed -n "1,$((item_lines[5] - 1))p" explain.xml >all-dropped.xml
echo '</channel></rss>' >>all-dropped.xml
printf '<rss><channel></channel></rss>' >no-items.xml
sed 's/<item>/<item xmlns="">/' "$sample" >attributes.xml
printf '<\0r\0s\0s\0>\0<\0i\0t\0e\0m\0>\0' >utf16.xml
empty_cases=(
    "all-dropped.xml|none of 5 items kept (1 title holds \"CDATA\", 1 summary empty: description starts with \"&lt\", 1 summary empty: picture text empty, 1 summary empty, 1 summary starts with a space); --explain tells what became of each"
    "no-items.xml|no <item> found"
    "attributes.xml|no <item> found; an item written <item ...> with attributes is not one"
    "utf16.xml|no <item> found; the feed looks like UTF-16 without a byte-order mark: try --encoding utf-16le"
)
for case in "${empty_cases[@]}"; do
    feed=${case%%|*}
    run convert "$feed" none.rec
    check "$feed: status 0, count 0" test "$status" -eq 0 -a "$(cat stdout)" = 0
    check "$feed: one line gives the cause" test "$(wc -l <stderr)" -eq 1
    check "$feed: the cause" stderr_has "quendix: $feed: no records written: ${case#*|}"
done

# A declared label that no encoding has: a warning, and UTF-8.
printf '<?xml version="1.0" encoding="MacCyrillic"?>' | cat - "$sample" >mac.xml
run convert --explain mac.xml mac.rec
check "unknown label: warns" stderr_has "warning: the feed declares encoding 'MacCyrillic', which is not a label of the Encoding Standard; read as UTF-8 (choose one with --encoding)"
check "unknown label: --explain says so" stderr_has "encoding UTF-8 (default; the declared 'MacCyrillic' is not a label)"

# --encoding: bytes E9 are "é" in windows-1252 and ill-formed in UTF-8.
printf '<rss><item><title>Caf\xe9</title><description>Fr\xeate</description><link>l</link><pubDate>d</pubDate></item></rss>' >latin.xml
run convert latin.xml default.rec
run show --json default.rec
check "undeclared 8-bit feed read as UTF-8" grep -qF '"title":"Caf'$'\uFFFD''"' stdout
for label in latin1 windows-1252 ' ISO-8859-1 ' --encoding=cp1252; do
    if [ "$label" = --encoding=cp1252 ]; then run convert "$label" latin.xml chosen.rec
    else run convert --encoding "$label" latin.xml chosen.rec; fi
    run show --json chosen.rec
    check "--encoding [$label] decodes as windows-1252" grep -qF '"title":"Caf'$'\u00e9''","date":"d","summary":"Fr'$'\u00ea''te"' stdout
done
run convert --explain --encoding latin1 latin.xml chosen.rec
check "--explain names a chosen encoding" grep -q ', encoding windows-1252 (chosen with --encoding)' <(tail -n 1 stderr)
# A byte-order mark still wins: C3 A9 is "é" in UTF-8, "Ã©" in windows-1252.
printf '\xef\xbb\xbf<rss><item><title>Caf\xc3\xa9</title><description>x</description><link>l</link><pubDate>d</pubDate></item></rss>' >bom.xml
run convert --encoding windows-1252 bom.xml bom.rec
run show --json bom.rec
check "a byte-order mark wins over --encoding" grep -qF '"title":"Caf'$'\u00e9''"' stdout

# quendix encodings: one line per encoding, its name then its labels; every
# label listed is one --encoding takes, and names that encoding.
run encodings
check "encodings: status 0" test "$status" -eq 0
check "encodings: UTF-8 and its labels" grep -qE '^UTF-8: (.* )?utf-8( |$)' stdout
check "encodings: windows-1252 and latin1" grep -qE '^windows-1252: (.* )?latin1( |$)' stdout
check "encodings: each name once" test "$(cut -d: -f1 stdout | sort | uniq -d)" = ""
cp stdout encodings
bad_labels=0
while IFS=: read -r name labels; do
    for label in $labels; do
        "$quendix" convert --explain --encoding "$label" "$sample" label.rec >/dev/null 2>stderr ||
            bad_labels=$((bad_labels + 1))
        grep -qF "encoding $name (chosen with --encoding)" stderr || bad_labels=$((bad_labels + 1))
    done
done <encodings
check "encodings: every label accepted, naming its encoding" test "$bad_labels" -eq 0

finish command_explain
