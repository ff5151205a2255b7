#include "core/frame_rule.h"

#include <cmath>

#include "core/colour_rule.h"
#include "core/pixel_format_list.h"

namespace huesieve {

// The entries of a test cell in order; the first whose threshold the colour's
// sum lies below claims it, as the rule tries them.
template <typename Format>
typename FrameRule<Format>::EntrySum FrameRule<Format>::FirstClaim(std::uint16_t word,
                                                                  std::int32_t red,
                                                                  std::int32_t green,
                                                                  std::int32_t blue) const {
  unsigned candidates = word & CellTable::kEntryMask;
  while (candidates != 0) {
    const int k = __builtin_ctz(candidates);
    candidates &= candidates - 1;
    const auto entry = static_cast<std::size_t>(k);
    const auto sum = static_cast<std::uint32_t>(RedmeanSquare(
        red, green, blue, thresholds_.red[entry], thresholds_.green[entry], thresholds_.blue[entry]));
    if (sum < thresholds_.claim_below[entry]) return {k, sum};
  }
  return {-1, 0};
}

// The ramp itself is the rule's.
template <typename Format>
ColourFate FrameRule<Format>::TestEntries(std::uint16_t word, std::int32_t red, std::int32_t green,
                                          std::int32_t blue) const {
  const EntrySum first = FirstClaim(word, red, green, blue);
  if (first.entry < 0) return 0;
  const auto k = static_cast<std::size_t>(first.entry);
  if (thresholds_.enabled[k] == 0) return kFateClaimed;
  if (first.sum < thresholds_.ramp_from[k]) return kFateClaimed | kFateKeep;
  const double distance = std::sqrt(static_cast<double>(first.sum));
  const auto alpha = AlphaFromRamp<Format>(RampInBand(static_cast<float>(distance),
                                                      thresholds_.range[k], thresholds_.band[k],
                                                      static_cast<float>(Format::kRampMax)));
  return kFateClaimed | kFateRamp | FateAlpha<Format>(alpha);
}

#define HUESIEVE_INSTANTIATE(Format) template class FrameRule<Format>;
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve
