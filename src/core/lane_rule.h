// The frame's rule for one vector of lanes at a time: the six ways a vector
// is decided, cheapest first where the footage lets them pay.
//   1. A vector within one cell takes that cell's word (runs of one cell
//      remember it).
//   2. The entries' colour boxes, while they are cheap and pay, rule out a
//      vector no entry can claim.
//   3. Where cell words do not pay, the boxes of the entries beyond those
//      tried, when they hold no lane, stand in for the reach: the tried
//      entries decide every lane.
//   4. The entries' per-axis reach rules out a vector no entry reaches.
//   5. Where cell words do not pay, the lanes the reach leaves are tried.
//   6. Otherwise a gather of cell words decides most lanes, and the lanes
//      left are tried.
// The lanes tried are resolved all at once by the entries' integer
// thresholds and the rule's own ramp (lane_outcomes.h). Which way a vector
// takes first follows what the vectors before it showed (lane_strategy.h);
// every way gives each lane the same outcome.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "core/cell_cache.h"
#include "core/cell_table.h"
#include "core/frame_rule.h"
#include "core/lane_layout.h"
#include "core/lane_ops.h"
#include "core/lane_outcomes.h"
#include "core/lane_strategy.h"
#include "core/lane_target.h"

namespace huesieve::lanes {

// The strategy is the caller's: at each way out of Decide, what the vector
// showed is reported to NextStrategy, which gives the strategy for the next
// vector. (Each way out reports its own route, so the transition is resolved
// where it is taken.) The rule is the frame's, shared and only read; the cell
// cache is the calling worker's.
template <LaneOps Ops>
class LaneRule {
 public:
  using U32 = typename Ops::U32;
  using Mask = typename Ops::Mask;

  template <typename Format>
  HUESIEVE_LANES_TARGET LaneRule(const FrameRule<Format>& rule, CellCache& cache)
      : cache_(cache),
        red_reach_(Ops::LoadTable32(rule.cells().red_reach().data())),
        green_reach_(Ops::LoadTable32(rule.cells().green_reach().data())),
        blue_reach_(Ops::LoadTable32(rule.cells().blue_reach().data())),
        entries_(rule) {
    const CellTable& table = rule.cells();
    box_count_ = static_cast<std::size_t>(table.box_count());
    for (std::size_t i = 0; i < box_count_; ++i) {
      const CellTable::ColourBox& box = table.boxes()[i];
      boxes_[i] = {Ops::Splat(box.low), Ops::Splat(box.width)};
      const int entry = table.box_entry(static_cast<std::int32_t>(i));
      boxed_entries_ = static_cast<std::uint16_t>(boxed_entries_ | 1u << entry);
      box_of_entry_[static_cast<std::size_t>(entry)] = static_cast<std::uint8_t>(i);
    }
    ListEntries(0);
  }

  // The strategy a row starts with.
  HUESIEVE_LANES_TARGET LaneStrategy FirstStrategyOfRow() const {
    return FirstStrategy(box_count_ <= static_cast<std::size_t>(Ops::kCheaperBoxes));
  }

  // A vector of colours in the lane layout. Each way out hands its outcomes
  // to `apply(outcomes, claimed)`, `claimed` the lanes claimed as bits, and
  // returns what that gives: a store inlined there is compiled for the
  // outcomes that way out knows (all cleared, say).
  template <typename Apply>
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET decltype(auto) Decide(U32 pixels,
                                                                     LaneStrategy& strategy,
                                                                     Apply apply) {
    // 1. Footage holds long runs within one cell (flat areas, gradients):
    // then one cell word decides, or names the entries to try, for every lane.
    const U32 coordinates = pixels & Ops::Splat(kCoordinateBits);
    const std::uint32_t first = Ops::FirstLane(coordinates);
    if (Ops::Bits(Ops::Equal(coordinates, Ops::Splat(first))) == Ops::Bits(Ops::AllLanes())) {
      return OneCell(pixels, first, strategy, apply);
    }

    // 2. The entries' colour boxes rule a vector out in a few steps.
    if (strategy.boxes &&
        Ops::Bits(InAnyBox(pixels, box_count_, [](std::size_t i) { return i; })) == 0) {
      return Done(strategy, apply, LaneOutcomes<Ops>::AllCleared(),
                  {.route = LaneRoute::kOutsideBoxes});
    }

    // 3. Without cell words, the reach serves only to show that no entry
    // beyond those tried may claim a lane; while few entries lie beyond them,
    // their boxes show it in fewer steps.
    bool other_box_held = false;
    if (!strategy.cell_words && strategy.other_boxes) {
      const EntryLists& lists = ListsFor(strategy.tried);
      if (lists.others_count <= static_cast<std::size_t>(Ops::kCheaperBoxes)) {
        const Mask inside = InAnyBox(pixels, lists.others_count,
                                     [&lists](std::size_t i) { return lists.others[i]; });
        if (Ops::Bits(inside) == 0) {
          LaneOutcomes<Ops> outcomes = LaneOutcomes<Ops>::Undecided();
          entries_.Try(pixels, Ops::AllLanes(), lists.tried.data(), lists.tried_count, outcomes);
          return Done(strategy, apply, outcomes,
                      {.route = LaneRoute::kOutsideOtherBoxes,
                       .coherent = Coherent(outcomes, Ops::Bits(Ops::AllLanes()))});
        }
        other_box_held = true;
      }
    }

    // 4. Entries that may claim a colour with each lane's coordinate on every
    // axis; a lane no entry reaches is cleared without a look at the cells.
    const U32 reach = Ops::template Lookup32<kRedCoordinate>(red_reach_, pixels) &
                      Ops::template Lookup32<kGreenCoordinate>(green_reach_, pixels) &
                      Ops::template Lookup32<kBlueCoordinate>(blue_reach_, pixels);
    const Mask reached = Ops::TestAny(reach, CellTable::kEntryMask);
    if (Ops::Bits(reached) == 0) {
      return Done(strategy, apply, LaneOutcomes<Ops>::AllCleared(),
                  {.route = LaneRoute::kUnreached, .other_box_held = other_box_held});
    }

    // 5. The reached lanes tried at once, with the reach as their candidates.
    if (!strategy.cell_words) {
      LaneOutcomes<Ops> outcomes = LaneOutcomes<Ops>::Of(Ops::MaskNot(reached), Ops::NoLanes());
      const std::uint16_t candidates = TestEntries(pixels, reach, reached, strategy, outcomes);
      return Done(strategy, apply, outcomes,
                  {.route = LaneRoute::kEntriesTried,
                   .other_box_held = other_box_held,
                   .candidates = candidates,
                   .coherent = Coherent(outcomes, Ops::Bits(reached))});
    }

    // 6. Cell words for the reached lanes.
    const U32 cell = CellIndex(pixels);
    U32 word = Ops::Gather16(cache_.words(), cell, reached);
    const Mask unknown = Ops::MaskAnd(reached, Ops::TestNone(word, 0xFFFF));
    if (Ops::Bits(unknown) != 0) word = ClassifyAndGather(cell, unknown, reached);
    const Mask tested = Ops::TestAny(word, CellTable::kTest);
    const bool words_name_entries = Ops::Bits(tested) != 0;
    LaneOutcomes<Ops> outcomes = FromCellWords(word, tested);
    if (!words_name_entries) {
      return Done(strategy, apply, outcomes, {.route = LaneRoute::kCellWords});
    }
    const std::uint16_t candidates = TestEntries(pixels, word, tested, strategy, outcomes);
    return Done(
        strategy, apply, outcomes,
        {.route = LaneRoute::kCellWords, .candidates = candidates, .words_named_entries = true});
  }

  // A vector its caller found no entry reaches (a coarser reach than the
  // cells', say): every lane cleared, as the reach's way out of Decide.
  template <typename Apply>
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET decltype(auto) Unreached(LaneStrategy& strategy,
                                                                        Apply apply) {
    return Done(strategy, apply, LaneOutcomes<Ops>::AllCleared(),
                {.route = LaneRoute::kUnreached});
  }

 private:
  // A way out of Decide: the strategy follows what the vector showed, and
  // the outcomes are applied.
  template <typename Apply>
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static decltype(auto) Done(
      LaneStrategy& strategy, Apply& apply, const LaneOutcomes<Ops>& outcomes,
      VectorReport report) {
    report.claimed = Ops::Bits(outcomes.claimed);
    strategy = NextStrategy(strategy, report);
    return apply(outcomes, report.claimed);
  }

  // Whether the lanes of `tried` were coherent (lane_strategy.h).
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static bool Coherent(
      const LaneOutcomes<Ops>& outcomes, std::uint32_t tried) {
    const std::uint32_t claimed = Ops::Bits(outcomes.claimed);
    return Ops::Bits(outcomes.ramped) == 0 && (claimed == 0 || claimed == tried);
  }

  // The lanes inside any of `count` boxes, boxes_[position(i)] for i below
  // `count`.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET Mask InAnyBox(U32 pixels, std::size_t count,
                                                             auto position) const {
    Mask inside = Ops::NoLanes();
    for (std::size_t i = 0; i < count; ++i) {
      const BoxLanes& box = boxes_[position(i)];
      inside = Ops::MaskOr(inside,
                           Ops::Equal(Ops::OutsideBox(pixels, box.low, box.width), Ops::Splat(0)));
    }
    return inside;
  }

  // A vector whose lanes lie in one cell, with coordinate bits `coordinates`.
  // Runs repeat the cell of the vector before.
  template <typename Apply>
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET decltype(auto) OneCell(U32 pixels,
                                                                      std::uint32_t coordinates,
                                                                      LaneStrategy& strategy,
                                                                      Apply& apply) {
    if (coordinates != one_cell_) {
      one_cell_ = coordinates;
      one_cell_word_ = cache_.Lookup(static_cast<std::int32_t>(LaneCellIndex(coordinates)));
    }
    if ((one_cell_word_ & CellTable::kTest) == 0) {
      const bool claimed = (one_cell_word_ & CellTable::kClaimed) != 0;
      const bool kept = (one_cell_word_ & CellTable::kKeep) != 0;
      return Done(strategy, apply, LaneOutcomes<Ops>::Uniform(!kept, claimed),
                  {.route = LaneRoute::kOneCell});
    }
    const U32 word = Ops::Splat(one_cell_word_);
    LaneOutcomes<Ops> outcomes = FromCellWords(word, Ops::AllLanes());
    const std::uint16_t candidates = TestEntries(pixels, word, Ops::AllLanes(), strategy, outcomes);
    return Done(strategy, apply, outcomes,
                {.route = LaneRoute::kOneCell, .candidates = candidates});
  }

  // An entry's colour box (CellTable::ColourBox), as whole vectors.
  struct BoxLanes {
    U32 low;
    U32 width;
  };

  // The entries a strategy tries, in order, and the boxes (positions in
  // boxes_) of the entries that can claim but are not tried; an entry without
  // a box never claims. Derived from the set, kept while it holds.
  struct EntryLists {
    std::uint16_t set = 0;
    std::size_t tried_count = 0;
    std::array<std::uint8_t, kMaxColourEntries> tried{};
    std::size_t others_count = 0;
    std::array<std::uint8_t, kMaxColourEntries> others{};
  };

  HUESIEVE_LANES_TARGET void ListEntries(std::uint16_t set) {
    lists_.set = set;
    lists_.tried_count = 0;
    for (std::uint32_t left = set; left != 0; left &= left - 1) {
      lists_.tried[lists_.tried_count++] = static_cast<std::uint8_t>(std::countr_zero(left));
    }
    lists_.others_count = 0;
    for (std::uint32_t left = boxed_entries_ & ~std::uint32_t{set}; left != 0; left &= left - 1) {
      lists_.others[lists_.others_count++] =
          box_of_entry_[static_cast<std::size_t>(std::countr_zero(left))];
    }
  }

  [[gnu::always_inline]] HUESIEVE_LANES_TARGET const EntryLists& ListsFor(std::uint16_t set) {
    if (set != lists_.set) ListEntries(set);
    return lists_;
  }

  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static U32 CellIndex(U32 pixels) {
    constexpr std::uint32_t kAxis = CellTable::kAxisMask;
    const U32 red = (pixels >> (kRedCoordinate - CellTable::kRedPlace)) &
                    Ops::Splat(kAxis << CellTable::kRedPlace);
    const U32 green = (pixels >> (kGreenCoordinate - CellTable::kGreenPlace)) &
                      Ops::Splat(kAxis << CellTable::kGreenPlace);
    const U32 blue = pixels >> (kBlueCoordinate - CellTable::kBluePlace);
    return red | green | blue;
  }

  // The lanes whose cell word decides them; the lanes of `tested`, whose
  // words name the entries to try, are left to TestEntries.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static LaneOutcomes<Ops> FromCellWords(U32 word,
                                                                                      Mask tested) {
    const Mask kept = Ops::TestAny(word, CellTable::kKeep);
    return LaneOutcomes<Ops>::Of(Ops::MaskNot(Ops::MaskOr(kept, tested)),
                                 Ops::TestAny(word, CellTable::kClaimed));
  }

  // Cells are classified on first use, one lane at a time, into the
  // worker's cache.
  HUESIEVE_LANES_TARGET U32 ClassifyAndGather(U32 cell, Mask unknown, Mask reached) {
    std::array<std::uint32_t, Ops::kLanes> cells;
    Ops::StoreLanes(cells.data(), cell);
    for (std::uint32_t lanes = Ops::Bits(unknown); lanes != 0; lanes &= lanes - 1) {
      cache_.Lookup(
          static_cast<std::int32_t>(cells[static_cast<std::size_t>(std::countr_zero(lanes))]));
    }
    return Ops::Gather16(cache_.words(), cell, reached);
  }

  // The rule for the lanes of `tested`. `candidate_bits` holds, in its low
  // bits, a superset of the entries that may claim each lane (its candidate
  // entries); the entries tried are a superset of their union, and an entry
  // tried in a lane where it is no candidate claims nothing there, its
  // squared distance lying at or above its threshold (or, in a cell an
  // earlier entry claims whole, the lane is claimed already). Returns the
  // union.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET std::uint16_t TestEntries(
      U32 pixels, U32 candidate_bits, Mask tested, const LaneStrategy& strategy,
      LaneOutcomes<Ops>& outcomes) {
    const auto candidates =
        static_cast<std::uint16_t>(Ops::OrAcross(candidate_bits, tested) & CellTable::kEntryMask);
    const EntryLists& lists = ListsFor(TriedEntries(strategy.tried, candidates));
    entries_.Try(pixels, tested, lists.tried.data(), lists.tried_count, outcomes);
    return candidates;
  }

  CellCache& cache_;
  typename Ops::Table32 red_reach_;
  typename Ops::Table32 green_reach_;
  typename Ops::Table32 blue_reach_;
  LaneEntries<Ops> entries_;
  std::size_t box_count_;
  std::array<BoxLanes, kMaxColourEntries> boxes_;
  // The entries with a box, one bit each, and the position of each one's box.
  std::uint16_t boxed_entries_ = 0;
  std::array<std::uint8_t, kMaxColourEntries> box_of_entry_{};
  EntryLists lists_;
  // The cell of the last vector lying in one cell (its coordinate bits; no
  // lane has other bits set, so ~0 is none), and the cell's word.
  std::uint32_t one_cell_ = ~0u;
  std::uint16_t one_cell_word_ = 0;
};

}  // namespace huesieve::lanes
