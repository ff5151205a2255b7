// What the selection pass does to a pixel, as one word per colour. The rule's
// outcome depends only on a pixel's red, green and blue (on the 8-bit scale),
// so a fate found for one pixel holds for every pixel of that colour in the
// frame; only the unchanged case needs the pixel's own alpha, which it keeps.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/pixel_formats.h"

namespace huesieve {

using ColourFate = std::uint64_t;

inline constexpr ColourFate kFateClaimed = ColourFate{1} << 32;  // counts towards the bounds
inline constexpr ColourFate kFateKeep = ColourFate{1} << 33;     // the pixel stays as it is
inline constexpr ColourFate kFateRamp = ColourFate{1} << 34;     // alpha becomes the low bits
inline constexpr ColourFate kFateAlphaMask = 0xFFFFFFFFu;        // an alpha sample's bits
// Neither keep nor ramp: the pixel becomes transparent black.

// An alpha sample as the low bits of a fate (a float by its bits), and back.
template <typename Format>
constexpr ColourFate FateAlpha(typename Format::Sample alpha) {
  if constexpr (std::is_floating_point_v<typename Format::Sample>) {
    return ColourFate{std::bit_cast<std::uint32_t>(alpha)};
  } else {
    return ColourFate{alpha};
  }
}

template <typename Format>
constexpr typename Format::Sample AlphaOfFate(ColourFate fate) {
  const auto bits = static_cast<std::uint32_t>(fate & kFateAlphaMask);
  if constexpr (std::is_floating_point_v<typename Format::Sample>) {
    return std::bit_cast<typename Format::Sample>(bits);
  } else {
    return static_cast<typename Format::Sample>(bits);
  }
}

template <typename Format>
void ApplyFate(std::byte* pixel, ColourFate fate) {
  using Sample = typename Format::Sample;
  if ((fate & kFateKeep) != 0) return;
  if ((fate & kFateRamp) != 0) {
    const Sample alpha = AlphaOfFate<Format>(fate);
    std::memcpy(pixel + Format::kAlpha * sizeof(Sample), &alpha, sizeof alpha);
    return;
  }
  std::memcpy(pixel, &kTransparentBlack<Format>, sizeof(typename Format::Pixel));
}

}  // namespace huesieve
