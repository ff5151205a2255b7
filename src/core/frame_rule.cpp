#include "core/frame_rule.h"

#include <cmath>

#include "core/colour_rule.h"
#include "core/pixel_format_list.h"

namespace huesieve {

// The entries of a test cell in order; the first whose threshold the colour's
// squared distance lies below claims it, as the rule tries them.
template <typename Format>
typename FrameRule<Format>::TestedClaim FrameRule<Format>::FirstClaim(std::uint16_t word,
                                                                      std::int32_t red,
                                                                      std::int32_t green,
                                                                      std::int32_t blue) const {
  unsigned candidates = word & CellTable::kEntryMask;
  while (candidates != 0) {
    const int k = __builtin_ctz(candidates);
    candidates &= candidates - 1;
    const auto entry = static_cast<std::size_t>(k);
    const auto distance_squared = static_cast<std::uint32_t>(
        SquaredRedmeanDistance(red, green, blue, thresholds_.red[entry], thresholds_.green[entry],
                               thresholds_.blue[entry]));
    if (distance_squared < thresholds_.claim_below[entry]) return {k, distance_squared};
  }
  return {-1, 0};
}

// The ramp itself is the rule's.
template <typename Format>
ColourOutcome FrameRule<Format>::TestedOutcome(std::uint16_t word, std::int32_t red,
                                               std::int32_t green, std::int32_t blue) const {
  const TestedClaim claim = FirstClaim(word, red, green, blue);
  if (claim.entry < 0) return 0;
  const auto k = static_cast<std::size_t>(claim.entry);
  if (thresholds_.enabled[k] == 0) return kOutcomeClaimed;
  if (!Feathered(claim)) return kOutcomeClaimed | kOutcomeKeep;
  const double distance = std::sqrt(static_cast<double>(claim.distance_squared));
  const auto alpha =
      AlphaFromRamp<Format>(RampInBand(static_cast<float>(distance), thresholds_.range[k],
                                       thresholds_.band[k], static_cast<float>(Format::kRampMax)));
  return kOutcomeClaimed | kOutcomeRamp | OutcomeAlpha<Format>(alpha);
}

template <typename Format>
Claim FrameRule<Format>::ClaimOf(CellCache& cache, Rgb8 colour) const {
  const std::uint16_t word = cache.Lookup(CellOf(colour));
  if ((word & CellTable::kTest) != 0) {
    const TestedClaim claim = FirstClaim(word, colour.red, colour.green, colour.blue);
    if (claim.entry < 0) return {};
    const auto k = static_cast<std::size_t>(claim.entry);
    return {claim.entry, thresholds_.enabled[k] != 0 && Feathered(claim)};
  }
  // A cell decided whole never lies in a feather band.
  if ((word & CellTable::kClaimed) == 0) return {};
  return {__builtin_ctz(word & CellTable::kEntryMask), false};
}

#define HUESIEVE_INSTANTIATE(Format) template class FrameRule<Format>;
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve
