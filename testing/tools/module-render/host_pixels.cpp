#include "testing/tools/module-render/host_pixels.h"

#include <bit>
#include <cstring>

#include "host/pf_types.h"
#include "testing/tools/module-render/host_scale.h"

namespace huesieve::module_render {
namespace {

// Whole pixels are rotated as one integer, which compilers turn into vector
// code: with little-endian samples and host pixels, RGBA read as an integer
// becomes ARGB by a rotation of one channel.
static_assert(std::endian::native == std::endian::little,
              "the conversions rotate little-endian pixels");
static_assert(sizeof(PF_Pixel) == 4 && sizeof(PF_Pixel16) == 8);

template <typename Word>
Word Load(const void* at) {
  Word word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

template <typename Word>
void Store(void* at, Word word) {
  std::memcpy(at, &word, sizeof word);
}

}  // namespace

void RgbaToHost(std::byte* row, std::size_t pixels, bool deep) {
  if (!deep) {
    for (std::size_t i = 0; i < pixels; ++i) {
      std::byte* at = row + i * 4;
      Store(at, std::rotl(Load<std::uint32_t>(at), 8));
    }
    return;
  }
  for (std::size_t i = 0; i < pixels * 4; ++i) {
    std::byte* at = row + i * 2;
    Store(at, ToHost16(Load<std::uint16_t>(at)));
  }
  for (std::size_t i = 0; i < pixels; ++i) {
    std::byte* at = row + i * 8;
    Store(at, std::rotl(Load<std::uint64_t>(at), 16));
  }
}

void HostToRgba(const std::byte* host_row, std::uint8_t* rgba, std::size_t pixels, bool deep) {
  if (!deep) {
    for (std::size_t i = 0; i < pixels; ++i) {
      Store(rgba + i * 4, std::rotr(Load<std::uint32_t>(host_row + i * 4), 8));
    }
    return;
  }
  for (std::size_t i = 0; i < pixels; ++i) {
    Store(rgba + i * 8, std::rotr(Load<std::uint64_t>(host_row + i * 8), 16));
  }
  for (std::size_t i = 0; i < pixels * 4; ++i) {
    std::uint8_t* at = rgba + i * 2;
    Store(at, FromHost16(Load<std::uint16_t>(at)));
  }
}

}  // namespace huesieve::module_render
