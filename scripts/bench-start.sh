#!/usr/bin/env bash
# Start-up cost of huesieve-render beside oiiotool's: `--version`, which
# loads, starts and exits, timed 20 times each (median wall time and peak
# resident memory). The release build's tool is the tarball's, linked static;
# the deb preset's is the Debian package's, on Debian's shared libraries.
# Prints a Markdown table.
# Usage: scripts/bench-start.sh [runs]   (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh python3 time file openimageio-tools
scripts/build-third-party.sh >/dev/null
cmake --preset release >/dev/null
cmake --build --preset release --target huesieve-render >/dev/null
cmake --preset deb >/dev/null
cmake --build --preset deb >/dev/null

for tool in build/release/huesieve-render build/deb/huesieve-render; do
  echo "$tool: $(file -b "$tool" | cut -d, -f1-5), $(du -h "$tool" | cut -f1)"
done
echo
python3 scripts/bench_start.py "${1:-20}" \
  "huesieve-render, release=build/release/huesieve-render --version" \
  "huesieve-render, deb=build/deb/huesieve-render --version" \
  "oiiotool=oiiotool --version"
