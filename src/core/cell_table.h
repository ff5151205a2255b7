// A per-frame map of colour space in cells of 8 × 8 × 8 colours, saying for
// each cell whether no entry can claim any of its colours, whether one entry
// decides all of them alike, or which entries must be tried per pixel. The
// table holds what every cell's classification starts from (the per-axis
// reach and the entries' colour boxes) and classifies a cell on demand,
// changing nothing: built once per frame, it is read by every worker at once.
// Each worker keeps the words of the cells it meets in its own CellCache
// (cell_cache.h), so a frame pays only for the colours it holds.
#pragma once

#include <array>
#include <cstdint>

#include "core/entry_thresholds.h"

namespace huesieve {

class CellTable {
 public:
  static constexpr std::int32_t kCellShift = 3;  // 8 values per axis in a cell
  // A cell's coordinate on one axis: the top bits of the 8-bit channel.
  static constexpr std::int32_t kAxisBits = 8 - kCellShift;
  static constexpr std::int32_t kCellsPerAxis = 1 << kAxisBits;
  static constexpr std::int32_t kAxisMask = kCellsPerAxis - 1;
  static constexpr std::int32_t kCellCount = kCellsPerAxis * kCellsPerAxis * kCellsPerAxis;
  // Where each axis's coordinate sits in a cell index: red, green, blue from
  // the top.
  static constexpr std::int32_t kRedPlace = 2 * kAxisBits;
  static constexpr std::int32_t kGreenPlace = kAxisBits;
  static constexpr std::int32_t kBluePlace = 0;

  // Cell words. 0 is a cell not yet classified. A cell to test holds the
  // entries that may claim some of its colours (its candidate entries) in the
  // low bits; every other entry claims none of them, so trying only these
  // keeps the first claimer. A cell that one entry claims whole holds that
  // entry's bit.
  static constexpr std::uint16_t kUnknown = 0;
  static constexpr std::uint16_t kDecided = 0x1000;  // one outcome for every colour
  static constexpr std::uint16_t kClaimed = 0x2000;  // ... which counts for the bounds
  static constexpr std::uint16_t kKeep = 0x4000;     // ... and leaves the pixel as it is
  static constexpr std::uint16_t kTest = 0x8000;
  static constexpr std::uint16_t kEntryMask = (1u << kMaxColourEntries) - 1;
  static constexpr std::uint16_t kUnclaimed = kDecided;
  static constexpr std::uint16_t kClearedClaimed = kDecided | kClaimed;
  static constexpr std::uint16_t kKeptClaimed = kDecided | kClaimed | kKeep;

  // For vector gathers of 32-bit words at 2-byte steps, a table of words ends
  // in padding so the last cell's read stays inside.
  static constexpr std::int32_t kStoredWords = kCellCount + 2;

  // Keeps a reference to `thresholds`, which must outlive the table.
  explicit CellTable(const EntryThresholds& thresholds);

  static constexpr std::int32_t CellOf(std::int32_t red, std::int32_t green, std::int32_t blue) {
    return ((red >> kCellShift) << kRedPlace) | ((green >> kCellShift) << kGreenPlace) |
           ((blue >> kCellShift) << kBluePlace);
  }

  // The word of `cell`, never kUnknown.
  std::uint16_t Classify(std::int32_t cell) const;

  // Entries that may claim a colour whose red (green, blue) value lies in
  // cell coordinate c: bit k of reach[c]. A colour none of whose entries is
  // in all three is claimed by none.
  using AxisReach = std::array<std::uint16_t, kCellsPerAxis>;
  const AxisReach& red_reach() const { return red_reach_; }
  const AxisReach& green_reach() const { return green_reach_; }
  const AxisReach& blue_reach() const { return blue_reach_; }

  // The same bound per value rather than per cell, for each entry that can
  // claim anything: the box of colours it may claim, as lane words of the lane
  // kernel (alpha, red, green, blue bytes from the low end) of its low corner
  // and of its width per byte; alpha is not bounded. A colour in no box is
  // claimed by none.
  struct ColourBox {
    std::uint32_t low;
    std::uint32_t width;
  };
  const std::array<ColourBox, kMaxColourEntries>& boxes() const { return boxes_; }
  std::int32_t box_count() const { return box_count_; }
  // The entry whose box is boxes()[i].
  std::int32_t box_entry(std::int32_t i) const { return box_entries_[static_cast<std::size_t>(i)]; }

 private:
  const EntryThresholds& thresholds_;
  // Per axis and cell coordinate, the entries that may claim some colour with
  // that coordinate: most cells of a frame are ruled out by these alone.
  AxisReach red_reach_{};
  AxisReach green_reach_{};
  AxisReach blue_reach_{};
  std::array<ColourBox, kMaxColourEntries> boxes_{};
  std::array<std::int32_t, kMaxColourEntries> box_entries_{};
  std::int32_t box_count_ = 0;
};

}  // namespace huesieve
