#!/usr/bin/env bash
# Makes the packages a user downloads, from the builds scripts/demo.sh leaves:
#   build/packages/Huesieve-<version>-windows-x64.zip
#     Huesieve.aex, Huesieve.ofx.bundle (Win64), INSTALL.txt, LICENSE.txt, SHA256SUMS
#   build/packages/Huesieve-<version>-linux-x86_64.tar.gz
#     Huesieve.ofx.bundle (Linux-x86-64), huesieve-render, INSTALL.txt,
#     LICENSE.txt, SHA256SUMS
# The version is the effect's own, from src/effect/identity.h.
# Usage: scripts/package.sh   (after scripts/demo.sh)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh zip
identity=src/effect/identity.h
part() { sed -n "s/.*k$1Version = \([0-9]*\);.*/\1/p" "$identity"; }
version="$(part Major).$(part Minor).$(part BugFix)"

release=build/release
windows=build/windows
for file in "$release/huesieve-render" \
  "$release/Huesieve.ofx.bundle/Contents/Linux-x86-64/Huesieve.ofx" \
  "$windows/Huesieve.aex" "$windows/Huesieve.ofx.bundle/Contents/Win64/Huesieve.ofx"; do
  [[ -f $file ]] || { echo "package.sh: $file is missing; run scripts/demo.sh first" >&2; exit 1; }
done

out=build/packages
rm -rf "$out"
mkdir -p "$out"

# Fills a package folder's notes and checksums; $1 the folder.
finish() {
  for note in INSTALL.txt LICENSE.txt; do
    sed "s/@VERSION@/$version/" "packaging/$note" >"$1/$note"
  done
  (cd "$1" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
    xargs -d '\n' sha256sum >SHA256SUMS)
}

# One bundle per system, with only that system's binary.
bundle() {
  mkdir -p "$1/Huesieve.ofx.bundle/Contents/$2"
  cp "$3/Huesieve.ofx.bundle/Contents/Info.plist" "$1/Huesieve.ofx.bundle/Contents/"
  cp "$3/Huesieve.ofx.bundle/Contents/$2/Huesieve.ofx" "$1/Huesieve.ofx.bundle/Contents/$2/"
}

name="Huesieve-$version-windows-x64"
stage="$out/$name"
mkdir -p "$stage"
cp "$windows/Huesieve.aex" "$stage/"
bundle "$stage" Win64 "$windows"
finish "$stage"
(cd "$out" && zip -qrX "$name.zip" "$name")

name="Huesieve-$version-linux-x86_64"
stage="$out/$name"
mkdir -p "$stage"
cp "$release/huesieve-render" "$stage/"
bundle "$stage" Linux-x86-64 "$release"
finish "$stage"
tar -C "$out" --owner=0 --group=0 --sort=name -czf "$out/$name.tar.gz" "$name"

rm -rf "$out/Huesieve-$version-windows-x64" "$out/Huesieve-$version-linux-x86_64"
echo "Packages for Huesieve $version:"
for package in "$out"/*; do echo "  $package ($(du -h "$package" | cut -f1))"; done
