"""Start-up cost of commands: the median wall time and peak resident memory
of each of `runs` runs, one process at a time. Prints a Markdown table.

Each command runs under GNU time, which reports its peak memory: the kernel
counts a process's peak from before its exec, so a child of this Python
process would report Python's own peak. The wall time includes starting
GNU time (well under a millisecond), the same for every command.

Usage: bench_start.py RUNS NAME=COMMAND [NAME=COMMAND...]
"""

import shlex
import statistics
import subprocess
import sys
import tempfile
import time


def measure(command, runs):
    """Median seconds and median peak KiB of `runs` runs of `command`."""
    seconds, peaks = [], []
    with tempfile.NamedTemporaryFile("r") as report:
        for _ in range(runs):
            start = time.perf_counter()
            finished = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name, *command],
                                      stdout=subprocess.DEVNULL, check=False)
            seconds.append(time.perf_counter() - start)
            if finished.returncode != 0:
                sys.exit(f"bench_start.py: {shlex.join(command)} exited {finished.returncode}")
            report.seek(0)
            peaks.append(int(report.read().split()[-1]))
    return statistics.median(seconds), statistics.median(peaks)


def main(runs, named_commands):
    print(f"| command | wall time, median of {runs} | peak resident memory, median |")
    print("|---|---|---|")
    for named in named_commands:
        name, command = named.split("=", 1)
        seconds, peak_kib = measure(shlex.split(command), runs)
        print(f"| {name} (`{command}`) | {seconds * 1000:.1f} ms | {peak_kib / 1024:.1f} MiB |")


if __name__ == "__main__":
    main(int(sys.argv[1]), sys.argv[2:])
