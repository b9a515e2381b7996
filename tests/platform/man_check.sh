#!/usr/bin/env bash
# Formats each manual page with every warning on; any warning fails.
# Exits 77 (skipped) when neither groff nor man is installed.
set -uo pipefail
checked=0
failed=0
for page in "$@"; do
    if command -v groff >/dev/null; then
        warnings=$(groff -ww -man -z -Tutf8 "$page" 2>&1)
        checked=1
    elif command -v man >/dev/null; then
        warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
        checked=1
    else
        break
    fi
    if [ -n "$warnings" ]; then
        echo "$page:" >&2
        echo "$warnings" >&2
        failed=1
    fi
done
if [ "$checked" -eq 0 ]; then
    echo "neither groff nor man is installed: manual pages not checked"
    exit 77
fi
exit "$failed"
