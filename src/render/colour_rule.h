// The colour match rule: which entry, if any, claims a pixel, and what becomes
// of the pixel. Each step runs in exactly the integer, single or double
// precision written here; stored projects must render the same on every
// machine, so this code is built without floating-point contraction.
#pragma once

#include <cmath>
#include <cstdint>

#include "render/colour_entry_table.h"
#include "render/pixel_traits.h"

namespace huesieve {

constexpr std::int32_t ClampToByte(double value) {
  if (!(value >= 0.0)) return 0;
  if (value > 255.0) return 255;
  return static_cast<std::int32_t>(value);
}

// Redmean-weighted distance between a pixel and an 8-bit entry colour, in
// integer form on 8-bit channel values. A 16-bit pixel is first brought to the
// 8-bit scale (nearest value, halves up), so it lies exactly as far from every
// entry as the 8-bit pixel it converts to.
inline double RedmeanDistance(float pixel_red, float pixel_green, float pixel_blue,
                              float colour_red, float colour_green, float colour_blue,
                              std::int32_t depth) {
  std::int32_t pr = static_cast<std::int32_t>(pixel_red);
  std::int32_t pg = static_cast<std::int32_t>(pixel_green);
  std::int32_t pb = static_cast<std::int32_t>(pixel_blue);
  if (depth == 16) {
    pr = ClampToByte((pr * 255 + 16384) / 32768);
    pg = ClampToByte((pg * 255 + 16384) / 32768);
    pb = ClampToByte((pb * 255 + 16384) / 32768);
  }
  const std::int32_t cr = static_cast<std::int32_t>(colour_red);
  const std::int32_t cg = static_cast<std::int32_t>(colour_green);
  const std::int32_t cb = static_cast<std::int32_t>(colour_blue);

  const std::int32_t rmean = (pr + cr) / 2;
  const std::int32_t dr = pr - cr;
  const std::int32_t dg = pg - cg;
  const std::int32_t db = pb - cb;
  const std::int32_t red_term = ((rmean + 512) * dr * dr) >> 8;
  const std::int32_t green_term = 4 * dg * dg;
  const std::int32_t blue_term = ((767 - rmean) * db * db) >> 8;
  return std::sqrt(static_cast<double>(red_term + green_term + blue_term));
}

// The width of an entry's feather band. The steps are single precision and
// deliberately roundabout: `band` is not `part`, and the difference changes
// some alphas by one, mostly at 16 bits.
inline float FeatherBand(float range, float softness) {
  float part = softness / 100.0f;
  part = part * range;
  const float inner = range - part;
  return range - inner;
}

// The ramp within a band of known width. `× 100 ÷ 100` is no identity in
// single precision: it changes some alphas by one, and rendered projects
// depend on it.
inline float RampInBand(float distance, float range, float band, float maximum) {
  float value = (range - distance) / band;
  value = value * 100.0f;
  value = value / 100.0f;
  value = value * maximum;
  return value;
}

// Alpha inside the feather band: the maximum at the band's inner edge, falling
// linearly to 0 at the range.
inline float SoftnessRamp(float distance, float range, float softness, float maximum) {
  return RampInBand(distance, range, FeatherBand(range, softness), maximum);
}

// The ramp value as a channel: truncated toward zero and kept within 0 and the
// ramp maximum. A Softness of a tiny fraction of a percent makes the band cancel
// to a sliver or to nothing, giving values past the maximum, infinity or NaN;
// written raw they would wrap, overflow the 16-bit scale or be undefined.
template <typename Pixel>
typename PixelTraits<Pixel>::Channel RampToAlpha(float value) {
  using Traits = PixelTraits<Pixel>;
  if (!(value > 0.0f)) return 0;
  if (value >= static_cast<float>(Traits::kRampMax)) return Traits::kRampMax;
  return static_cast<typename Traits::Channel>(value);
}

// Tries the entries in order; the first whose distance lies below its Range
// claims the pixel, even when a later one lies closer. A disabled entry that
// claims clears the pixel; an enabled one keeps it, replacing its alpha with
// the ramp in the outer Softness percent of the range. A pixel nobody claims
// is cleared. Returns whether the pixel was claimed.
template <typename Pixel>
bool MatchPixel(Pixel& pixel, const ColourEntryTable& table) {
  using Traits = PixelTraits<Pixel>;
  for (std::int32_t k = 0; k < table.count; ++k) {
    const auto entry = static_cast<std::size_t>(k);
    const PF_Pixel& colour = table.colours[entry];
    const double distance = RedmeanDistance(
        static_cast<float>(pixel.red), static_cast<float>(pixel.green),
        static_cast<float>(pixel.blue), static_cast<float>(colour.red),
        static_cast<float>(colour.green), static_cast<float>(colour.blue), Traits::kDepth);
    const float range = table.ranges[entry];
    if (!(distance < static_cast<double>(range))) continue;

    const float softness = table.softness[entry];
    if (table.enabled[entry] == 0) {
      pixel = Traits::kTransparentBlack;
    } else if (softness > 0.0f) {
      const float ratio = static_cast<float>(distance / static_cast<double>(range) * 100.0);
      if (ratio >= 100.0f - softness) {
        pixel.alpha = RampToAlpha<Pixel>(SoftnessRamp(static_cast<float>(distance), range, softness,
                                                      static_cast<float>(Traits::kRampMax)));
      }
    }
    return true;
  }
  pixel = Traits::kTransparentBlack;
  return false;
}

}  // namespace huesieve
