#!/usr/bin/env bash
# Builds everything and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build-third-party.sh
cmake --preset release
cmake --build --preset release
echo "Built build/release/Huesieve.so and build/release/Huesieve.ofx.bundle"

scripts/setup.sh g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
cmake --preset windows
cmake --build --preset windows --target Huesieve huesieve_ofx_plugin
echo "Built build/windows/Huesieve.aex"
# One OpenFX bundle for both systems: the Windows binary beside the Linux one.
cp -r build/windows/Huesieve.ofx.bundle/Contents/Win64 build/release/Huesieve.ofx.bundle/Contents/
echo "Built build/release/Huesieve.ofx.bundle (Linux-x86-64 and Win64)"
scripts/render-demo.sh
