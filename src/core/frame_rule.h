// The colour rule prepared for one frame: integer thresholds and the cell
// table, answering "what becomes of a pixel of this colour". Built once per
// frame and then only read, so several workers may walk one frame with it at
// once, each with its own CellCache; nothing outlives the frame.
#pragma once

#include <cstdint>

#include "core/cell_cache.h"
#include "core/cell_table.h"
#include "core/colour_entry_table.h"
#include "core/colour_outcome.h"
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

  // What becomes of every pixel whose colour, on the 8-bit scale, is
  // `colour`; `cache` is the calling worker's, for this frame's cells().
  ColourOutcome Outcome(CellCache& cache, Rgb8 colour) const {
    const std::uint16_t word = cache.Lookup(CellOf(colour));
    if ((word & CellTable::kTest) != 0) {
      return TestedOutcome(word, colour.red, colour.green, colour.blue);
    }
    return DecidedOutcome(word);
  }

  Claim ClaimOf(CellCache& cache, Rgb8 colour) const;

  const CellTable& cells() const { return cells_; }
  const EntryThresholds& thresholds() const { return thresholds_; }

 private:
  // The first of a test cell's candidate entries that claims a colour, with
  // the colour's squared distance from it; entry -1 when none does.
  struct TestedClaim {
    std::int32_t entry;
    std::uint32_t distance_squared;
  };
  TestedClaim FirstClaim(std::uint16_t word, std::int32_t red, std::int32_t green,
                         std::int32_t blue) const;
  // Whether a colour an enabled entry claims lies in its feather band.
  bool Feathered(const TestedClaim& claim) const {
    return claim.distance_squared >= thresholds_.ramp_from[static_cast<std::size_t>(claim.entry)];
  }
  ColourOutcome TestedOutcome(std::uint16_t word, std::int32_t red, std::int32_t green,
                              std::int32_t blue) const;

  static constexpr std::int32_t CellOf(Rgb8 colour) {
    return CellTable::CellOf(colour.red, colour.green, colour.blue);
  }
  static constexpr ColourOutcome DecidedOutcome(std::uint16_t word) {
    return ((word & CellTable::kClaimed) != 0 ? kOutcomeClaimed : 0) |
           ((word & CellTable::kKeep) != 0 ? kOutcomeKeep : 0);
  }

  EntryThresholds thresholds_;
  CellTable cells_;
};

}  // namespace huesieve
