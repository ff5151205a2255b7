#!/usr/bin/env bash
# Builds everything and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release
cmake --build --preset release
echo "Built build/release/Huesieve.so"

scripts/setup.sh g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
cmake --preset windows
cmake --build --preset windows --target Huesieve
echo "Built build/windows/Huesieve.aex"
scripts/render-demo.sh
