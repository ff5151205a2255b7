// Premultiplied pictures. The rule decides on a pixel's colour, and in a
// premultiplied pixel the colour is scaled by the alpha, so the effect
// decides on the straight colour (the colour divided by the alpha, rounded to
// the nearest integer sample and held within the scale; divided in single
// precision for floats) and writes the result premultiplied throughout:
//   - a pixel the rule clears becomes transparent black;
//   - a pixel it keeps as it is stays exactly the source pixel;
//   - a pixel given a ramp alpha a' carries its straight colour multiplied by
//     a' (rounded to the nearest integer sample; for floats the product
//     itself), whatever its source alpha, unless a' is its own alpha: then
//     it is unchanged and stays exactly the source pixel, rather than going
//     through a division and a multiplication that could move it by a step.
// Only a pixel of partial alpha has a straight colour different from the one
// it holds: a full one is straight already, and a zero one has none (an
// additive pixel is judged by the colour it holds).
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/image_view.h"
#include "core/pixel_formats.h"

namespace huesieve {

template <typename Format>
bool PartialAlpha(typename Format::Sample alpha) {
  return alpha > typename Format::Sample{0} && alpha < Format::kRampMax;
}

// The straight colour of a premultiplied pixel, held within the scale.
template <typename Format>
typename Format::Pixel Unpremultiplied(typename Format::Pixel pixel) {
  using Sample = typename Format::Sample;
  const Sample alpha = pixel[Format::kAlpha];
  if (!PartialAlpha<Format>(alpha)) return pixel;
  for (int channel : {Format::kRed, Format::kGreen, Format::kBlue}) {
    Sample& sample = pixel[static_cast<std::size_t>(channel)];
    if constexpr (std::is_floating_point_v<Sample>) {
      sample = sample / alpha;
    } else {
      const std::uint64_t full = Format::kRampMax;
      const std::uint64_t straight = (std::uint64_t{sample} * full + alpha / 2u) / alpha;
      sample = static_cast<Sample>(straight < full ? straight : full);
    }
  }
  return pixel;
}

// A straight pixel premultiplied by its alpha.
template <typename Format>
typename Format::Pixel Premultiplied(typename Format::Pixel straight) {
  using Sample = typename Format::Sample;
  const Sample alpha = straight[Format::kAlpha];
  for (int channel : {Format::kRed, Format::kGreen, Format::kBlue}) {
    Sample& sample = straight[static_cast<std::size_t>(channel)];
    if constexpr (std::is_floating_point_v<Sample>) {
      sample = sample * alpha;
    } else {
      const std::uint64_t full = Format::kRampMax;
      sample = static_cast<Sample>((std::uint64_t{sample} * alpha + full / 2) / full);
    }
  }
  return straight;
}

// Writes the straight colours of a row of premultiplied pixels into another.
template <typename Format>
void UnpremultiplyRow(const std::byte* given, std::byte* straight, std::int64_t pixels) {
  constexpr std::int64_t kBytes = sizeof(typename Format::Pixel);
  for (std::int64_t column = 0; column < pixels; ++column) {
    StorePixel<Format>(straight + column * kBytes,
                       Unpremultiplied<Format>(LoadPixel<Format>(given + column * kBytes)));
  }
}

// Whether the rule left a pixel its own alpha: the same value, or for a float
// alpha that is not a number (which only a kept pixel has), the same bits.
template <typename Format>
bool SameAlpha(const std::byte* judged, const std::byte* given) {
  using Sample = typename Format::Sample;
  constexpr std::size_t kAlphaOffset = Format::kAlpha * sizeof(Sample);
  Sample now;
  Sample before;
  std::memcpy(&now, judged + kAlphaOffset, sizeof now);
  std::memcpy(&before, given + kAlphaOffset, sizeof before);
  return now == before || std::memcmp(&now, &before, sizeof now) == 0;
}

// After the rule has judged the straight colours of `given` into `judged`:
// each pixel premultiplied as the header says.
template <typename Format>
void PremultiplyRow(const std::byte* given, std::byte* judged, std::int64_t pixels) {
  using Pixel = typename Format::Pixel;
  constexpr std::int64_t kBytes = sizeof(Pixel);
  for (std::int64_t column = 0; column < pixels; ++column) {
    std::byte* at = judged + column * kBytes;
    const std::byte* source = given + column * kBytes;
    const Pixel passed = LoadPixel<Format>(at);
    if (std::memcmp(&passed, &kTransparentBlack<Format>, sizeof passed) == 0) continue;
    if (SameAlpha<Format>(at, source)) {
      StorePixel<Format>(at, LoadPixel<Format>(source));
    } else {
      StorePixel<Format>(at, Premultiplied<Format>(passed));
    }
  }
}

}  // namespace huesieve
