// JPEG through libjpeg-turbo, read only (JPEG holds no alpha): 8-bit grey
// or colour (YCbCr or RGB), read row by row into the frame as opaque RGBA.
// CMYK and 12-bit files are refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "image/frame_buffer.h"
#include "image/image_header.h"

namespace huesieve::image::jpeg {

bool Sniff(const unsigned char* first_bytes, std::size_t count);

ImageHeader Read(std::FILE* file, std::uint64_t file_size, const ReadOptions& options,
                 FrameBuffer& frame);

}  // namespace huesieve::image::jpeg
