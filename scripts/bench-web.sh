#!/usr/bin/env bash
# Measures the tuner in headless Chromium against the native core, on 1920 x
# 1080 and 3840 x 2160 frames of ffmpeg's testsrc2 with ten colour entries:
# the median time from a slider change to the finished result (on every
# thread, and on one from a page served without isolation), the
# WebAssembly core's render alone (SIMD on every thread and on one, portable)
# and the native core's; and the time to open a 3840 x 2160 half OpenEXR
# (ZIP), as huesieve-render writes it from the larger frame.
# Usage: scripts/bench-web.sh [slider changes (default 60)]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build-web.sh
scripts/setup.sh libbenchmark-dev
scripts/build-third-party.sh
cmake --preset release -DHUESIEVE_BUILD_BENCH=ON >/dev/null
cmake --build --preset release --target huesieve_tuner_core_timing huesieve-render -j2

mkdir -p build/web-bench
for size in 1920x1080 3840x2160; do
  frame=build/web-bench/testsrc2-$size.png
  [[ -f $frame ]] || ffmpeg -v error -f lavfi -i testsrc2=size=$size -frames:v 1 -y "$frame"
  node web/bench/tuner_bench.mjs "$frame" build/release/bench/huesieve_tuner_core_timing "${1:-60}"
done

plate=build/web-bench/testsrc2-3840x2160-half.exr
[[ -f $plate ]] ||
  build/release/huesieve-render --output-type half build/web-bench/testsrc2-3840x2160.png "$plate"
node web/bench/open_bench.mjs "$plate"
