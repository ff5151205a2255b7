#!/usr/bin/env bash
# Builds the tuner and huesieve-render, then runs the tuner's tests: its PNG
# reading and writing and the settings under Node, the core compiled to WebAssembly against
# the plain reference, and the page in headless Chromium against the tool.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build-web.sh
scripts/build-third-party.sh
cmake --preset release
cmake --build --preset release --target huesieve-render
cd web
HUESIEVE_RENDER="$PWD/../build/release/huesieve-render" node --test --test-concurrency=1 tests/
