"""Start-up cost of commands: the median wall time, processor time and peak
resident memory of each of `runs` runs, one process at a time. Prints a
Markdown table.

Each command runs under GNU time, which reports its peak memory: the kernel
counts a process's peak from before its exec, so a child of this Python
process would report Python's own peak. The times include starting GNU time
(well under a millisecond), the same for every command. The processor time
(user and system, from wait4) is the steadier figure on a loaded machine,
where the wall time also counts waiting for a core.

Usage: bench_start.py RUNS NAME=COMMAND [NAME=COMMAND...]
"""

import os
import shlex
import statistics
import subprocess
import sys
import tempfile
import time


def measure(command, runs):
    """Medians of `runs` runs of `command`: wall seconds, processor seconds, peak KiB."""
    walls, processor, peaks = [], [], []
    with tempfile.NamedTemporaryFile("r") as report:
        for _ in range(runs):
            start = time.perf_counter()
            process = subprocess.Popen(["/usr/bin/time", "-f", "%M", "-o", report.name, *command],
                                       stdout=subprocess.DEVNULL)
            _, status, usage = os.wait4(process.pid, 0)
            walls.append(time.perf_counter() - start)
            # Reaped here, not by Popen: it must not wait for the process again.
            process.returncode = os.waitstatus_to_exitcode(status)
            if process.returncode != 0:
                sys.exit(f"bench_start.py: {shlex.join(command)} exited {process.returncode}")
            processor.append(usage.ru_utime + usage.ru_stime)
            report.seek(0)
            peaks.append(int(report.read().split()[-1]))
    return statistics.median(walls), statistics.median(processor), statistics.median(peaks)


def main(runs, named_commands):
    print(f"| command, medians of {runs} runs | wall time | processor time | peak resident memory |")
    print("|---|---:|---:|---:|")
    for named in named_commands:
        name, command = named.split("=", 1)
        wall, processor, peak_kib = measure(shlex.split(command), runs)
        print(f"| {name} (`{command}`) | {wall * 1000:.1f} ms | {processor * 1000:.1f} ms "
              f"| {peak_kib / 1024:.1f} MiB |")


if __name__ == "__main__":
    main(int(sys.argv[1]), sys.argv[2:])
