#!/usr/bin/env bash
# One 3840 × 2160 frame shared between threads: through the OpenFX plug-in on
# 1, 2, 4 and 8 of the simulated host's threads (byte, short and float;
# natural footage and noise with feather bands) beside a plain copy of the
# same picture shared as widely, huesieve-render's render call on the float
# picture on as many of its threads, and the core's effect call per band size.
# The benchmarks run interleaved at random, repetition after repetition, so
# that all of them see the same load on a shared machine; prints the medians
# and each one's time against one thread.
# Usage: scripts/bench-threads.sh [repetitions (default 9)] [extra benchmark options...]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh libbenchmark-dev python3
scripts/build-third-party.sh
cmake --preset release -DHUESIEVE_BUILD_BENCH=ON >/dev/null
cmake --build --preset release --target huesieve_bench -j2

repetitions=${1:-9}
shift || true
results=build/release/bench-threads.json
build/release/bench/huesieve_bench --benchmark_filter='/workers:' \
  --benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true --benchmark_min_time=0.2 \
  --benchmark_out="$results" --benchmark_out_format=json "$@" >/dev/null
grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'
grep -qw avx512f /proc/cpuinfo && echo "AVX-512: yes" || echo "AVX-512: no"
echo "$(nproc) processors"
echo
python3 scripts/bench_threads_table.py "$results"
