"""Start-up cost of commands: the median wall time and peak resident memory
of each of `runs` runs, one process at a time, each waited for with wait4 so
that the memory is that process's own. Prints a Markdown table.

Usage: bench_start.py RUNS NAME=COMMAND [NAME=COMMAND...]
"""

import os
import shlex
import statistics
import subprocess
import sys
import time


def measure(command, runs):
    """Median seconds and median peak KiB of `runs` runs of `command`."""
    seconds, peaks = [], []
    for _ in range(runs):
        start = time.perf_counter()
        process = subprocess.Popen(command, stdout=subprocess.DEVNULL)
        _, status, usage = os.wait4(process.pid, 0)
        seconds.append(time.perf_counter() - start)
        # Reaped here, not by Popen: it must not wait for the process again.
        process.returncode = os.waitstatus_to_exitcode(status)
        if process.returncode != 0:
            sys.exit(f"bench_start.py: {shlex.join(command)} exited {process.returncode}")
        peaks.append(usage.ru_maxrss)
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
