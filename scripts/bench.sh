#!/usr/bin/env bash
# Builds the optimised benchmarks and prints Render's cost per pixel against a
# plain copy of the same 3840 × 2160 frame, as medians of several runs. One
# frame shared between threads: scripts/bench-threads.sh.
# Usage: scripts/bench.sh [repetitions (default 5)] [extra benchmark options...]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh libbenchmark-dev python3
scripts/build-third-party.sh
cmake --preset release -DHUESIEVE_BUILD_BENCH=ON >/dev/null
cmake --build --preset release --target huesieve_bench -j2

repetitions=${1:-5}
shift || true
results=build/release/bench-results.json
build/release/bench/huesieve_bench --benchmark_filter='-/workers:' \
  --benchmark_repetitions="$repetitions" \
  --benchmark_report_aggregates_only=true --benchmark_min_time=0.3 \
  --benchmark_out="$results" --benchmark_out_format=json "$@" >/dev/null
python3 scripts/bench_table.py "$results"
