// PNG files in and out of host frames, a row at a time: decoded straight into
// the frame's rows, encoded straight from them through one row of samples.
#pragma once

#include <cstdint>
#include <string>

#include "tools/huesieve-render/host_frame.h"
#include "png/png_reader.h"

namespace huesieve::cli {

// Decodes the image `reader` holds into `frame`, 8-bit or 16-bit as the file
// is, taking the frame's memory as rows are decoded. Throws png::PngError for
// a damaged file or one of more than `max_pixels` pixels (refused before any
// pixel memory is taken), std::bad_alloc when memory runs out.
void DecodeFrame(png::Reader& reader, std::uint64_t max_pixels, HostFrame& frame);

// Reads the PNG file at `path` into `frame`. Errors name the file.
void ReadPngFrame(const std::string& path, std::uint64_t max_pixels, HostFrame& frame);

// Writes `frame` as an RGBA PNG of its depth, whole or not at all. Errors name
// the file.
void WritePngFrame(const std::string& path, HostFrame& frame);

}  // namespace huesieve::cli
