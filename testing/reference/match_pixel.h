// The colour rule applied to one pixel as it is written: the entries tried in
// order with the core's own scalar distance and ramp, square root and all.
// The core's passes never run it (they decide through per-frame thresholds);
// it stands between them and the plain reference, so that a difference can be
// told apart as the core's arithmetic or its preparation.
#pragma once

#include <cmath>
#include <cstdint>
#include <type_traits>

#include "core/colour_entry_table.h"
#include "core/colour_rule.h"
#include "core/pixel_formats.h"
#include "core/rule_modes.h"
#include "testing/reference/plain_colour_rule.h"

namespace huesieve {

// The rule's distance and ramp as written, square root and all; the kernels
// decide through thresholds made from them.
inline double RedmeanDistance(Rgb8 pixel, Rgb8 colour) {
  return std::sqrt(static_cast<double>(SquaredRedmeanDistance(
      pixel.red, pixel.green, pixel.blue, colour.red, colour.green, colour.blue)));
}

// Alpha inside the feather band: the maximum at the band's inner edge, falling
// linearly to 0 at the range.
inline float SoftnessRamp(float distance, float range, float softness, float maximum) {
  return RampInBand(distance, range, FeatherBand(range, softness), maximum);
}

// A channel's decision value judged sRGB-encoded, by the plain reference's
// encoding.
template <typename Format>
std::uint8_t PlainSrgbDecision(typename Format::Sample channel) {
  using plain_reference::Scale;
  const Scale scale = std::is_floating_point_v<typename Format::Sample> ? Scale::kFloat
                      : Format::kRampMax == 255                          ? Scale::kByte
                      : Format::kRampMax == 32768                        ? Scale::kHost16
                                                                         : Scale::kShort;
  return static_cast<std::uint8_t>(
      plain_reference::SrgbToByte(static_cast<double>(channel), scale));
}

// Tries the entries in order; the first whose distance lies below its Range
// claims the pixel, even when a later one lies closer. A disabled entry that
// claims clears the pixel; an enabled one keeps it, replacing its alpha with
// the ramp in the outer Softness percent of the range. A pixel nobody claims
// is cleared. Returns whether the pixel was claimed. With `modes`, the colour
// is judged as they say, and a feather band that fades scales the pixel's
// alpha by the ramp (to the nearest integer sample, or the float product).
template <typename Format>
bool MatchPixel(typename Format::Pixel& pixel, const ColourEntryTable& table,
                const RuleModes& modes = {}) {
  const Rgb8 colour = modes.judge == JudgeColours::kSrgbEncoded
                          ? Rgb8{PlainSrgbDecision<Format>(pixel[Format::kRed]),
                                 PlainSrgbDecision<Format>(pixel[Format::kGreen]),
                                 PlainSrgbDecision<Format>(pixel[Format::kBlue])}
                          : ColourOf<Format>(pixel);
  for (std::int32_t k = 0; k < table.count; ++k) {
    const auto entry = static_cast<std::size_t>(k);
    const double distance = RedmeanDistance(colour, table.colours[entry]);
    const float range = table.ranges[entry];
    if (!(distance < static_cast<double>(range))) continue;

    const float softness = table.softness[entry];
    if (table.enabled[entry] == 0) {
      pixel = kTransparentBlack<Format>;
    } else if (softness > 0.0f) {
      const float ratio = static_cast<float>(distance / static_cast<double>(range) * 100.0);
      if (ratio >= 100.0f - softness) {
        const auto ramp = AlphaFromRamp<Format>(SoftnessRamp(
            static_cast<float>(distance), range, softness, static_cast<float>(Format::kRampMax)));
        auto& alpha = pixel[Format::kAlpha];
        if (modes.feathered == FeatheredAlpha::kReplaces) {
          alpha = ramp;
        } else if constexpr (std::is_floating_point_v<typename Format::Sample>) {
          alpha = alpha * ramp;
        } else {
          alpha = static_cast<typename Format::Sample>(std::floor(
              static_cast<double>(alpha) * ramp / static_cast<double>(Format::kRampMax) + 0.5));
        }
      }
    }
    return true;
  }
  pixel = kTransparentBlack<Format>;
  return false;
}

}  // namespace huesieve
