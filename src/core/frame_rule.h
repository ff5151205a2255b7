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

// Which entry claims a colour, as the rule decides: -1 for none.
struct Claim {
  std::int32_t entry = -1;
  bool feathered = false;  // an enabled entry, and the colour lies in its feather band
  bool operator==(const Claim&) const = default;
};

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

  Claim ClaimOf(std::int32_t red, std::int32_t green, std::int32_t blue) {
    const std::uint16_t word = cells_.Lookup(CellTable::CellOf(red, green, blue));
    if ((word & CellTable::kTest) != 0) {
      const EntrySum first = FirstClaim(word, red, green, blue);
      if (first.entry < 0) return {};
      const auto k = static_cast<std::size_t>(first.entry);
      return {first.entry, thresholds_.enabled[k] != 0 && first.sum >= thresholds_.ramp_from[k]};
    }
    if ((word & CellTable::kClaimed) == 0) return {};
    return {__builtin_ctz(word & CellTable::kEntryMask), false};
  }

  static constexpr ColourFate DecidedFate(std::uint16_t word) {
    return ((word & CellTable::kClaimed) != 0 ? kFateClaimed : 0) |
           ((word & CellTable::kKeep) != 0 ? kFateKeep : 0);
  }

  CellTable& cells() { return cells_; }
  const EntryThresholds& thresholds() const { return thresholds_; }

 private:
  struct EntrySum {
    std::int32_t entry;  // -1: none claims
    std::uint32_t sum;
  };
  // The first of a test cell's entries that claims the colour, and its sum.
  EntrySum FirstClaim(std::uint16_t word, std::int32_t red, std::int32_t green,
                      std::int32_t blue) const;
  ColourFate TestEntries(std::uint16_t word, std::int32_t red, std::int32_t green,
                         std::int32_t blue) const;

  EntryThresholds thresholds_;
  CellTable cells_;
};

}  // namespace huesieve
