// PNG through libpng: any colour type of 1 to 16 bits, interlaced or not,
// read row by row into the frame as straight RGBA (palette and depths below 8
// as 8-bit, tRNS as alpha); written as straight RGBA of 8 or 16 bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "image/byte_sink.h"
#include "image/frame_buffer.h"
#include "image/image_header.h"

namespace huesieve::image::png {

bool Sniff(const unsigned char* first_bytes, std::size_t count);

ImageHeader Read(std::FILE* file, std::uint64_t file_size, const ReadOptions& options,
                 FrameBuffer& frame);

// `type` is kUint8 or kUint16. A premultiplied frame is written straight.
void Write(ByteSink& sink, const ImageHeader& source, OutputType type, FrameBuffer& frame);

}  // namespace huesieve::image::png
