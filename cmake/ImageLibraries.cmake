# The format libraries the image files are read and written with, one
# interface target each: huesieve_libpng, huesieve_libtiff, huesieve_libjpeg,
# huesieve_openexr.
#
# By default they are Debian's shared libraries. With HUESIEVE_STATIC_TOOL
# (the release preset) they are static archives, so that huesieve-render links
# into one self-contained executable that runs on any x86-64 Linux: Debian's
# own archives, and from scripts/build-third-party.sh's prefix Imath and
# OpenEXR, which Debian ships only shared, and libtiff without JBIG.
option(HUESIEVE_STATIC_TOOL "Link huesieve-render fully static, format libraries included" OFF)

if(NOT HUESIEVE_STATIC_TOOL)
  find_package(PNG REQUIRED)
  find_package(TIFF REQUIRED)
  find_package(JPEG REQUIRED)
  find_package(OpenEXR 3 REQUIRED CONFIG)

  add_library(huesieve_libpng INTERFACE)
  target_link_libraries(huesieve_libpng INTERFACE PNG::PNG)
  add_library(huesieve_libtiff INTERFACE)
  target_link_libraries(huesieve_libtiff INTERFACE TIFF::TIFF)
  add_library(huesieve_libjpeg INTERFACE)
  target_link_libraries(huesieve_libjpeg INTERFACE JPEG::JPEG)
  add_library(huesieve_openexr INTERFACE)
  target_link_libraries(huesieve_openexr INTERFACE OpenEXR::OpenEXR)
  return()
endif()

set(HUESIEVE_THIRD_PARTY_PREFIX "${PROJECT_SOURCE_DIR}/build/third-party/prefix" CACHE PATH
  "Where scripts/build-third-party.sh installed the static Imath, OpenEXR and libtiff")
if(NOT EXISTS "${HUESIEVE_THIRD_PARTY_PREFIX}/stamps/tiff")
  message(FATAL_ERROR "HUESIEVE_STATIC_TOOL needs the static libraries in "
    "${HUESIEVE_THIRD_PARTY_PREFIX}: run scripts/build-third-party.sh first")
endif()

find_package(Threads REQUIRED)
# The OpenEXR package asks for zlib; the static one, so that its archive's
# needs are met by an archive too.
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
find_package(Imath 3 REQUIRED CONFIG PATHS "${HUESIEVE_THIRD_PARTY_PREFIX}" NO_DEFAULT_PATH)
find_package(OpenEXR 3 REQUIRED CONFIG PATHS "${HUESIEVE_THIRD_PARTY_PREFIX}" NO_DEFAULT_PATH)

# One imported target per static archive; $2 the archive's name, the rest
# what it needs in turn.
function(huesieve_static_archive target archive)
  find_library(huesieve_archive_${target} NAMES ${archive} REQUIRED NO_CACHE
    HINTS "${HUESIEVE_THIRD_PARTY_PREFIX}/lib")
  add_library(${target} STATIC IMPORTED)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION "${huesieve_archive_${target}}")
  if(ARGN)
    set_target_properties(${target} PROPERTIES INTERFACE_LINK_LIBRARIES "${ARGN}")
  endif()
endfunction()

# libtiff is the third-party prefix's, built as Debian builds it less the
# JBIG codec (GPL), with Debian's archives of the codecs it keeps.
huesieve_static_archive(huesieve_static_jpeg libjpeg.a)
huesieve_static_archive(huesieve_static_zstd libzstd.a Threads::Threads)
huesieve_static_archive(huesieve_static_lzma liblzma.a Threads::Threads)
huesieve_static_archive(huesieve_static_deflate libdeflate.a)
huesieve_static_archive(huesieve_static_lerc libLerc.a)
huesieve_static_archive(huesieve_static_webp libwebp.a m Threads::Threads)
huesieve_static_archive(huesieve_static_png libpng16.a ZLIB::ZLIB m)
huesieve_static_archive(huesieve_static_tiff libtiff.a
  huesieve_static_webp huesieve_static_lerc huesieve_static_zstd huesieve_static_lzma
  huesieve_static_jpeg huesieve_static_deflate ZLIB::ZLIB m)
# The prefix's tiffconf.h, which says which codecs that libtiff.a has.
set_target_properties(huesieve_static_tiff PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES "${HUESIEVE_THIRD_PARTY_PREFIX}/include")

add_library(huesieve_libpng INTERFACE)
target_link_libraries(huesieve_libpng INTERFACE huesieve_static_png)
add_library(huesieve_libtiff INTERFACE)
target_link_libraries(huesieve_libtiff INTERFACE huesieve_static_tiff)
add_library(huesieve_libjpeg INTERFACE)
target_link_libraries(huesieve_libjpeg INTERFACE huesieve_static_jpeg)
add_library(huesieve_openexr INTERFACE)
target_link_libraries(huesieve_openexr INTERFACE OpenEXR::OpenEXR)
