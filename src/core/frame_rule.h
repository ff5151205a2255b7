// The colour rule prepared for one frame: integer thresholds, the cell map and
// the colour entries, answering "what becomes of a pixel of this colour". Built
// on the stack per frame (about 70 KiB); nothing outlives the frame.
#pragma once

#include <cstdint>

#include "core/cell_table.h"
#include "core/colour_entry_table.h"
#include "core/colour_fate.h"
#include "core/entry_thresholds.h"
#include "core/pixel_formats.h"

namespace huesieve {

template <typename Format>
class FrameRule {
 public:
  explicit FrameRule(const ColourEntryTable& table)
      : thresholds_(MakeEntryThresholds(table)), cells_(thresholds_) {}
  FrameRule(const FrameRule&) = delete;
  FrameRule& operator=(const FrameRule&) = delete;

  // The fate of every pixel whose colour, on the 8-bit scale, is given.
  ColourFate Fate(std::int32_t red, std::int32_t green, std::int32_t blue) {
    return FateInCell(CellTable::CellOf(red, green, blue), red, green, blue);
  }

  ColourFate FateInCell(std::int32_t cell, std::int32_t red, std::int32_t green,
                        std::int32_t blue) {
    const std::uint16_t word = cells_.Lookup(cell);
    if ((word & CellTable::kTest) != 0) return TestEntries(word, red, green, blue);
    return DecidedFate(word);
  }

  static constexpr ColourFate DecidedFate(std::uint16_t word) {
    return ((word & CellTable::kClaimed) != 0 ? kFateClaimed : 0) |
           ((word & CellTable::kKeep) != 0 ? kFateKeep : 0);
  }

  CellTable& cells() { return cells_; }
  const EntryThresholds& thresholds() const { return thresholds_; }

 private:
  ColourFate TestEntries(std::uint16_t word, std::int32_t red, std::int32_t green,
                         std::int32_t blue) const;

  EntryThresholds thresholds_;
  CellTable cells_;
};

}  // namespace huesieve
