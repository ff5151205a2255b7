// How the lane kernel goes about the vectors of a row, and how what it met in
// one vector changes that: one value, one transition. Every route gives each
// lane the same fate; they differ only in cost, and which is cheaper depends
// on the footage, so the kernel follows what the last vectors showed.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>

namespace huesieve::lanes {

// The entries usually tried grow with a vector that needs one outside them,
// and start again from that vector's when they would grow past this many.
inline constexpr int kFewUsualEntries = 3;

// Vectors in a row, tried without cell words, each with one outcome for all
// its tried lanes, before the cell words are thought to pay again. One such
// vector is no sign: in noise with feather bands one in ten is so by chance,
// and a gather for it was wasted and two branches missed.
inline constexpr int kOneOutcomeRun = 4;

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
  // Without cell words, the boxes of the entries beyond the usual ones stand
  // in for the reach: not after a vector with a lane in one of them, which
  // needed the reach as well, until a vector whose candidates are all usual.
  bool other_boxes = true;
  std::uint8_t one_outcome_run = 0;
  // The entries usually tried, one bit each: the lanes a vector tries get the
  // usual entries, a superset of the ones that may claim them, so which
  // entries to load and how many rounds need not wait for the vector's own.
  std::uint16_t usual = 0;

  bool operator==(const LaneStrategy&) const = default;
};

constexpr LaneStrategy FirstStrategy(bool boxes_cheap) {
  return LaneStrategy{.boxes_cheap = boxes_cheap, .boxes = boxes_cheap};
}

enum class LaneRoute : std::uint8_t {
  kOneCell,            // every lane in one cell: that cell's word decides or names the entries
  kOutsideBoxes,       // no lane in any entry's box: all cleared
  kOutsideOtherBoxes,  // no lane in the other entries' boxes: the usual ones tried in all lanes
  kUnreached,          // no lane reached by an entry on every axis: all cleared
  kEntriesTried,       // without cell words: the reached lanes tried with the usual entries
  kCellWords,          // cell words gathered; the lanes whose words name entries tried
};

// What one vector showed.
struct VectorReport {
  LaneRoute route = LaneRoute::kOneCell;
  // The other entries' boxes were tried and held a lane.
  bool other_box_held = false;
  // The entries that may claim the lanes tried with entries, when any were
  // (kEntriesTried, and kCellWords with words that name entries).
  std::uint16_t candidates = 0;
  // kOutsideOtherBoxes, kEntriesTried: every lane tried had the same outcome
  // (all claimed or none, none ramped).
  bool one_outcome = false;
  // kCellWords: some lane's word named entries to try.
  bool words_named_entries = false;
  // The lanes claimed, one bit each.
  std::uint32_t claimed = 0;
};

// The usual entries after a vector whose candidates are `candidates`.
constexpr std::uint16_t UsualEntries(std::uint16_t usual, std::uint16_t candidates) {
  if ((candidates & ~usual) == 0) return usual;
  const auto grown = static_cast<std::uint16_t>(usual | candidates);
  return std::popcount(grown) <= kFewUsualEntries ? grown : candidates;
}

[[gnu::always_inline]] constexpr LaneStrategy NextStrategy(const LaneStrategy& strategy,
                                                           const VectorReport& report) {
  LaneStrategy next = strategy;
  next.boxes = strategy.boxes_cheap && report.claimed == 0;
  if (report.other_box_held) next.other_boxes = false;
  if (report.candidates != 0) {
    next.other_boxes = (report.candidates & ~strategy.usual) == 0;
    next.usual = UsualEntries(strategy.usual, report.candidates);
  }
  switch (report.route) {
    case LaneRoute::kOutsideOtherBoxes:
    case LaneRoute::kEntriesTried:
      // Counted up to the run that matters, so it never wraps.
      next.one_outcome_run =
          report.one_outcome
              ? static_cast<std::uint8_t>(std::min(strategy.one_outcome_run + 1, kOneOutcomeRun))
              : std::uint8_t{0};
      next.cell_words = next.one_outcome_run >= kOneOutcomeRun;
      break;
    case LaneRoute::kCellWords:
      next.cell_words = !report.words_named_entries;
      next.one_outcome_run = 0;
      break;
    default:
      break;
  }
  return next;
}

}  // namespace huesieve::lanes
