#!/usr/bin/env bash
# Unpacks each package scripts/package.sh made into an empty folder, checks
# its checksums, and loads what is inside as a user would have it:
#   Linux:   the OpenFX bundle through the simulated OpenFX host (the loader),
#            huesieve-render on the bundled sample;
#   Windows: the OpenFX bundle and Huesieve.aex through the Windows loaders
#            under Wine.
# Every output must equal what the builds themselves give (a Windows program
# writing to a file through Wine ends its lines with a carriage return too).
# Usage: scripts/test-packages.sh   (after scripts/test-windows.sh, scripts/demo.sh
#                                    and scripts/package.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

scripts/setup.sh unzip wine64 wine
identity=src/effect/identity.h
part() { sed -n "s/.*k$1Version = \([0-9]*\);.*/\1/p" "$identity"; }
version="$(part Major).$(part Minor).$(part BugFix)"

work=$(mktemp -d "${TMPDIR:-/tmp}/huesieve-packages.XXXXXX")
export WINEPREFIX="$work/wine"
cleanup() {
  scripts/wine-run.sh --stop
  rm -rf "$work"
}
trap cleanup EXIT

same() {  # what, expected, actual
  if ! cmp -s "$2" "$3"; then
    echo "test-packages.sh: $1 differs from the build's" >&2
    diff -u "$2" "$3" | head -20 >&2 || true
    exit 1
  fi
  echo "  $1: as built"
}

echo "Linux package"
mkdir "$work/linux"
tar -C "$work/linux" -xzf "build/packages/Huesieve-$version-linux-x86_64.tar.gz"
linux="$work/linux/Huesieve-$version-linux-x86_64"
(cd "$linux" && sha256sum --quiet -c SHA256SUMS) && echo "  checksums: good"
(cd "$linux" && "$repo/build/debug/tests/ofx/loader/huesieve_ofx_loader" Huesieve.ofx.bundle) \
  >"$work/linux-ofx.txt"
same "OpenFX bundle" build/debug/tests/ofx/loader/huesieve-ofx-loader-output.txt "$work/linux-ofx.txt"
(cd "$work" && "$linux/huesieve-render" --enable --entry 1:DB2924:110:60 --entry 2:29B33D:100:50 \
  "$repo/samples/huesieve-sample.png" reds-and-greens.png)
same "huesieve-render on the sample" build/demo/reds-and-greens.png "$work/reds-and-greens.png"

echo "Windows package"
mkdir "$work/windows"
unzip -q "build/packages/Huesieve-$version-windows-x64.zip" -d "$work/windows"
windows="$work/windows/Huesieve-$version-windows-x64"
(cd "$windows" && sha256sum --quiet -c SHA256SUMS) && echo "  checksums: good"
scripts/wine-run.sh wineboot --init
(cd "$windows" && "$repo/scripts/wine-run.sh" \
  "$repo/build/windows/tests/ofx/loader/huesieve_ofx_loader.exe" Huesieve.ofx.bundle) |
  tr -d '\r' >"$work/windows-ofx.txt"
same "OpenFX bundle under Wine" build/debug/tests/ofx/loader/huesieve-ofx-loader-output.txt \
  "$work/windows-ofx.txt"
(cd "$windows" && "$repo/scripts/wine-run.sh" \
  "$repo/build/windows/tests/loader/huesieve_loader.exe" '.\Huesieve.aex') | tr -d '\r' \
  >"$work/windows-aex.txt"
same "Huesieve.aex under Wine" build/windows/tests/loader/loader-output.txt "$work/windows-aex.txt"
echo "Both packages load and render as built"
