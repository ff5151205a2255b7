// Any bytes given to the command-line tool's PNG reader end in a clean error
// or in a well-formed image.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "png_io.h"

namespace {

std::uint32_t BigEndian32(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
         std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
}

// The reader takes the whole image in memory, as it must for interlaced
// files, so a header may rightly ask for gigabytes. Such inputs only measure
// the machine's memory; leave them out.
bool ClaimsHugeImage(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kWidthOffset = 16;  // signature, chunk length and type
  if (size < kWidthOffset + 8) return false;
  const std::uint64_t pixels =
      std::uint64_t{BigEndian32(data + kWidthOffset)} * BigEndian32(data + kWidthOffset + 4);
  return pixels > (std::uint64_t{1} << 22);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (ClaimsHugeImage(data, size)) return -1;
  try {
    const huesieve::png::Image image = huesieve::png::DecodePng(data, size);
    const std::uint16_t max = image.bit_depth == 16 ? 65535 : 255;
    if ((image.bit_depth != 8 && image.bit_depth != 16) ||
        image.rgba.size() != std::size_t{image.width} * image.height * 4) {
      std::abort();
    }
    for (const std::uint16_t channel : image.rgba) {
      if (channel > max) std::abort();
    }
  } catch (const huesieve::png::PngError&) {
    // A clean refusal is a correct answer to bad bytes.
  }
  return 0;
}
