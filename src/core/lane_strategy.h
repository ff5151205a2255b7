// How the lane kernel goes about the vectors of a row, and how what it met in
// one vector changes that: one value, one transition. Every route gives each
// lane the same outcome; they differ only in cost, and which is cheaper
// depends on the footage, so the kernel follows what the last vectors showed.
// A vector is coherent when every lane it tried had the same outcome: all
// claimed or none, and none ramped.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>

namespace huesieve::lanes {

// The entries tried grow with a vector that has a candidate outside them, and
// start again from that vector's candidates when they would grow past this
// many.
inline constexpr int kFewTriedEntries = 3;

// Coherent vectors in a row, tried without cell words, before the cell words
// are thought to pay again. One such vector is no sign: in noise with feather
// bands one in ten is coherent by chance, and a gather for it was wasted and
// two branches missed.
inline constexpr int kCoherentRun = 4;

struct LaneStrategy {
  // Whether the entries' colour boxes cost less than the per-axis reach; fixed
  // for a row.
  bool boxes_cheap = false;
  // Every entry's box is tried first: while cheap, from a vector with nothing
  // claimed on, until one with a claim.
  bool boxes = false;
  // Cell words are gathered for vectors over several cells. Where most
  // vectors need the entries tried anyway (noise, feather bands) they save
  // nothing, and the reached lanes are tried at once instead.
  bool cell_words = true;
  // Without cell words, the boxes of the entries beyond those tried stand in
  // for the reach: not after a vector with a lane in one of them, which
  // needed the reach as well, until a vector whose candidates are all tried.
  bool other_boxes = true;
  // Coherent vectors in a row so far.
  std::uint8_t coherent_run = 0;
  // The entries tried, one bit each: the lanes a vector tries get these, a
  // superset of their candidate entries (those that may claim them) kept
  // from vector to vector, so which entries to load and how many rounds need
  // not wait for the vector's own candidates.
  std::uint16_t tried = 0;

  bool operator==(const LaneStrategy&) const = default;
};

constexpr LaneStrategy FirstStrategy(bool boxes_cheap) {
  return LaneStrategy{.boxes_cheap = boxes_cheap, .boxes = boxes_cheap};
}

enum class LaneRoute : std::uint8_t {
  kOneCell,            // every lane in one cell: that cell's word decides or names the entries
  kOutsideBoxes,       // no lane in any entry's box: all cleared
  kOutsideOtherBoxes,  // no lane in the other entries' boxes: those tried decide all lanes
  kUnreached,          // no lane reached by an entry on every axis: all cleared
  kEntriesTried,       // without cell words: the reached lanes tried
  kCellWords,          // cell words gathered; the lanes whose words name entries tried
};

// What one vector showed.
struct VectorReport {
  LaneRoute route = LaneRoute::kOneCell;
  // The other entries' boxes were tried and held a lane.
  bool other_box_held = false;
  // The candidate entries (those that may claim) of the lanes tried with
  // entries, when any were (kOneCell and kCellWords with words that name
  // entries, kEntriesTried).
  std::uint16_t candidates = 0;
  // kOutsideOtherBoxes, kEntriesTried: the vector was coherent.
  bool coherent = false;
  // kCellWords: some lane's word named entries to try.
  bool words_named_entries = false;
  // The lanes claimed, one bit each.
  std::uint32_t claimed = 0;
};

// The entries tried after a vector whose candidates are `candidates`.
constexpr std::uint16_t TriedEntries(std::uint16_t tried, std::uint16_t candidates) {
  if ((candidates & ~tried) == 0) return tried;
  const auto grown = static_cast<std::uint16_t>(tried | candidates);
  return std::popcount(grown) <= kFewTriedEntries ? grown : candidates;
}

[[gnu::always_inline]] constexpr LaneStrategy NextStrategy(const LaneStrategy& strategy,
                                                           const VectorReport& report) {
  LaneStrategy next = strategy;
  next.boxes = strategy.boxes_cheap && report.claimed == 0;
  if (report.other_box_held) next.other_boxes = false;
  if (report.candidates != 0) {
    next.other_boxes = (report.candidates & ~strategy.tried) == 0;
    next.tried = TriedEntries(strategy.tried, report.candidates);
  }
  switch (report.route) {
    case LaneRoute::kOutsideOtherBoxes:
    case LaneRoute::kEntriesTried:
      // Counted up to the run that matters, so it never wraps.
      next.coherent_run =
          report.coherent
              ? static_cast<std::uint8_t>(std::min(strategy.coherent_run + 1, kCoherentRun))
              : std::uint8_t{0};
      next.cell_words = next.coherent_run >= kCoherentRun;
      break;
    case LaneRoute::kCellWords:
      next.cell_words = !report.words_named_entries;
      next.coherent_run = 0;
      break;
    default:
      break;
  }
  return next;
}

}  // namespace huesieve::lanes
