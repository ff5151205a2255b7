#!/usr/bin/env bash
# Cross-builds the Windows module, build/windows/Huesieve.aex, and runs the
# Windows checks: the module file's exports, imports and property list, and the
# loader under Wine, which must print exactly what the Linux loader prints for
# Huesieve.so; likewise the OpenFX loader, whose Windows run must print
# exactly what its Linux run prints for the same bundle.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 wine

milliseconds() { echo $(($(date +%s%N) / 1000000)); }
seconds() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); }

# The reference: the Linux loader's output.
cmake --preset debug >/dev/null
cmake --build --preset debug -j2
ctest --preset debug -R '^(loader_drives_linux_module|ofx_loader_drives_linux_(fixture|huesieve))$'

cmake --preset windows
cmake --build --preset windows -j2

# One Wine prefix for the whole run, of its own; its first start is timed
# apart from the tests.
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/huesieve-wine.XXXXXX")
export WINEPREFIX
cleanup() {
  scripts/wine-run.sh --stop
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

start=$(milliseconds)
scripts/wine-run.sh wineboot --init
booted=$(milliseconds)
ctest --preset windows
finished=$(milliseconds)

compare() {
  local what=$1 linux=$2 windows=$3
  echo "$what, Linux digest:   $(grep '^digest ' "$linux")"
  echo "$what, Windows digest: $(grep '^digest ' "$windows")"
  if ! diff -u "$linux" "$windows"; then
    echo "$what: the Windows build behaves differently from the Linux build" >&2
    exit 1
  fi
}
echo "Wine: prefix first start $(seconds $((booted - start))) s," \
  "Windows tests $(seconds $((finished - booted))) s"
compare "Effect module" build/debug/tests/loader/loader-output.txt \
  build/windows/tests/loader/loader-output.txt
compare "OpenFX fixture" build/debug/tests/ofx/loader/ofx-loader-output.txt \
  build/windows/tests/ofx/loader/ofx-loader-output.txt
compare "OpenFX plug-in" build/debug/tests/ofx/loader/huesieve-ofx-loader-output.txt \
  build/windows/tests/ofx/loader/huesieve-ofx-loader-output.txt
echo "Windows and Linux builds agree bit for bit"
