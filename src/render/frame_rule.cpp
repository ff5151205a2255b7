#include "render/frame_rule.h"

#include <cmath>

#include "render/colour_rule.h"

namespace huesieve {

// The entries of a test cell in order; the first whose threshold the colour's
// sum lies below claims it, as in MatchPixel. The ramp itself is the rule's.
template <typename Pixel>
ColourFate FrameRule<Pixel>::TestEntries(std::uint16_t word, std::int32_t red, std::int32_t green,
                                         std::int32_t blue) const {
  using Traits = PixelTraits<Pixel>;
  unsigned candidates = word & CellTable::kEntryMask;
  while (candidates != 0) {
    const auto k = static_cast<std::size_t>(__builtin_ctz(candidates));
    candidates &= candidates - 1;
    const std::int32_t s = RedmeanSquare(red, green, blue, thresholds_.red[k], thresholds_.green[k],
                                         thresholds_.blue[k]);
    const auto sum = static_cast<std::uint32_t>(s);
    if (sum >= thresholds_.claim_below[k]) continue;
    if (thresholds_.enabled[k] == 0) return kFateClaimed;
    if (sum < thresholds_.ramp_from[k]) return kFateClaimed | kFateKeep;
    const double distance = std::sqrt(static_cast<double>(s));
    const auto alpha =
        RampToAlpha<Pixel>(RampInBand(static_cast<float>(distance), thresholds_.range[k],
                                      thresholds_.band[k], static_cast<float>(Traits::kRampMax)));
    return kFateClaimed | kFateRamp | ColourFate{alpha};
  }
  return 0;
}

template class FrameRule<PF_Pixel>;
template class FrameRule<PF_Pixel16>;

}  // namespace huesieve
