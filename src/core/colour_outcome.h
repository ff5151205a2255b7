// What the effect does to a pixel, one word per colour: its outcome. The
// rule's outcome depends only on a pixel's red, green and blue (on the 8-bit
// scale), so an outcome found for one pixel holds for every pixel of that
// colour in the frame; only the unchanged case needs the pixel's own alpha,
// which it keeps.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/pixel_formats.h"

namespace huesieve {

using ColourOutcome = std::uint64_t;

inline constexpr ColourOutcome kOutcomeClaimed = ColourOutcome{1}
                                                 << 32;                // counts towards the bounds
inline constexpr ColourOutcome kOutcomeKeep = ColourOutcome{1} << 33;  // the pixel stays as it is
inline constexpr ColourOutcome kOutcomeRamp = ColourOutcome{1} << 34;  // alpha becomes the low bits
inline constexpr ColourOutcome kOutcomeAlphaMask = 0xFFFFFFFFu;        // an alpha sample's bits
// Neither keep nor ramp: the pixel becomes transparent black.

// An alpha sample as the low bits of an outcome (a float by its bits), and back.
template <typename Format>
constexpr ColourOutcome OutcomeAlpha(typename Format::Sample alpha) {
  if constexpr (std::is_floating_point_v<typename Format::Sample>) {
    return ColourOutcome{std::bit_cast<std::uint32_t>(alpha)};
  } else {
    return ColourOutcome{alpha};
  }
}

template <typename Format>
constexpr typename Format::Sample AlphaOfOutcome(ColourOutcome outcome) {
  const auto bits = static_cast<std::uint32_t>(outcome & kOutcomeAlphaMask);
  if constexpr (std::is_floating_point_v<typename Format::Sample>) {
    return std::bit_cast<typename Format::Sample>(bits);
  } else {
    return static_cast<typename Format::Sample>(bits);
  }
}

template <typename Format>
void ApplyOutcome(std::byte* pixel, ColourOutcome outcome) {
  using Sample = typename Format::Sample;
  if ((outcome & kOutcomeKeep) != 0) return;
  if ((outcome & kOutcomeRamp) != 0) {
    const Sample alpha = AlphaOfOutcome<Format>(outcome);
    std::memcpy(pixel + Format::kAlpha * sizeof(Sample), &alpha, sizeof alpha);
    return;
  }
  std::memcpy(pixel, &kTransparentBlack<Format>, sizeof(typename Format::Pixel));
}

}  // namespace huesieve
