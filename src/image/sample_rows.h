// A frame's rows at the data type a file is written at, for the codecs
// whose formats hold whole 8 and 16-bit and float samples (PNG, TIFF).
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/frame_buffer.h"

namespace huesieve::image {

// Converts `width` RGBA pixels of `row`, samples of type `from`, into `out`
// as samples of type `to` (native byte order): levels rescaled over the
// whole range (255 and 65535 are full), floats clamped to 0 to 1 and rounded
// to the nearest level. With `unpremultiply`, colour is divided by alpha
// (where alpha is not 0) for a format that holds straight alpha.
void ConvertRow(const std::byte* row, SampleType from, std::uint32_t width, SampleType to,
                bool unpremultiply, std::byte* out);

}  // namespace huesieve::image
