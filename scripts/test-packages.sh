#!/usr/bin/env bash
# Unpacks each package scripts/package.sh made into an empty folder, checks
# its checksums, and loads what is inside as a user would have it:
#   Linux:   the OpenFX bundle through the simulated OpenFX host (the loader),
#            huesieve-render on the bundled sample;
#   Debian:  installed with apt-get (which brings its dependencies), the same
#            two from where it installs them, then removed, leaving nothing;
#   Windows: the OpenFX bundle and Huesieve.aex through the Windows loaders
#            under Wine.
# Every output must equal what the builds themselves give (a Windows program
# writing to a file through Wine ends its lines with a carriage return too),
# and no shipped binary keeps a symbol table.
# Usage: scripts/test-packages.sh   (after scripts/test-windows.sh, scripts/demo.sh
#                                    and scripts/package.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

scripts/setup.sh unzip wine64 wine binutils binutils-mingw-w64-x86-64
identity=src/effect/identity.h
part() { sed -n "s/.*k$1Version = \([0-9]*\);.*/\1/p" "$identity"; }
version="$(part Major).$(part Minor).$(part BugFix)"

work=$(mktemp -d "${TMPDIR:-/tmp}/huesieve-packages.XXXXXX")
export WINEPREFIX="$work/wine"
deb="$repo/build/packages/huesieve_${version}_amd64.deb"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo=sudo
installed() { dpkg-query -W -f='${Status}' huesieve 2>/dev/null | grep -q "install ok installed"; }
if installed; then
  echo "test-packages.sh: huesieve is already installed on this machine; remove it first" >&2
  exit 1
fi
cleanup() {
  scripts/wine-run.sh --stop
  if installed; then $sudo apt-get remove --purge -y -q huesieve >/dev/null; fi
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

# $1 a binary, $2 its nm, which finds no symbols in a stripped one.
stripped() {
  if [[ $("$2" "$1" 2>&1) != *": no symbols" ]]; then
    echo "test-packages.sh: $1 keeps its symbol table" >&2
    exit 1
  fi
}
stripped "$linux/huesieve-render" nm
stripped "$linux/Huesieve.ofx.bundle/Contents/Linux-x86-64/Huesieve.ofx" nm
echo "  binaries: stripped"

echo "Debian package"
# What the package holds that the machine did not have before must go with it.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^/\?$' |
  while read -r path; do [[ -e $path ]] || echo "$path"; done >"$work/deb-new.txt"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >"$work/apt.log" ||
  { cat "$work/apt.log" >&2; exit 1; }
echo "  installed with its dependencies: $(dpkg-query -W -f='${Depends}' huesieve)"
[[ $(command -v huesieve-render) == /usr/bin/huesieve-render ]]
(cd "$work" && /usr/bin/huesieve-render --enable --entry 1:DB2924:110:60 --entry 2:29B33D:100:50 \
  "$repo/samples/huesieve-sample.png" deb-reds-and-greens.png)
same "installed huesieve-render on the sample" build/demo/reds-and-greens.png \
  "$work/deb-reds-and-greens.png"
(cd /usr/OFX/Plugins && "$repo/build/debug/tests/ofx/loader/huesieve_ofx_loader" \
  Huesieve.ofx.bundle) >"$work/deb-ofx.txt"
same "installed OpenFX bundle" build/debug/tests/ofx/loader/huesieve-ofx-loader-output.txt \
  "$work/deb-ofx.txt"
man_page=$(zcat /usr/share/man/man1/huesieve-render.1.gz)
[[ $man_page == *'[\fI\,--settings FILE\/\fR]'* ]] ||
  { echo "test-packages.sh: the man page lacks the tool's usage" >&2; exit 1; }
# Each example's lines stay as the tool prints them (unfilled).
[[ $man_page == *$'.nf\nffmpeg \\fB\\-i\\fR in.mov'* ]] ||
  { echo "test-packages.sh: the man page fills the examples together" >&2; exit 1; }
echo "  man page: the tool's usage, its examples a command a line"
stripped /usr/bin/huesieve-render nm
stripped /usr/OFX/Plugins/Huesieve.ofx.bundle/Contents/Linux-x86-64/Huesieve.ofx nm
echo "  binaries: stripped"
$sudo apt-get remove --purge -y -q huesieve >/dev/null
left=$(while read -r path; do [[ ! -e $path ]] || echo "$path"; done <"$work/deb-new.txt")
if installed || [[ -n $left ]]; then
  echo "test-packages.sh: removing huesieve left: ${left:-the package installed}" >&2
  exit 1
fi
echo "  removed: nothing left of its $(wc -l <"$work/deb-new.txt") new files and folders"

echo "Windows package"
mkdir "$work/windows"
unzip -q "build/packages/Huesieve-$version-windows-x64.zip" -d "$work/windows"
windows="$work/windows/Huesieve-$version-windows-x64"
(cd "$windows" && sha256sum --quiet -c SHA256SUMS) && echo "  checksums: good"
stripped "$windows/Huesieve.aex" x86_64-w64-mingw32-nm
stripped "$windows/Huesieve.ofx.bundle/Contents/Win64/Huesieve.ofx" x86_64-w64-mingw32-nm
echo "  binaries: stripped"
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
echo "The three packages load and render as built"
