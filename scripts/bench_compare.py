#!/usr/bin/env python3
"""Compares two builds of the render benchmark on a shared machine: every
benchmark is run by each binary in turn, round after round, so that both see
the same load; prints the medians of the rounds, their ratio, and the best round of each
(the least time, or the most frames per second).

Usage: scripts/bench_compare.py ROUNDS OLD_BINARY NEW_BINARY [REGEX]
(for example an old binary built from main in another directory, and
build/release/bench/huesieve_bench)."""
import json
import re
import statistics
import subprocess
import sys


def run(binary, name):
    out = subprocess.run([binary, f"--benchmark_filter=^{re.escape(name)}$",
                          "--benchmark_min_time=0.3", "--benchmark_format=json"],
                         capture_output=True, text=True, check=True).stdout
    return [b for b in json.loads(out)["benchmarks"] if "ns_per_pixel" in b]


def main(rounds, old, new, regex="."):
    names = subprocess.run([old, "--benchmark_list_tests", f"--benchmark_filter={regex}"],
                           capture_output=True, text=True, check=True).stdout.split()
    samples = {}
    for _ in range(rounds):
        for name in names:
            for binary in (old, new):
                for result in run(binary, name):
                    samples.setdefault(result["name"], {}).setdefault(binary, []).append(result)
    print("| benchmark | old | new | new/old | old best | new best |")
    print("|---|---:|---:|---:|---:|---:|")
    for name, by_binary in samples.items():
        if old not in by_binary or new not in by_binary:
            continue
        # Threaded runs report throughput: frames of 3840 x 2160 per second.
        key = "items_per_second" if "/threads:" in name else "ns_per_pixel"
        scale = 3840 * 2160 if key == "items_per_second" else 1
        values = [[r[key] / scale for r in by_binary[b]] for b in (old, new)]
        medians = [statistics.median(v) for v in values]
        minimums = [min(v) if key == "ns_per_pixel" else max(v) for v in values]
        label = name.replace("/manual_time", "").replace("/min_time:1.000", "")
        print(f"| {label} | {medians[0]:.3f} | {medians[1]:.3f} | {medians[1] / medians[0]:.2f} "
              f"| {minimums[0]:.3f} | {minimums[1]:.3f} |")


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    main(int(sys.argv[1]), sys.argv[2], sys.argv[3], *sys.argv[4:])
