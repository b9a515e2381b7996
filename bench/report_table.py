#!/usr/bin/env python3
"""Turns the outputs of scripts/bench.sh into the README's Performance table.

Reads the Google Benchmark JSON (medians), the callgrind totals for N and 2N
calls per feed, and the peak resident memory per feed, and prints a Markdown
table, the machine it ran on, and how each target fares.
"""

import argparse
import json
import os
import subprocess

FEEDS = ["typical", "small", "worst-open-dates", "worst-near-misses", "worst-angles",
         "long-50mb", "worst-window-edges"]
# Feeds in other encodings: name, Python codec the conversion decodes it as,
# instructions per input byte at most, instructions per character at most,
# and the feed holding the same text in UTF-8, if any.
ENCODED_FEEDS = [
    ("windows-1251", "cp1251", 8.0, None, "russian"),
    ("windows-1251-as-utf8", "utf-8", 12.0, None, None),
    ("shift_jis", "shift_jis", 12.0, None, "japanese"),
    ("gb18030", "gb18030", 12.0, None, "chinese"),
    ("shift_jis-as-ascii", "utf-8", None, None, None),
    ("gb18030-as-ascii", "utf-8", None, None, None),
    ("shift_jis-run", "shift_jis", None, None, None),
    ("shift_jis-run-as-ascii", "utf-8", None, None, None),
    ("russian", "utf-8", None, 8.0, None),
    ("arabic", "utf-8", None, 8.0, None),
    ("japanese", "utf-8", None, 8.0, None),
    ("chinese", "utf-8", None, 8.0, None),
    ("emoji", "utf-8", None, 6.0, None),
]
CODECS = {name: codec for name, codec, *_ in ENCODED_FEEDS}
TARGETS = {
    "floor": 1.45,  # ConvertFile time / I/O floor time, typical feed, at most
    "plain": 2.5,  # plain port time / ConvertFile time, typical feed, at least
    "typical_ipc": 4.0,  # instructions per input character, typical feed, at most
    "worst_ipc": 12.0,  # the same, each worst-case feed, at most
    "memory_mib": 4.0,  # peak resident memory of `quendix convert`, typical feed
}


def decoded(path):
    """The feed's text as the conversion decodes it."""
    name = os.path.basename(path)[: -len(".xml")]
    with open(path, "rb") as feed:
        return feed.read().decode(CODECS.get(name, "utf-8"), errors="replace")


def characters(path):
    """Input characters the conversion sees: 16-bit units, window after window."""
    return len(decoded(path).encode("utf-16-le")) // 2


def medians(path):
    with open(path) as results:
        data = json.load(results)
    out = {}
    for run in data["benchmarks"]:
        if run.get("aggregate_name") != "median":
            continue
        feed, variant = run["run_name"].split("/")[:2]
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[run["time_unit"]]
        out[(feed, variant)] = {
            "us": run["real_time"] * scale,
            "mbps": run.get("bytes_per_second", 0.0) / 1e6,
        }
    return out


def instructions(path, feeds_dir):
    out = {}
    with open(path) as counts:
        for line in counts:
            feed, calls, single, double = line.split()
            per_call = (int(double) - int(single)) / int(calls)
            path = os.path.join(feeds_dir, feed + ".xml")
            out[feed] = (per_call / characters(path), per_call / os.path.getsize(path))
    return out


def memory(path):
    with open(path) as sizes:
        return {feed: int(kib) / 1024.0 for feed, kib in (line.split() for line in sizes)}


def beyond_ascii(path):
    return sum(1 for c in decoded(path) if ord(c) >= 0x80)


def decoding_budgets(feeds_dir, times, typical_us):
    """What decoding adds to each feed that has an ASCII twin, and what its
    characters beyond ASCII would cost at the rate of a run that never ends."""
    def added(feed):
        return (times[(feed, "ConvertFile")]["us"] - times[(feed + "-as-ascii", "ConvertFile")]["us"])

    lines = []
    run = "shift_jis-run"
    per_character = None
    if (run + "-as-ascii", "ConvertFile") in times:
        per_character = added(run) / beyond_ascii(os.path.join(feeds_dir, run + ".xml"))
        lines.append("- %s: %.2f ns a two-byte character, against its ASCII twin"
                     % (run, 1e3 * per_character))
    for feed, _, _, _, _ in ENCODED_FEEDS:
        if (feed + "-as-ascii", "ConvertFile") not in times:
            continue
        shape_us = times[(feed + "-as-ascii", "ConvertFile")]["us"]
        line = "- %s: decoding adds %.1f µs to its ASCII twin's %.1f" % (feed, added(feed), shape_us)
        if per_character is not None:
            wide = beyond_ascii(os.path.join(feeds_dir, feed + ".xml"))
            line += "; its %d characters beyond ASCII, at %s's rate, %.1f" % (
                wide, run, wide * per_character)
        lines.append(line)
    return "\n".join(lines)


def machine():
    model = "unknown"
    try:
        for line in subprocess.run(["lscpu"], capture_output=True, text=True).stdout.splitlines():
            if line.startswith("Model name:"):
                model = line.split(":", 1)[1].strip()
    except OSError:
        pass
    return "%s, %d cores (lscpu, nproc)" % (model, os.cpu_count() or 0)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--feeds", required=True)
    parser.add_argument("--benchmark", required=True)
    parser.add_argument("--callgrind", required=True)
    parser.add_argument("--memory", required=True)
    args = parser.parse_args()
    times = medians(args.benchmark)
    ipc = instructions(args.callgrind, args.feeds)
    rss = memory(args.memory)

    print("| Feed | Characters | ConvertFile µs/call | MB/s | Instructions/char "
          "| µs/MB | I/O floor µs | × floor | Plain port µs | Plain port ÷ ConvertFile "
          "| Peak RSS (MiB) |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for feed in FEEDS:
        convert = times[(feed, "ConvertFile")]
        floor = times[(feed, "IoFloor")]
        plain = times[(feed, "PlainPort")]
        print("| %s | %d | %.1f | %.0f | %.2f | %.0f | %.1f | %.2f | %.0f | %.1f | %.2f |" % (
            feed, characters(os.path.join(args.feeds, feed + ".xml")), convert["us"],
            convert["mbps"], ipc[feed][0], 1e6 / convert["mbps"], floor["us"],
            convert["us"] / floor["us"], plain["us"], plain["us"] / convert["us"], rss[feed]))
    print()
    print("| Feed | Bytes | Characters | ConvertFile µs/call | × typical | Instructions/byte "
          "| Instructions/char | iconv(3) decoding µs | ConvertFile ÷ iconv | ÷ same text in UTF-8 |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    typical_us = times[("typical", "ConvertFile")]["us"]
    for feed, _, _, _, twin in ENCODED_FEEDS:
        path = os.path.join(args.feeds, feed + ".xml")
        us = times[(feed, "ConvertFile")]["us"]
        iconv_us = times.get((feed, "Iconv"), {}).get("us")
        against = ("%.1f | %.2f" % (iconv_us, us / iconv_us)) if iconv_us else "— | —"
        same_text = "%.2f" % (us / times[(twin, "ConvertFile")]["us"]) if twin else ""
        print("| %s | %d | %d | %.1f | %.2f | %.2f | %.2f | %s | %s |" % (
            feed, os.path.getsize(path), characters(path), us, us / typical_us, ipc[feed][1],
            ipc[feed][0], against, same_text))
    print()
    print(decoding_budgets(args.feeds, times, typical_us))
    print()
    print("Machine: " + machine())
    print()
    typical = times[("typical", "ConvertFile")]["us"]
    checks = [
        ("typical: ConvertFile <= %g x I/O floor" % TARGETS["floor"],
         typical / times[("typical", "IoFloor")]["us"] <= TARGETS["floor"]),
        ("typical: >= %.1f x faster than the plain port" % TARGETS["plain"],
         times[("typical", "PlainPort")]["us"] / typical >= TARGETS["plain"]),
        ("typical: <= %g instructions per character" % TARGETS["typical_ipc"],
         ipc["typical"][0] <= TARGETS["typical_ipc"]),
        ("worst cases: <= %g instructions per character" % TARGETS["worst_ipc"],
         all(ipc[feed][0] <= TARGETS["worst_ipc"] for feed in FEEDS if feed.startswith("worst"))),
        ("every feed: peak RSS <= %g MiB" % TARGETS["memory_mib"],
         all(rss[feed] <= TARGETS["memory_mib"] for feed in FEEDS)),
        ("50 MB feed: ratio to the I/O floor no worse than the typical feed's",
         times[("long-50mb", "ConvertFile")]["us"] / times[("long-50mb", "IoFloor")]["us"]
         <= typical / times[("typical", "IoFloor")]["us"]),
    ]
    for feed, _, most_per_byte, most_per_char, _ in ENCODED_FEEDS:
        if most_per_byte is not None:
            checks.append(("%s: <= %g instructions per input byte" % (feed, most_per_byte),
                           ipc[feed][1] <= most_per_byte))
        if most_per_char is not None:
            checks.append(("%s: <= %g instructions per character" % (feed, most_per_char),
                           ipc[feed][0] <= most_per_char))
        iconv_us = times.get((feed, "Iconv"), {}).get("us")
        if iconv_us and not feed.endswith("-as-ascii") and "-run" not in feed:
            checks.append(("%s: ConvertFile faster than iconv(3) decoding alone" % feed,
                           times[(feed, "ConvertFile")]["us"] < iconv_us))
    for name, met in checks:
        print("- %s: %s" % (name, "met" if met else "NOT met"))


if __name__ == "__main__":
    main()
