// Straight RGBA samples, as PNG rows and raw video carry them (8-bit, or
// 16-bit little-endian: ffmpeg's rgba and rgba64le), to and from the host's
// pixels (alpha first; 16-bit channels on the host's 0 to 32768 scale).
#pragma once

#include <cstddef>
#include <cstdint>

namespace huesieve::cli {

// Rewrites `pixels` RGBA pixels at `row` as host pixels, in place: both take
// 4 bytes a pixel at 8 bits and 8 bytes at 16.
void RgbaToHost(std::byte* row, std::size_t pixels, bool deep);

// Writes `pixels` host pixels from `host_row` as RGBA samples into `rgba`.
void HostToRgba(const std::byte* host_row, std::uint8_t* rgba, std::size_t pixels, bool deep);

}  // namespace huesieve::cli
