#include "core/entry_thresholds.h"

#include <cmath>

#include "core/colour_rule.h"

namespace huesieve {
namespace {

// The claim test of the rule: the distance lies strictly below the range,
// compared in double precision.
bool Claims(std::uint32_t s, float range) {
  const double distance = std::sqrt(static_cast<double>(s));
  return distance < static_cast<double>(range);
}

// The feather test of the rule for a claimed colour: the distance as a
// percentage of the range, narrowed to single precision, reaches the band's
// inner edge, 100 - softness in single precision.
bool Ramps(std::uint32_t s, float range, float softness) {
  const double distance = std::sqrt(static_cast<double>(s));
  const float ratio = static_cast<float>(distance / static_cast<double>(range) * 100.0);
  return ratio >= 100.0f - softness;
}

// The smallest s in [low, high) for which `holds` is true, or `high` when it
// holds nowhere; `holds` must be false below some point and true from it on.
template <typename Predicate>
std::uint32_t FirstHolding(std::uint32_t low, std::uint32_t high, Predicate holds) {
  while (low < high) {
    const std::uint32_t middle = low + (high - low) / 2;
    if (holds(middle)) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  return low;
}

}  // namespace

EntryThresholds MakeEntryThresholds(const ColourEntryTable& table) {
  EntryThresholds thresholds;
  thresholds.count = table.count < 0                   ? 0
                     : table.count > kMaxColourEntries ? kMaxColourEntries
                                                       : table.count;
  for (std::int32_t k = 0; k < thresholds.count; ++k) {
    const auto entry = static_cast<std::size_t>(k);
    const float range = table.ranges[entry];
    const float softness = table.softness[entry];
    const std::uint32_t claim_below =
        FirstHolding(0, kSquaredDistanceLimit, [range](std::uint32_t s) { return !Claims(s, range); });
    std::uint32_t ramp_from = claim_below;
    if (table.enabled[entry] != 0 && softness > 0.0f) {
      ramp_from = FirstHolding(
          0, claim_below, [range, softness](std::uint32_t s) { return Ramps(s, range, softness); });
    }
    thresholds.claim_below[entry] = claim_below;
    thresholds.ramp_from[entry] = ramp_from;
    thresholds.enabled[entry] = table.enabled[entry] != 0 ? 1 : 0;
    thresholds.red[entry] = table.colours[entry].red;
    thresholds.green[entry] = table.colours[entry].green;
    thresholds.blue[entry] = table.colours[entry].blue;
    thresholds.range[entry] = range;
    thresholds.band[entry] = FeatherBand(range, softness);
  }
  return thresholds;
}

}  // namespace huesieve
