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
TARGETS = {
    "floor": 1.3,  # ConvertFile time / I/O floor time, typical feed, at most
    "plain": 2.5,  # plain port time / ConvertFile time, typical feed, at least
    "typical_ipc": 6.0,  # instructions per input character, typical feed, at most
    "worst_ipc": 12.0,  # the same, each worst-case feed, at most
    "memory_mib": 4.0,  # peak resident memory of `quendix convert`, typical feed
}


def characters(path):
    """Input characters the conversion sees: 16-bit units, window after window."""
    with open(path, encoding="utf-8") as feed:
        return len(feed.read().encode("utf-16-le")) // 2


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
            out[feed] = per_call / characters(os.path.join(feeds_dir, feed + ".xml"))
    return out


def memory(path):
    with open(path) as sizes:
        return {feed: int(kib) / 1024.0 for feed, kib in (line.split() for line in sizes)}


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
            convert["mbps"], ipc[feed], 1e6 / convert["mbps"], floor["us"],
            convert["us"] / floor["us"], plain["us"], plain["us"] / convert["us"], rss[feed]))
    print()
    print("Machine: " + machine())
    print()
    typical = times[("typical", "ConvertFile")]["us"]
    checks = [
        ("typical: ConvertFile <= %.1f x I/O floor" % TARGETS["floor"],
         typical / times[("typical", "IoFloor")]["us"] <= TARGETS["floor"]),
        ("typical: >= %.1f x faster than the plain port" % TARGETS["plain"],
         times[("typical", "PlainPort")]["us"] / typical >= TARGETS["plain"]),
        ("typical: <= %g instructions per character" % TARGETS["typical_ipc"],
         ipc["typical"] <= TARGETS["typical_ipc"]),
        ("worst cases: <= %g instructions per character" % TARGETS["worst_ipc"],
         all(ipc[feed] <= TARGETS["worst_ipc"] for feed in FEEDS if feed.startswith("worst"))),
        ("every feed: peak RSS <= %g MiB" % TARGETS["memory_mib"],
         all(rss[feed] <= TARGETS["memory_mib"] for feed in FEEDS)),
        ("50 MB feed: ratio to the I/O floor no worse than the typical feed's",
         times[("long-50mb", "ConvertFile")]["us"] / times[("long-50mb", "IoFloor")]["us"]
         <= typical / times[("typical", "IoFloor")]["us"]),
    ]
    for name, met in checks:
        print("- %s: %s" % (name, "met" if met else "NOT met"))


if __name__ == "__main__":
    main()
