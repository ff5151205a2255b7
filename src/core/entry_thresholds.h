// The colour rule recast per frame as integer thresholds. The rule claims a
// colour when sqrt(s) < range, s being its squared redmean distance, a whole
// number (colour_rule.h); sqrt is monotone, so that holds exactly for s below
// one integer per entry. The feather test is monotone in s as well. Finding
// both integers once per frame, with the rule's own expressions, takes the
// square root out of the per-pixel work without changing a single outcome.
#pragma once

#include <array>
#include <cstdint>

#include "core/colour_entry_table.h"

namespace huesieve {

// Above every squared redmean distance: no term's weight exceeds 767, so none
// exceeds 194818 + 260100 + 194818.
inline constexpr std::uint32_t kSquaredDistanceLimit = 1u << 20;

struct EntryThresholds {
  std::int32_t count = 0;  // entries the rule tries, within 0..kMaxColourEntries
  // Entry k claims a colour exactly when its squared distance s < claim_below[k].
  std::array<std::uint32_t, kMaxColourEntries> claim_below{};
  // A colour claimed by enabled entry k gets the ramp alpha exactly when
  // s >= ramp_from[k]; ramp_from[k] == claim_below[k] when it never does.
  std::array<std::uint32_t, kMaxColourEntries> ramp_from{};
  std::array<std::uint8_t, kMaxColourEntries> enabled{};
  std::array<std::uint8_t, kMaxColourEntries> red{};
  std::array<std::uint8_t, kMaxColourEntries> green{};
  std::array<std::uint8_t, kMaxColourEntries> blue{};
  // The ramp's inputs besides the distance, as the rule computes them.
  std::array<float, kMaxColourEntries> range{};
  std::array<float, kMaxColourEntries> band{};
};

// Hostile values are welcome: a NaN, negative or zero range claims nothing,
// an infinite or huge one claims everything, a NaN softness never ramps.
EntryThresholds MakeEntryThresholds(const ColourEntryTable& table);

}  // namespace huesieve
