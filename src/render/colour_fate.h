// What the selection pass does to a pixel, as one word per colour. The rule's
// outcome depends only on a pixel's red, green and blue (on the 8-bit scale),
// so a fate found for one pixel holds for every pixel of that colour in the
// frame; only the unchanged case needs the pixel's own alpha, which it keeps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "render/pixel_traits.h"

namespace huesieve {

using ColourFate = std::uint32_t;

inline constexpr ColourFate kFateClaimed = 1u << 16;  // counts towards the bounds
inline constexpr ColourFate kFateKeep = 1u << 17;     // the pixel stays as it is
inline constexpr ColourFate kFateRamp = 1u << 18;     // alpha becomes the low 16 bits
inline constexpr ColourFate kFateAlphaMask = 0xFFFFu;
// Neither keep nor ramp: the pixel becomes transparent black.

// A 16-bit channel on the 8-bit scale, as the redmean distance converts it.
constexpr std::int32_t ToByteScale(std::uint16_t channel) {
  const std::int32_t value = (std::int32_t{channel} * 255 + 16384) / 32768;
  return value > 255 ? 255 : value;
}

template <typename Pixel>
void ApplyFate(std::byte* slot, ColourFate fate) {
  using Traits = PixelTraits<Pixel>;
  if ((fate & kFateKeep) != 0) return;
  if ((fate & kFateRamp) != 0) {
    const auto alpha = static_cast<typename Traits::Channel>(fate & kFateAlphaMask);
    std::memcpy(slot + offsetof(Pixel, alpha), &alpha, sizeof alpha);
    return;
  }
  std::memcpy(slot, &Traits::kTransparentBlack, sizeof(Pixel));
}

}  // namespace huesieve
