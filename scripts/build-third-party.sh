#!/usr/bin/env bash
# Builds the libraries that huesieve-render's self-contained release build
# needs and Debian does not ship as it needs them, as static libraries, from
# Debian's source packages of the very versions the -dev packages install:
#   Imath and OpenEXR, which Debian ships only shared;
#   libtiff without its JBIG codec: JBIG-KIT is under the GPL, which a
#   proprietary executable may not link statically (Debian's libtiff.a
#   needs it).
# The static tool so reads and writes files as the shared build does.
#   build/third-party/src/      the unpacked sources (apt-get source)
#   build/third-party/prefix/   the installed libraries and CMake packages
# A library whose stamp names the same version and options is kept: a run of
# the scripts builds each once.
#
# With "wasm", the same sources for the tuner's WebAssembly image codecs
# (emscripten), into build/third-party/wasm-prefix/: zlib too (emscripten's
# own port would be downloaded from outside the archive), no threads, C++
# exceptions as WebAssembly's own (OpenEXR reports faults by throwing), and
# libtiff with only the codecs the tuner reads (none, LZW, PackBits,
# deflate).
# Usage: scripts/build-third-party.sh [wasm]
set -euo pipefail
cd "$(dirname "$0")/.."

target=${1:-native}
[[ $target == native || $target == wasm ]] ||
  { echo "usage: scripts/build-third-party.sh [wasm]" >&2; exit 2; }
scripts/setup.sh

third_party=$PWD/build/third-party
prefix=$third_party/prefix
work=$third_party  # src/ and build/
configure=(cmake)
common_options=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF)
if [[ $target == wasm ]]; then
  command -v emcmake >/dev/null || scripts/setup.sh emscripten
  # Debian's emscripten finds its JavaScript modules (acorn) only here.
  export NODE_PATH=/usr/share/nodejs
  prefix=$third_party/wasm-prefix
  work=$third_party/wasm
  configure=(emcmake cmake)
  common_options+=(-DCMAKE_C_FLAGS="-O3 -fwasm-exceptions" -DCMAKE_CXX_FLAGS="-O3 -fwasm-exceptions"
    -DCMAKE_FIND_ROOT_PATH="$prefix")
fi
common_options+=(-DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix")

sudo=""
[[ $(id -u) -eq 0 ]] || sudo=sudo
# apt-get source needs the archive's source indexes: a deb-src entry beside
# each deb entry, in the format the machine's own sources use.
add_source_indexes() {
  grep -rqs -e '^deb-src ' -e '^Types:.*deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/ &&
    return
  if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
    sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $sudo tee /etc/apt/sources.list.d/huesieve-src.sources >/dev/null
  else
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
      $sudo tee /etc/apt/sources.list.d/huesieve-src.list >/dev/null
  fi
  $sudo apt-get update -q
}

# Builds source package $1 at the version of the installed package $2, with
# the CMake options that follow, unless its stamp says it is built so.
build() {
  local version stamp wanted start=$SECONDS
  version=$(dpkg-query -W -f='${source:Version}' "$2")
  stamp=$prefix/stamps/$1
  wanted="$1 $version ${*:3}"
  if [[ -f $stamp && $(head -n 1 "$stamp") == "$wanted" ]]; then
    echo "$1: $(tail -n 1 "$stamp") in $prefix"
    return
  fi
  add_source_indexes
  rm -rf "$work/src/$1" "$work/build/$1" "$stamp"
  mkdir -p "$work/src/$1" "$prefix/stamps"
  # The installed version's source or, where the archive serves it no more (a
  # security update's may be gone from a mirror), the newest it serves.
  local source_version
  for source_version in "$version" $(apt-cache showsrc "$1" | sed -n 's/^Version: //p' |
    grep -vxF "$version" | sort -rV); do
    if (cd "$work/src/$1" && apt-get source -q "$1=$source_version" >/dev/null 2>&1); then
      break
    fi
    source_version=""
  done
  [[ -n $source_version ]] || { echo "build-third-party.sh: no source of $1 to be had" >&2; exit 1; }
  [[ $source_version == "$version" ]] ||
    echo "$1: the archive no longer serves $version's source; building $source_version"
  local source
  source=$(echo "$work/src/$1/$1"-*/)
  if [[ ${3:-} == --configure ]]; then
    # A package whose CMake build Debian's source leaves broken (zlib's names
    # Windows files the source lacks): its own configure script, in place.
    (cd "$source" && emconfigure ./configure --static --prefix="$prefix" >/dev/null &&
      emmake make -j2 install >/dev/null)
  else
    "${configure[@]}" -S "$source" -B "$work/build/$1" "${common_options[@]}" "${@:3}" >/dev/null
    cmake --build "$work/build/$1" >/dev/null
    cmake --install "$work/build/$1" >/dev/null
    rm -rf "$work/build/$1"
  fi
  printf '%s\nbuilt from %s\n' "$wanted" "$source_version" >"$stamp"
  built=$1
  echo "$1 $source_version: built in $((SECONDS - start)) s into $prefix"
}

built=""
if [[ $target == wasm ]]; then
  CFLAGS="-O3" build zlib zlib1g-dev --configure
  [[ $built != zlib ]] || rm -f "$prefix/stamps/openexr" "$prefix/stamps/tiff" "$prefix/stamps/libpng1.6"
  # The tool's PNG reader and writer: the library alone, on the zlib above.
  build libpng1.6 libpng-dev -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DPNG_TOOLS=OFF -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON -DZLIB_ROOT="$prefix"
  build imath libimath-dev -DPYTHON=OFF
  [[ $built != imath ]] || rm -f "$prefix/stamps/openexr"
  build openexr libopenexr-dev -DOPENEXR_BUILD_TOOLS=OFF -DOPENEXR_INSTALL_TOOLS=OFF \
    -DOPENEXR_INSTALL_EXAMPLES=OFF -DOPENEXR_ENABLE_THREADING=OFF -DOPENEXR_INSTALL_PKG_CONFIG=OFF
  # CMake's size check misreads a WebAssembly object; size_t is 32 bits there.
  build tiff libtiff-dev -DHAVE_SIZEOF_SIZE_T=TRUE -DSIZEOF_SIZE_T=4 -Djbig=OFF -Djpeg=OFF -Dold-jpeg=OFF -Dlibdeflate=OFF -Dzstd=OFF \
    -Dlzma=OFF -Dwebp=OFF -Dlerc=OFF -Dpixarlog=OFF -Djpeg12=OFF -Dcxx=OFF -Dtiff-tools=OFF \
    -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dtiff-opengl=OFF
  exit 0
fi
build imath libimath-dev -DPYTHON=OFF
# OpenEXR is built on Imath's headers: again after a new Imath.
[[ $built != imath ]] || rm -f "$prefix/stamps/openexr"
# OpenEXR's own search for the maths library names libm.so by its path, which
# a static link cannot take; plain "m" lets the linker pick libm.a there.
build openexr libopenexr-dev -DOPENEXR_BUILD_TOOLS=OFF -DOPENEXR_INSTALL_TOOLS=OFF \
  -DOPENEXR_INSTALL_EXAMPLES=OFF -DOPENEXR_EXTRA_MATH_LIB=m
build tiff libtiff-dev -Djbig=OFF -Dcxx=OFF -Dtiff-tools=OFF -Dtiff-tests=OFF \
  -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dtiff-opengl=OFF
