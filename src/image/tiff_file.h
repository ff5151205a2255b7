// TIFF through libtiff: 8 and 16-bit integer and 32-bit float samples, RGB
// or grey with or without alpha, samples contiguous or in planes, strips or
// tiles. Read into the frame as RGBA, associated unless the extra-samples
// tag says the alpha is unassociated; written as RGBA with the source's
// compression, predictor, planes and tiles, and its alpha tagged as the
// frame holds it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "image/byte_sink.h"
#include "image/frame_buffer.h"
#include "image/image_header.h"

namespace huesieve::image {

// What a TIFF file written from a TIFF file keeps of it.
struct TiffAttributes {
  std::uint16_t compression = 0;  // COMPRESSION_*; 0 for the writer's own
  bool predictor = false;         // differencing before compression
  bool planar = false;            // each sample in a plane of its own
  std::uint32_t tile_width = 0;   // 0: strips
  std::uint32_t tile_height = 0;
};

namespace tiff {

bool Sniff(const unsigned char* first_bytes, std::size_t count);

ImageHeader Read(std::FILE* file, std::uint64_t file_size, const ReadOptions& options,
                 FrameBuffer& frame);

// `type` is kUint8, kUint16 or kFloat.
void Write(ByteSink& sink, const ImageHeader& source, OutputType type, FrameBuffer& frame);

}  // namespace tiff
}  // namespace huesieve::image
