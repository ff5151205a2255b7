#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, ASan + UBSan) and runs each for a
# bounded time, starting from the seed corpus in fuzz/corpus/<fuzzer>/.
# Usage: scripts/fuzz.sh [seconds-per-fuzzer]   (default 20)
# New inputs the fuzzers find go to build/fuzz/corpus/, not into the tree;
# a failing input is written as build/fuzz/artifacts/<fuzzer>-crash-*.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-20}"
scripts/setup.sh clang libclang-rt-14-dev
cmake --preset fuzz
cmake --build --preset fuzz -j2

export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/cmake/lsan-suppressions.txt:print_suppressions=0}"
artifacts="build/fuzz/artifacts"
rm -rf "$artifacts"
mkdir -p "$artifacts"
for fuzzer in render_fuzzer colour_rule_fuzzer image_file_fuzzer exr_file_fuzzer dpx_file_fuzzer settings_fuzzer ofx_render_fuzzer; do
  # OpenEXR takes memory by a header's channel list as it opens a file, a few
  # GiB for a small hostile one; the image reader's fuzzer gives it that room,
  # to find faults rather than the library's appetite. The tool's own frame
  # stays within the fuzzer's pixel limit.
  limits=()
  [[ $fuzzer == image_file_fuzzer || $fuzzer == exr_file_fuzzer ]] && limits=(-rss_limit_mb=8192)
  work="build/fuzz/corpus/$fuzzer"
  log="build/fuzz/$fuzzer.log"
  mkdir -p "$work"
  echo "Fuzzing $fuzzer for ${seconds}s"
  status=0
  "build/fuzz/fuzz/$fuzzer" "${limits[@]}" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$artifacts/$fuzzer-" "$work" "fuzz/corpus/$fuzzer" >"$log" 2>&1 || status=$?
  grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec)' "$log" || true
  if ((status != 0)); then
    tail -n 40 "$log" >&2
    echo "$fuzzer failed; reproduce with: build/fuzz/fuzz/$fuzzer $artifacts/$fuzzer-*" >&2
    exit 1
  fi
done
