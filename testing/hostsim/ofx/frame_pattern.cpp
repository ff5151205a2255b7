#include "testing/hostsim/ofx/frame_pattern.h"

namespace hostsim::ofx {

void FillPattern(Image& image, std::uint32_t seed) {
  std::uint32_t state = seed * 2654435761u + 1u;
  const auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  const OfxRectI& b = image.layout().bounds;
  const int channels = ChannelCount(image.layout().components);
  for (int y = b.y1; y < b.y2; ++y) {
    for (int x = b.x1; x < b.x2; ++x) {
      for (int c = 0; c < channels; ++c) {
        const std::uint32_t bits = next();
        switch (image.layout().depth) {
          case PixelDepth::kByte:
            image.Set(x, y, c, static_cast<std::uint8_t>(bits));
            break;
          case PixelDepth::kShort:
          case PixelDepth::kHalf:
            image.Set(x, y, c, static_cast<std::uint16_t>(bits));
            break;
          case PixelDepth::kFloat:
            // Whole thousandths, which every platform converts alike.
            image.Set(x, y, c, static_cast<float>(bits % 1000u) / 1000.0f);
            break;
        }
      }
    }
  }
}

}  // namespace hostsim::ofx
