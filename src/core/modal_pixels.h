// The pixel work of the rule's modes (rule_modes.h) around the kernels: each
// pixel's decision colour made from its samples, and the pixel the rule's
// outcome leaves when a feather band fades rather than replaces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/colour_outcome.h"
#include "core/image_view.h"
#include "core/pixel_formats.h"
#include "core/premultiplied.h"
#include "core/rule_modes.h"
#include "core/srgb_decision.h"

namespace huesieve {

// A row's decision colours as 8-bit RGBA pixels of full alpha, the form the
// 8-bit kernels judge: with the alpha full, a pixel the kernel leaves all
// zero was cleared, unless its decision colour was black (a ramp to 0 leaves
// that all zero too).
template <typename Format>
void DecisionRow(const std::byte* straight, std::uint8_t* decisions, std::int64_t pixels,
                 const SrgbDecisionTables* srgb) {
  constexpr std::int64_t kBytes = sizeof(typename Format::Pixel);
  const auto write = [&](auto scale) {
    for (std::int64_t column = 0; column < pixels; ++column) {
      const typename Format::Pixel pixel = LoadPixel<Format>(straight + column * kBytes);
      std::uint8_t* out = decisions + column * 4;
      out[0] = static_cast<std::uint8_t>(scale(pixel[Format::kRed]));
      out[1] = static_cast<std::uint8_t>(scale(pixel[Format::kGreen]));
      out[2] = static_cast<std::uint8_t>(scale(pixel[Format::kBlue]));
      out[3] = 255;
    }
  };
  if (srgb == nullptr) {
    write([](typename Format::Sample sample) { return Format::ToByteScale(sample); });
  } else {
    write([srgb](typename Format::Sample sample) { return SrgbByteScale<Format>(*srgb, sample); });
  }
}

// `value` scaled by a ramp of `ramp` out of the format's maximum: the nearest
// integer sample (halves up, which only After Effects' even 32768 can
// meet), or the single-precision product for floats.
template <typename Format>
typename Format::Sample Faded(typename Format::Sample value, typename Format::Sample ramp) {
  using Sample = typename Format::Sample;
  if constexpr (std::is_floating_point_v<Sample>) {
    return value * ramp;
  } else {
    const std::uint64_t full = Format::kRampMax;
    return static_cast<Sample>((std::uint64_t{value} * ramp + full / 2) / full);
  }
}

// What the outcome leaves of `source` (as stored), whose straight form was
// judged: cleared to transparent black, kept as it is, or in a feather band
// its ramp applied as `feathered` says. Replacing writes the ramp as the
// alpha (premultiplied: the straight colour times it, unless it is the
// source's own alpha); fading scales the alpha by the ramp, and in a
// premultiplied pixel the colour too, so the pixel is its source faded.
template <typename Format>
typename Format::Pixel ModalOutcome(const typename Format::Pixel& source,
                                    const typename Format::Pixel& straight, ColourOutcome outcome,
                                    bool premultiplied, FeatheredAlpha feathered) {
  using Pixel = typename Format::Pixel;
  if ((outcome & kOutcomeKeep) != 0) return source;
  if ((outcome & kOutcomeRamp) == 0) return kTransparentBlack<Format>;
  const typename Format::Sample ramp = AlphaOfOutcome<Format>(outcome);
  Pixel result = source;
  if (feathered == FeatheredAlpha::kFades) {
    result[Format::kAlpha] = Faded<Format>(source[Format::kAlpha], ramp);
    if (premultiplied) {
      for (int channel : {Format::kRed, Format::kGreen, Format::kBlue}) {
        auto& sample = result[static_cast<std::size_t>(channel)];
        sample = Faded<Format>(sample, ramp);
      }
    }
    return result;
  }
  result[Format::kAlpha] = ramp;
  if (!premultiplied) return result;
  const typename Format::Sample own = source[Format::kAlpha];
  if (own == ramp || std::memcmp(&own, &ramp, sizeof own) == 0) return source;
  Pixel ramped = straight;
  ramped[Format::kAlpha] = ramp;
  return Premultiplied<Format>(ramped);
}

}  // namespace huesieve
