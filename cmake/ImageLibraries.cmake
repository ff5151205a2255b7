# The format libraries the image files are read and written with, one
# interface target each: huesieve_libpng, huesieve_libtiff, huesieve_libjpeg,
# huesieve_openexr. They are Debian's shared libraries here.
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
