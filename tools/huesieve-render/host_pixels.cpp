#include "host_pixels.h"

#include <cstring>

#include "host/pf_types.h"
#include "png_io.h"

namespace huesieve::cli {
namespace {

std::uint16_t LittleEndian16(const std::byte* bytes) {
  return static_cast<std::uint16_t>(std::to_integer<unsigned>(bytes[0]) |
                                    std::to_integer<unsigned>(bytes[1]) << 8);
}

void PutLittleEndian16(std::uint8_t* bytes, std::uint16_t value) {
  bytes[0] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

void RgbaToHost(std::byte* row, std::size_t pixels, bool deep) {
  if (deep) {
    for (std::size_t i = 0; i < pixels; ++i) {
      std::byte* at = row + i * sizeof(PF_Pixel16);
      const PF_Pixel16 pixel{
          png::ToHost16(LittleEndian16(at + 6)), png::ToHost16(LittleEndian16(at)),
          png::ToHost16(LittleEndian16(at + 2)), png::ToHost16(LittleEndian16(at + 4))};
      std::memcpy(at, &pixel, sizeof pixel);
    }
    return;
  }
  for (std::size_t i = 0; i < pixels; ++i) {
    std::byte* at = row + i * sizeof(PF_Pixel);
    const PF_Pixel pixel{std::to_integer<A_u_char>(at[3]), std::to_integer<A_u_char>(at[0]),
                         std::to_integer<A_u_char>(at[1]), std::to_integer<A_u_char>(at[2])};
    std::memcpy(at, &pixel, sizeof pixel);
  }
}

void HostToRgba(const std::byte* host_row, std::uint8_t* rgba, std::size_t pixels, bool deep) {
  if (deep) {
    for (std::size_t i = 0; i < pixels; ++i) {
      PF_Pixel16 pixel;
      std::memcpy(&pixel, host_row + i * sizeof pixel, sizeof pixel);
      std::uint8_t* out = rgba + i * 8;
      PutLittleEndian16(out, png::FromHost16(pixel.red));
      PutLittleEndian16(out + 2, png::FromHost16(pixel.green));
      PutLittleEndian16(out + 4, png::FromHost16(pixel.blue));
      PutLittleEndian16(out + 6, png::FromHost16(pixel.alpha));
    }
    return;
  }
  for (std::size_t i = 0; i < pixels; ++i) {
    PF_Pixel pixel;
    std::memcpy(&pixel, host_row + i * sizeof pixel, sizeof pixel);
    std::uint8_t* out = rgba + i * 4;
    out[0] = pixel.red;
    out[1] = pixel.green;
    out[2] = pixel.blue;
    out[3] = pixel.alpha;
  }
}

}  // namespace huesieve::cli
