#!/usr/bin/env bash
# Checks that the Linux tarball's huesieve-render needs nothing from the
# system it runs on: the tool alone in an empty root (nothing but it and a
# /tmp: no C library, no loader, no /proc), rendering every format it reads
# and writes under chroot. Each output must equal, byte for byte, what the
# Debian package's build of the tool (build/deb, linked with Debian's shared
# libraries) writes for the same input: the static format libraries read and
# write as Debian's do; oiiotool must read each.
# Usage: scripts/test-portable.sh   (after scripts/package.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

scripts/setup.sh file openimageio-tools
identity=src/effect/identity.h
part() { sed -n "s/.*k$1Version = \([0-9]*\);.*/\1/p" "$identity"; }
version="$(part Major).$(part Minor).$(part BugFix)"
tarball=build/packages/Huesieve-$version-linux-x86_64.tar.gz
reference=$repo/build/deb/huesieve-render
for file in "$tarball" "$reference"; do
  [[ -f $file ]] || { echo "test-portable.sh: $file is missing; run scripts/package.sh first" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/huesieve-portable.XXXXXX")
trap 'rm -rf "$work"' EXIT
root=$work/root
mkdir -p "$root/tmp" "$work/inputs"
chmod 1777 "$root/tmp"
tar -C "$root" -xzf "$tarball" --strip-components=1 "Huesieve-$version-linux-x86_64/huesieve-render"
tool=$root/huesieve-render
sudo=""
[[ $(id -u) -eq 0 ]] || sudo=sudo

description=$(file -b "$tool")
echo "huesieve-render: $description"
if [[ $description != *"statically linked"* ]]; then
  echo "test-portable.sh: the tarball's huesieve-render is not statically linked" >&2
  exit 1
fi
if [[ $description != *"for GNU/Linux 3.2.0"* ]]; then
  echo "test-portable.sh: the tarball's huesieve-render asks for a kernel newer than 3.2" >&2
  exit 1
fi

# The inputs: the sample in each format and data type, converted by the
# reference tool (switched off, a render is a copy) or, where the tool writes
# no such file (10-bit DPX, extra OpenEXR channels, JPEG), by oiiotool.
inputs=$work/inputs
cp samples/huesieve-sample.png "$inputs/png8.png"
build/release/tools/make-sample/make-sample --depth 16 "$inputs/png16.png"
convert() { "$reference" "$inputs/png8.png" "$inputs/$1" "${@:2}"; }
convert exr-half.exr --output-type half
convert tiff8.tif
convert tiff16.tif --output-type uint16
convert tiff-float.tif --output-type float
oiiotool "$inputs/exr-half.exr" --ch R,G,B,A,Z=0.25 -o "$inputs/exr-half-depth.exr"
oiiotool "$inputs/exr-half.exr" -d float --ch R,G,B,A,Z=0.25,mask=1 -o "$inputs/exr-float-extra.exr"
oiiotool "$inputs/png16.png" -d uint10 -o "$inputs/dpx10.dpx"
oiiotool "$inputs/png8.png" --ch R,G,B -o "$inputs/jpeg.jpg"

inputs_made=("$inputs"/*)
keys=(--enable --entry 1:DB2924:110:60 --entry 2:29B33D:100:50)
# Both tools are given the same relative names: a DPX header records the
# file's name. chroot starts in the root.
reference_root=$work/reference
mkdir -p "$reference_root/tmp"
failures=0
for input in "${inputs_made[@]}"; do
  name=$(basename "$input")
  output=${name%.*}-keyed.${name##*.}
  [[ $name != *.jpg ]] || output=${name%.*}-keyed.png  # JPEG is read, not written
  cp "$input" "$root/tmp/"
  cp "$input" "$reference_root/tmp/"
  if ! (cd "$reference_root" && "$reference" "${keys[@]}" "tmp/$name" "tmp/$output"); then
    echo "test-portable.sh: build/deb's tool failed on $name" >&2
    exit 1
  fi
  if ! $sudo chroot "$root" /huesieve-render "${keys[@]}" "tmp/$name" "tmp/$output"; then
    echo "  $name: FAILED under chroot" >&2
    failures=$((failures + 1))
  elif ! cmp "$reference_root/tmp/$output" "$root/tmp/$output"; then
    echo "  $name: FAILED, differs from build/deb's" >&2
    failures=$((failures + 1))
  elif ! oiiotool --info "$root/tmp/$output" >/dev/null; then
    # The same bytes from both builds may still be a file no reader takes.
    echo "  $name: FAILED, oiiotool cannot read $output" >&2
    failures=$((failures + 1))
  else
    echo "  $name: as build/deb's"
  fi
done
if ((failures)); then
  echo "test-portable.sh: $failures of ${#inputs_made[@]} renders failed in the empty root" >&2
  exit 1
fi
echo "The tarball's huesieve-render renders every format alone in an empty root"
