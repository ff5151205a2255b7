// The colour rule applied to one pixel as it is written: the entries tried in
// order with the core's own scalar distance and ramp, square root and all.
// The core's passes never run it (they decide through per-frame thresholds);
// it stands between them and the plain reference, so that a difference can be
// told apart as the core's arithmetic or its preparation.
#pragma once

#include <cstdint>

#include "core/colour_entry_table.h"
#include "core/colour_rule.h"
#include "core/pixel_formats.h"

namespace huesieve {

// Tries the entries in order; the first whose distance lies below its Range
// claims the pixel, even when a later one lies closer. A disabled entry that
// claims clears the pixel; an enabled one keeps it, replacing its alpha with
// the ramp in the outer Softness percent of the range. A pixel nobody claims
// is cleared. Returns whether the pixel was claimed.
template <typename Format>
bool MatchPixel(typename Format::Pixel& pixel, const ColourEntryTable& table) {
  const Rgb8 colour = ColourOf<Format>(pixel);
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
        pixel[Format::kAlpha] = AlphaFromRamp<Format>(SoftnessRamp(
            static_cast<float>(distance), range, softness, static_cast<float>(Format::kRampMax)));
      }
    }
    return true;
  }
  pixel = kTransparentBlack<Format>;
  return false;
}

}  // namespace huesieve
