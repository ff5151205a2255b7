#!/usr/bin/env bash
# Runs the whole test suite under AddressSanitizer + UndefinedBehaviorSanitizer
# and the concurrency tests under ThreadSanitizer. Any sanitizer report fails
# the run (the builds do not recover from one).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
# The exhaustive equivalence tests take a sample of this size under the
# sanitizers, which slow them several times over.
export HUESIEVE_EQUIVALENCE_SAMPLE="${HUESIEVE_EQUIVALENCE_SAMPLE:-65536}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:check_initialization_order=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/cmake/lsan-suppressions.txt:print_suppressions=0}"
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1}"

cmake --preset asan
cmake --build --preset asan -j2
ctest --preset asan -j2

# ThreadSanitizer runs the concurrency tests only: only they are built.
cmake --preset tsan
cmake --build --preset tsan -j2 --target huesieve_core_concurrency_tests \
  huesieve_concurrency_tests huesieve_ofx_concurrency_tests \
  huesieve_ofx_plugin_concurrency_tests huesieve_cli_pipeline_tests
ctest --preset tsan
