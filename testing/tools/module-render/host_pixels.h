// The tool's RGBA frames (8-bit, or 16-bit over the whole scale) to and from
// the After Effects module's pixels (alpha first; 16-bit channels on the
// host's 0 to 32768 scale), for rendering through a built module.
#pragma once

#include <cstddef>
#include <cstdint>

namespace huesieve::module_render {

// Rewrites `pixels` RGBA pixels at `row` as host pixels, in place: both take
// 4 bytes a pixel at 8 bits and 8 bytes at 16.
void RgbaToHost(std::byte* row, std::size_t pixels, bool deep);

// Writes `pixels` host pixels from `host_row` as RGBA samples into `rgba`.
void HostToRgba(const std::byte* host_row, std::uint8_t* rgba, std::size_t pixels, bool deep);

}  // namespace huesieve::module_render
