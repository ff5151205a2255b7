#!/usr/bin/env bash
# Makes the packages a user downloads, from the builds scripts/demo.sh leaves,
# every binary in them stripped of its symbol table:
#   build/packages/Huesieve-<version>-windows-x64.zip
#     Huesieve.aex, Huesieve.ofx.bundle (Win64), INSTALL.txt, LICENSE.txt, SHA256SUMS
#   build/packages/Huesieve-<version>-linux-x86_64.tar.gz
#     Huesieve.ofx.bundle (Linux-x86-64), huesieve-render (the release build's,
#     self-contained: linked static, it runs on any x86-64 Linux), INSTALL.txt,
#     LICENSE.txt, THIRD-PARTY-LICENSES.txt, SHA256SUMS
#   build/packages/huesieve_<version>_amd64.deb
#     /usr/bin/huesieve-render with its man page (built here by the deb
#     preset, on Debian's shared libraries, as Debian policy asks of a
#     package: a library's security update then reaches it), the OpenFX bundle in
#     /usr/OFX/Plugins/, and /usr/share/doc/huesieve/ (README.Debian,
#     copyright, changelog); its dependencies computed by dpkg-shlibdeps, and
#     checked by lintian, which must report no error (the overrides it ships
#     say why each is right).
# The version is the effect's own, from src/effect/identity.h.
# Usage: scripts/package.sh   (after scripts/demo.sh)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh zip binutils binutils-mingw-w64-x86-64 dpkg-dev help2man lintian
cmake --preset deb >/dev/null
cmake --build --preset deb
identity=src/effect/identity.h
part() { sed -n "s/.*k$1Version = \([0-9]*\);.*/\1/p" "$identity"; }
version="$(part Major).$(part Minor).$(part BugFix)"
changelog_version=$(sed -n '1s/^huesieve (\([^)]*\)).*/\1/p' packaging/debian/changelog)
if [[ $changelog_version != "$version" ]]; then
  echo "package.sh: packaging/debian/changelog starts at $changelog_version, not $version" >&2
  exit 1
fi

release=build/release
windows=build/windows
for file in "$release/huesieve-render" build/deb/huesieve-render \
  "$release/Huesieve.ofx.bundle/Contents/Linux-x86-64/Huesieve.ofx" \
  "$windows/Huesieve.aex" "$windows/Huesieve.ofx.bundle/Contents/Win64/Huesieve.ofx"; do
  [[ -f $file ]] || { echo "package.sh: $file is missing; run scripts/demo.sh first" >&2; exit 1; }
done

out=build/packages
rm -rf "$out"
mkdir -p "$out"

# Copies binary $1 to $2 without its symbol table and debugging sections, as
# Debian's dh_strip does; $3 the strip program for its system. What the
# binaries export lives apart (ELF's dynamic symbols, a DLL's export table),
# so nothing of the symbol table is needed: --strip-unneeded would keep a
# DLL's import symbols in it.
strip_to() {
  "$3" --strip-all --remove-section=.comment --remove-section=.note -o "$2" "$1"
}

# Fills a package folder's notes and checksums; $1 the folder, $2 its install note.
finish() {
  sed "s/@VERSION@/$version/g" "packaging/$2" >"$1/INSTALL.txt"
  sed "s/@VERSION@/$version/g" packaging/LICENSE.txt >"$1/LICENSE.txt"
  (cd "$1" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
    xargs -d '\n' sha256sum >SHA256SUMS)
}

# One bundle per system, with only that system's binary: $1 the folder it
# goes in, $2 the system's folder, $3 the build, $4 the strip program.
bundle() {
  mkdir -p "$1/Huesieve.ofx.bundle/Contents/$2"
  cp "$3/Huesieve.ofx.bundle/Contents/Info.plist" "$1/Huesieve.ofx.bundle/Contents/"
  strip_to "$3/Huesieve.ofx.bundle/Contents/$2/Huesieve.ofx" \
    "$1/Huesieve.ofx.bundle/Contents/$2/Huesieve.ofx" "$4"
}

name="Huesieve-$version-windows-x64"
stage="$out/$name"
mkdir -p "$stage"
strip_to "$windows/Huesieve.aex" "$stage/Huesieve.aex" x86_64-w64-mingw32-strip
bundle "$stage" Win64 "$windows" x86_64-w64-mingw32-strip
finish "$stage" INSTALL-windows.txt
(cd "$out" && zip -qrX "$name.zip" "$name")

name="Huesieve-$version-linux-x86_64"
stage="$out/$name"
mkdir -p "$stage"
strip_to "$release/huesieve-render" "$stage/huesieve-render" strip
bundle "$stage" Linux-x86-64 "$release" strip
# The notices and licence texts of the libraries linked into the tool, as
# Debian's packages of them state them (LICENSE.txt lists them).
for package in libpng16-16 libtiff6 libjpeg62-turbo zlib1g libzstd1 liblzma5 libdeflate0 \
  liblerc4 libwebp7 libopenexr-3-1-30 libimath-3-1-29 libcli11-dev nlohmann-json3-dev \
  libstdc++6 libc6; do
  printf '%s\n\n' "==== $package: /usr/share/doc/$package/copyright ===="
  cat "/usr/share/doc/$package/copyright"
  echo
done >"$stage/THIRD-PARTY-LICENSES.txt"
finish "$stage" INSTALL-linux.txt
tar -C "$out" --owner=0 --group=0 --sort=name -czf "$out/$name.tar.gz" "$name"

# The Debian package: the tarball's stripped OpenFX bundle, and the tool
# linked with Debian's shared libraries.
linux="$stage"
name="huesieve_${version}_amd64"
deb="$out/$name"
docs="$deb/usr/share/doc/huesieve"
umask 022
mkdir -p "$deb/DEBIAN" "$deb/usr/bin" "$deb/usr/share/man/man1" "$deb/usr/OFX/Plugins" "$docs"
strip_to build/deb/huesieve-render "$deb/usr/bin/huesieve-render" strip
cp -r "$linux/Huesieve.ofx.bundle" "$deb/usr/OFX/Plugins/"
# The man page is the tool's own --help, so that it says what the tool does.
# Its usage lines ("or:") become the synopsis, one a line; its examples are
# set unfilled, each line as the tool prints it, so that they copy whole.
help2man --no-info --version-option=--version --help-option=--help \
  --name="apply the Huesieve colour isolation to images, sequences and raw video" \
  --source="Quorvel VFX" --section=1 "$deb/usr/bin/huesieve-render" |
  sed '/^Examples:/,/^\.PP$/{s/^\.IP$/.fi\n.IP\n.nf/;s/^\.PP$/.fi\n.PP/}' |
  gzip -9n >"$deb/usr/share/man/man1/huesieve-render.1.gz"
sed "s/@VERSION@/$version/g" packaging/debian/README.Debian >"$docs/README.Debian"
cp packaging/debian/copyright "$docs/"
mkdir -p "$deb/usr/share/lintian/overrides"
cp packaging/debian/lintian-overrides "$deb/usr/share/lintian/overrides/huesieve"
# A native package's changelog, as Debian policy names it.
gzip -9n <packaging/debian/changelog >"$docs/changelog.gz"
find "$deb" -type d -exec chmod 0755 {} +
find "$deb" -type f -exec chmod 0644 {} +
chmod 0755 "$deb/usr/bin/huesieve-render" "$deb/usr/OFX/Plugins/Huesieve.ofx.bundle/Contents/Linux-x86-64/Huesieve.ofx"

# dpkg-shlibdeps reads a source package's control file; it is given a minimal one.
shlibs=$(mktemp -d)
mkdir "$shlibs/debian"
printf 'Source: huesieve\n\nPackage: huesieve\nArchitecture: amd64\n' >"$shlibs/debian/control"
binaries=("$PWD/$deb/usr/bin/huesieve-render"
  "$PWD/$deb/usr/OFX/Plugins/Huesieve.ofx.bundle/Contents/Linux-x86-64/Huesieve.ofx")
depends=$(cd "$shlibs" && dpkg-shlibdeps -O "${binaries[@]}" | sed -n 's/^shlibs:Depends=//p')
rm -rf "$shlibs"
[[ -n $depends ]] || { echo "package.sh: dpkg-shlibdeps found no dependencies" >&2; exit 1; }
installed_size=$(du -sk --exclude=DEBIAN "$deb" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@DEPENDS@/$depends/" \
  -e "s/@INSTALLED_SIZE@/$installed_size/" packaging/debian/control >"$deb/DEBIAN/control"
(cd "$deb" && find usr -type f | LC_ALL=C sort | xargs -d '\n' md5sum >DEBIAN/md5sums)
chmod 0644 "$deb/DEBIAN/control" "$deb/DEBIAN/md5sums"
dpkg-deb --root-owner-group -Zxz --build "$deb" "$out/$name.deb" >/dev/null
echo "lintian on $name.deb:"
lintian --fail-on error "$out/$name.deb"

rm -rf "$out/Huesieve-$version-windows-x64" "$out/Huesieve-$version-linux-x86_64" "$deb"
echo "Packages for Huesieve $version:"
for package in "$out"/*; do echo "  $package ($(du -h "$package" | cut -f1))"; done
