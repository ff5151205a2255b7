// The per-axis reach (cell_table.h) over the keys of held floats
// (SrgbFloatKey) rather than over cells: key k's entry is the OR of the
// reach of every cell its floats decide into. A superset of each float's own
// reach, so a float colour none of whose entries is in all three keys'
// entries is claimed by none, told before any decision is read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/cell_table.h"
#include "core/srgb_decision.h"

namespace huesieve {

using FloatKeyReach = std::array<std::uint16_t, SrgbDecisionTables::kFloatKeys>;

inline FloatKeyReach SrgbFloatKeyReach(const CellTable::AxisReach& cells,
                                       const SrgbDecisionTables& tables) {
  FloatKeyReach reach{};
  for (std::size_t key = 0; key < reach.size(); ++key) {
    const std::size_t lowest = tables.float_key_lowest[key] >> CellTable::kCellShift;
    const std::size_t highest = tables.float_key_highest[key] >> CellTable::kCellShift;
    for (std::size_t cell = lowest; cell <= highest; ++cell) {
      reach[key] = static_cast<std::uint16_t>(reach[key] | cells[cell]);
    }
  }
  return reach;
}

}  // namespace huesieve
