// Premultiplied sources. The rule decides on a pixel's colour, and in a
// premultiplied pixel of partial alpha the colour is scaled by the alpha, so
// for such a pixel the plug-in decides on the straight colour (the colour
// divided by the alpha, rounded to the nearest integer sample) and writes it
// back premultiplied as consistently:
//   - a pixel the rule clears becomes transparent black;
//   - a pixel it keeps as it is stays exactly the source pixel;
//   - a pixel whose alpha it replaces with a ramp value a' gets the straight
//     colour multiplied by a' (rounded to the nearest integer sample), unless
//     a' is its own alpha: then it too stays exactly the source pixel.
// Pixels of full or zero alpha follow the rule exactly as in a straight
// source: a full one is straight already, and a zero one has no straight
// colour (an additive pixel is judged by the colour it holds). So an opaque
// source renders the same whatever it is labelled.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/image_view.h"
#include "core/pixel_formats.h"

namespace huesieve::ofx {

template <typename Format>
bool PartialAlpha(typename Format::Sample alpha) {
  return alpha > typename Format::Sample{0} && alpha < Format::kRampMax;
}

// The straight colour of a premultiplied pixel, held within the scale.
template <typename Format>
typename Format::Pixel Straight(typename Format::Pixel pixel) {
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

// A straight pixel premultiplied by a new alpha.
template <typename Format>
typename Format::Pixel Premultiplied(typename Format::Pixel straight,
                                     typename Format::Sample alpha) {
  using Sample = typename Format::Sample;
  for (int channel : {Format::kRed, Format::kGreen, Format::kBlue}) {
    Sample& sample = straight[static_cast<std::size_t>(channel)];
    if constexpr (std::is_floating_point_v<Sample>) {
      sample = sample * alpha;
    } else {
      const std::uint64_t full = Format::kRampMax;
      sample = static_cast<Sample>((std::uint64_t{sample} * alpha + full / 2) / full);
    }
  }
  straight[Format::kAlpha] = alpha;
  return straight;
}

// Writes the straight colours of a source row into an output row.
template <typename Format>
void StraightenRow(const std::byte* source, std::byte* output, std::int64_t pixels) {
  constexpr std::int64_t kBytes = sizeof(typename Format::Pixel);
  for (std::int64_t column = 0; column < pixels; ++column) {
    StorePixel<Format>(output + column * kBytes,
                       Straight<Format>(LoadPixel<Format>(source + column * kBytes)));
  }
}

// After the selection pass over the straight colours of an output row: each
// pixel of partial alpha as the rule left it, premultiplied as the source row
// is.
template <typename Format>
void PremultiplyRow(const std::byte* source, std::byte* output, std::int64_t pixels) {
  using Pixel = typename Format::Pixel;
  constexpr std::int64_t kBytes = sizeof(Pixel);
  for (std::int64_t column = 0; column < pixels; ++column) {
    std::byte* at = output + column * kBytes;
    const Pixel given = LoadPixel<Format>(source + column * kBytes);
    if (!PartialAlpha<Format>(given[Format::kAlpha])) continue;
    const Pixel straight = Straight<Format>(given);
    const Pixel passed = LoadPixel<Format>(at);
    if (std::memcmp(&passed, &straight, sizeof passed) == 0) {
      StorePixel<Format>(at, given);  // kept as it was
    } else if (std::memcmp(&passed, &kTransparentBlack<Format>, sizeof passed) != 0) {
      StorePixel<Format>(at, Premultiplied<Format>(straight, passed[Format::kAlpha]));
    }
  }
}

}  // namespace huesieve::ofx
