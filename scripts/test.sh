#!/usr/bin/env bash
# Builds Huesieve and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset debug
cmake --build --preset debug
ctest --preset debug
scripts/test-web.sh
scripts/test-windows.sh
scripts/test-sanitizers.sh
scripts/fuzz.sh 20
# The quick start's first command: the optimised build of everything, the
# Windows module and plug-in, and the sample rendered.
scripts/demo.sh
# The optimised tool carries nothing that drives a module, and renders a
# sequence across a Slurm job array as its docs show.
tests/check_shipped_symbols.sh build/release/huesieve-render
scripts/test-slurm.sh build/release
# The packages a user downloads, unpacked and loaded; the tarball's tool
# alone in an empty root.
scripts/package.sh
scripts/test-packages.sh
scripts/test-portable.sh
