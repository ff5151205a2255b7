#include "core/cell_table.h"

#include <algorithm>

#include "core/colour_rule.h"

namespace huesieve {
namespace {

// The distance along one axis from `colour` to the nearest value of a cell.
std::int32_t AxisGap(std::int32_t low, std::int32_t span, std::int32_t colour) {
  const std::int32_t high = low + span - 1;
  return colour < low ? low - colour : colour > high ? colour - high : 0;
}

struct SquaredDistanceBounds {
  std::int32_t low;
  std::int32_t high;
};

// Bounds on the squared redmean distance over a cell: every factor of each
// term is bounded on its own, and each term grows with every factor, the shift
// included.
SquaredDistanceBounds CellBounds(std::int32_t red_low, std::int32_t green_low,
                                 std::int32_t blue_low, std::int32_t span, std::int32_t cr,
                                 std::int32_t cg, std::int32_t cb) {
  struct SquaredDifference {
    std::int32_t low;
    std::int32_t high;
  };
  const auto squared = [span](std::int32_t low, std::int32_t colour) {
    const std::int32_t far = std::max(colour - low, low + span - 1 - colour);
    const std::int32_t near = AxisGap(low, span, colour);
    return SquaredDifference{near * near, far * far};
  };
  const SquaredDifference dr = squared(red_low, cr);
  const SquaredDifference dg = squared(green_low, cg);
  const SquaredDifference db = squared(blue_low, cb);
  const std::int32_t rmean_low = (red_low + cr) / 2;
  const std::int32_t rmean_high = (red_low + span - 1 + cr) / 2;
  return {
      WeightedRedmeanSum(rmean_low, rmean_high, dr.low, dg.low, db.low),
      WeightedRedmeanSum(rmean_high, rmean_low, dr.high, dg.high, db.high),
  };
}

// The largest d within 0..255 whose share weight × d^2 lies below
// `claim_below` (which is above 0).
std::uint32_t AxisReachOf(std::int64_t weight, std::int64_t claim_below) {
  std::uint32_t low = 0;
  std::uint32_t high = 255;
  while (low < high) {
    const std::uint32_t middle = (low + high + 1) / 2;
    if (weight * middle * middle < claim_below) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  return low;
}

}  // namespace

// Each term of the squared redmean distance is at least its share alone: red
// and blue at least 2 d^2 (weights 512 + rmean and 767 - rmean are both 512 or
// more), green 4 d^2. An axis gap whose share alone reaches the threshold
// rules the entry out for every cell at that coordinate.
CellTable::CellTable(const EntryThresholds& thresholds) : thresholds_(thresholds) {
  constexpr std::int32_t kSpan = 1 << kCellShift;
  for (std::int32_t k = 0; k < thresholds_.count; ++k) {
    const auto entry = static_cast<std::size_t>(k);
    const std::int64_t claim_below = thresholds_.claim_below[entry];
    const auto bit = static_cast<std::uint16_t>(1u << k);
    for (std::int32_t c = 0; c < kCellsPerAxis; ++c) {
      const auto at = static_cast<std::size_t>(c);
      const std::int64_t red = AxisGap(c << kCellShift, kSpan, thresholds_.red[entry]);
      const std::int64_t green = AxisGap(c << kCellShift, kSpan, thresholds_.green[entry]);
      const std::int64_t blue = AxisGap(c << kCellShift, kSpan, thresholds_.blue[entry]);
      if (2 * red * red < claim_below) {
        red_reach_[at] = static_cast<std::uint16_t>(red_reach_[at] | bit);
      }
      if (4 * green * green < claim_below) {
        green_reach_[at] = static_cast<std::uint16_t>(green_reach_[at] | bit);
      }
      if (2 * blue * blue < claim_below) {
        blue_reach_[at] = static_cast<std::uint16_t>(blue_reach_[at] | bit);
      }
    }
    if (claim_below == 0) continue;
    ColourBox box{0, 0xFF};
    const auto bound = [&box](std::uint32_t colour, std::uint32_t reach, int shift) {
      const std::uint32_t from = colour > reach ? colour - reach : 0;
      const std::uint32_t to = colour + reach < 255 ? colour + reach : 255;
      box.low |= from << shift;
      box.width |= (to - from) << shift;
    };
    bound(thresholds_.red[entry], AxisReachOf(2, claim_below), 8);
    bound(thresholds_.green[entry], AxisReachOf(4, claim_below), 16);
    bound(thresholds_.blue[entry], AxisReachOf(2, claim_below), 24);
    boxes_[static_cast<std::size_t>(box_count_)] = box;
    box_entries_[static_cast<std::size_t>(box_count_++)] = k;
  }
}

std::uint16_t CellTable::Classify(std::int32_t cell) const {
  constexpr std::int32_t kSpan = 1 << kCellShift;
  const std::int32_t red_low = ((cell >> kRedPlace) & kAxisMask) << kCellShift;
  const std::int32_t green_low = ((cell >> kGreenPlace) & kAxisMask) << kCellShift;
  const std::int32_t blue_low = ((cell >> kBluePlace) & kAxisMask) << kCellShift;

  unsigned reach = red_reach_[static_cast<std::size_t>(red_low >> kCellShift)] &
                   green_reach_[static_cast<std::size_t>(green_low >> kCellShift)] &
                   blue_reach_[static_cast<std::size_t>(blue_low >> kCellShift)];
  std::uint16_t candidates = 0;
  std::uint16_t word = kUnclaimed;
  while (reach != 0) {
    const int k = __builtin_ctz(reach);
    reach &= reach - 1;
    const auto entry = static_cast<std::size_t>(k);
    const SquaredDistanceBounds bounds =
        CellBounds(red_low, green_low, blue_low, kSpan, thresholds_.red[entry],
                   thresholds_.green[entry], thresholds_.blue[entry]);
    const auto claim_below = static_cast<std::int32_t>(thresholds_.claim_below[entry]);
    if (bounds.low >= claim_below) continue;  // claims none of the cell
    const std::uint16_t bit = static_cast<std::uint16_t>(1u << k);
    candidates = static_cast<std::uint16_t>(candidates | bit);
    if (bounds.high >= claim_below) {
      word = kTest;
      continue;
    }
    // Entry k claims every colour the earlier candidates leave, so the entries
    // after it are never reached in this cell.
    if (candidates == bit) {
      const auto ramp_from = static_cast<std::int32_t>(thresholds_.ramp_from[entry]);
      if (thresholds_.enabled[entry] == 0) {
        word = static_cast<std::uint16_t>(kClearedClaimed | bit);
      } else if (bounds.high < ramp_from) {
        word = static_cast<std::uint16_t>(kKeptClaimed | bit);
      } else {
        word = kTest;
      }
    } else {
      word = kTest;
    }
    break;
  }
  return word == kTest ? static_cast<std::uint16_t>(kTest | candidates) : word;
}

}  // namespace huesieve
