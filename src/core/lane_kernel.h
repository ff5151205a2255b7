// The selection pass's row kernel, written once over a vector-operations type
// (lane_ops.h) and instantiated per instruction set and pixel format. Every
// format's pixels are brought into lanes of one layout, an 8-bit colour each,
// decided there, and their fates written back in the format. Per vector: a
// vector within one cell takes that cell's word; otherwise the entries'
// colour boxes (while they are cheap and pay) or their per-axis reach rule out
// the slots no entry can claim, a gather of cell words decides most of the
// rest, and the slots left are resolved in all lanes at once by the entries'
// integer thresholds and the rule's own ramp. Where the cell words do not pay,
// the boxes of the entries not usually tried, when they hold no lane, stand in
// for the reach. Which of these routes a vector takes follows what the vectors
// before it showed (lane_strategy.h).
//
// A file that instantiates the kernel defines HUESIEVE_LANES_TARGET, the
// target attribute of its instruction set, before including this header:
// every function here carries it, so the instruction set is enabled per
// function. Each file instantiates the templates with its own operations type
// only, so no instantiation is shared between instruction sets. The per-vector
// steps are inlined into the row loop, whatever the compiler's size limits.
#pragma once

#ifndef HUESIEVE_LANES_TARGET
#error "define HUESIEVE_LANES_TARGET as the instantiating file's target attribute"
#endif

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/cell_table.h"
#include "core/entry_thresholds.h"
#include "core/frame_rule.h"
#include "core/lane_ops.h"
#include "core/lane_strategy.h"
#include "core/pass_kernels.h"
#include "core/pixel_formats.h"

namespace huesieve::lanes {

// A colour in a 32-bit lane: alpha, red, green, blue from the low byte; the
// alpha byte is not read.
inline constexpr int kRedAt = 8;
inline constexpr int kGreenAt = 16;
inline constexpr int kBlueAt = 24;

// Where each axis's cell coordinate starts in a lane: the top bits of its byte.
inline constexpr int kRedCoordinate = kRedAt + CellTable::kCellShift;
inline constexpr int kGreenCoordinate = kGreenAt + CellTable::kCellShift;
inline constexpr int kBlueCoordinate = kBlueAt + CellTable::kCellShift;

// The per-axis reach tables are looked up 32 entries at a time, and blue's
// coordinate is the lane's top bits, so it needs no mask.
static_assert(CellTable::kCellsPerAxis == 32);
static_assert(kBlueCoordinate + CellTable::kAxisBits == 32);
static_assert(kRedCoordinate >= CellTable::kRedPlace && kGreenCoordinate >= CellTable::kGreenPlace);
// Gathers read 32 bits at the last cell's word.
static_assert(CellTable::kStoredWords >= CellTable::kCellCount + 1);

// The cell index of a lane as the vector code computes it: each coordinate
// shifted from its place in the lane to its place in the index.
constexpr std::uint32_t LaneCellIndex(std::uint32_t lane) {
  constexpr std::uint32_t kAxis = CellTable::kAxisMask;
  return ((lane >> (kRedCoordinate - CellTable::kRedPlace)) & (kAxis << CellTable::kRedPlace)) |
         ((lane >> (kGreenCoordinate - CellTable::kGreenPlace)) &
          (kAxis << CellTable::kGreenPlace)) |
         (lane >> (kBlueCoordinate - CellTable::kBluePlace));
}
constexpr std::uint32_t Lane(std::uint32_t alpha, std::uint32_t red, std::uint32_t green,
                             std::uint32_t blue) {
  return alpha | red << kRedAt | green << kGreenAt | blue << kBlueAt;
}
// The bits of a lane that its cell index depends on.
inline constexpr std::uint32_t kCoordinateBits =
    std::uint32_t{CellTable::kAxisMask} << kRedCoordinate |
    std::uint32_t{CellTable::kAxisMask} << kGreenCoordinate |
    std::uint32_t{CellTable::kAxisMask} << kBlueCoordinate;
static_assert(LaneCellIndex(kCoordinateBits) == CellTable::CellOf(255, 255, 255));
static_assert(LaneCellIndex(~kCoordinateBits) == CellTable::CellOf(0, 0, 0));
static_assert(LaneCellIndex(Lane(0xFF, 0, 0, 0)) == CellTable::CellOf(0, 0, 0));
static_assert(LaneCellIndex(Lane(0, 255, 255, 255)) == CellTable::CellOf(255, 255, 255));
static_assert(LaneCellIndex(Lane(0xA5, 8, 0, 0)) == CellTable::CellOf(8, 0, 0));
static_assert(LaneCellIndex(Lane(0, 7, 8, 0)) == CellTable::CellOf(7, 8, 0));
static_assert(LaneCellIndex(Lane(0x5A, 0, 7, 8)) == CellTable::CellOf(0, 7, 8));
static_assert(LaneCellIndex(Lane(0xFF, 200, 100, 39)) == CellTable::CellOf(200, 100, 39));

// A format's pixels in and out of lanes, over the instruction set's slot
// operations: Load the slots of a vector, Colours in the lane layout above,
// Store the fates back.
template <LaneOps Ops, typename Format>
struct LaneIo;

template <LaneOps Ops>
struct LaneIo<Ops, Argb8> {
  using Slots = typename Ops::U32;
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static Slots Load(const std::byte* at) {
    return Ops::Load8(at);
  }
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static typename Ops::U32 Colours(
      const Slots& slots) {
    return slots;
  }
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static void Store(std::byte* at, const Slots& slots,
                                                                 typename Ops::Mask cleared,
                                                                 typename Ops::Mask ramped,
                                                                 typename Ops::U32 alpha) {
    Ops::Store8(at, slots, cleared, ramped, alpha);
  }
};

// Red in the low byte: the colour lanes are the slots turned by a byte.
template <LaneOps Ops>
struct LaneIo<Ops, Rgba8> {
  using Slots = typename Ops::U32;
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static Slots Load(const std::byte* at) {
    return Ops::Load8(at);
  }
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static typename Ops::U32 Colours(
      const Slots& slots) {
    return slots << 8 | slots >> 24;
  }
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static void Store(std::byte* at, const Slots& slots,
                                                                 typename Ops::Mask cleared,
                                                                 typename Ops::Mask ramped,
                                                                 typename Ops::U32 alpha) {
    Ops::template Store8<24>(at, slots, cleared, ramped, alpha);
  }
};

template <LaneOps Ops>
struct LaneIo<Ops, Argb16> {
  using Slots = typename Ops::Slots16;
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static Slots Load(const std::byte* at) {
    return Ops::Load16(at);
  }
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static typename Ops::U32 Colours(
      const Slots& slots) {
    return Ops::ToBytes(slots);
  }
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static void Store(std::byte* at, const Slots& slots,
                                                                 typename Ops::Mask cleared,
                                                                 typename Ops::Mask ramped,
                                                                 typename Ops::U32 alpha) {
    Ops::Store16(at, slots, cleared, ramped, alpha);
  }
};

// 16-bit RGBA: each channel to a byte in its order, then turned as 8-bit RGBA.
template <LaneOps Ops>
struct LaneIo<Ops, Rgba16> {
  using Slots = typename Ops::Slots16;
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static Slots Load(const std::byte* at) {
    return Ops::Load16(at);
  }
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static typename Ops::U32 Colours(
      const Slots& slots) {
    const typename Ops::U32 bytes = Ops::ToBytes65535(slots);
    return bytes << 8 | bytes >> 24;
  }
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static void Store(std::byte* at, const Slots& slots,
                                                                 typename Ops::Mask cleared,
                                                                 typename Ops::Mask ramped,
                                                                 typename Ops::U32 alpha) {
    Ops::template Store16<48>(at, slots, cleared, ramped, alpha);
  }
};

template <LaneOps Ops>
struct LaneIo<Ops, RgbaFloat> {
  using Slots = typename Ops::SlotsFloat;
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static Slots Load(const std::byte* at) {
    return Ops::LoadFloat(at);
  }
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static typename Ops::U32 Colours(
      const Slots& slots) {
    const typename Ops::U32 bytes = Ops::ToBytesFloat(slots);
    return bytes << 8 | bytes >> 24;
  }
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static void Store(std::byte* at, const Slots& slots,
                                                                 typename Ops::Mask cleared,
                                                                 typename Ops::Mask ramped,
                                                                 typename Ops::U32 alpha) {
    Ops::StoreFloat(at, slots, cleared, ramped, alpha);
  }
};

// What becomes of each lane of a vector.
template <LaneOps Ops>
struct Fates {
  using U32 = typename Ops::U32;
  using Mask = typename Ops::Mask;

  Mask cleared;  // to become transparent black
  Mask ramped;   // alpha to become `alpha`
  Mask claimed;  // for the bounds
  U32 alpha;     // in the ramped lanes: the format's alpha sample, within the ramp maximum

  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static Fates Of(Mask cleared, Mask claimed) {
    return {cleared, Ops::NoLanes(), claimed, Ops::Splat(0)};
  }
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static Fates AllCleared() {
    return Of(Ops::AllLanes(), Ops::NoLanes());
  }
  // No lane decided yet: the entries tried decide them.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static Fates Undecided() {
    return Of(Ops::NoLanes(), Ops::NoLanes());
  }
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static Fates Uniform(bool cleared, bool claimed) {
    return Of(cleared ? Ops::AllLanes() : Ops::NoLanes(),
              claimed ? Ops::AllLanes() : Ops::NoLanes());
  }
};

// The frame's rule for one vector of lanes at a time. The strategy is the
// caller's: at each way out of Decide, what the vector showed is reported to
// NextStrategy, which gives the strategy for the next vector. (Each way out
// reports its own route, so the transition is resolved where it is taken.)
// One class for every pixel format (the format enters as its ramp's maximum
// and how the ramp is written), so that no function of it is compiled twice.
template <LaneOps Ops>
class LaneRule {
 public:
  using U32 = typename Ops::U32;
  using F32 = typename Ops::F32;
  using Mask = typename Ops::Mask;

  template <typename Format>
  HUESIEVE_LANES_TARGET explicit LaneRule(FrameRule<Format>& rule)
      : cells_(rule.cells()),
        red_reach_(Ops::LoadTable32(rule.cells().red_reach().data())),
        green_reach_(Ops::LoadTable32(rule.cells().green_reach().data())),
        blue_reach_(Ops::LoadTable32(rule.cells().blue_reach().data())),
        ramp_max_(static_cast<float>(Format::kRampMax)),
        float_alpha_(std::is_floating_point_v<typename Format::Sample>),
        full_alpha_(float_alpha_ ? std::bit_cast<std::uint32_t>(ramp_max_)
                                 : static_cast<std::uint32_t>(Format::kRampMax)) {
    box_count_ = static_cast<std::size_t>(rule.cells().box_count());
    for (std::size_t i = 0; i < box_count_; ++i) {
      const CellTable::ColourBox& box = rule.cells().boxes()[i];
      boxes_[i] = {Ops::Splat(box.low), Ops::Splat(box.width)};
    }
    ListEntries(0);
    const EntryThresholds& thresholds = rule.thresholds();
    for (std::size_t k = 0; k < static_cast<std::size_t>(thresholds.count); ++k) {
      entries_[k] = {
          Ops::Splat(thresholds.red[k]),
          Ops::Splat(thresholds.red[k] + 1024u),
          Ops::Splat(2u * thresholds.green[k]),
          Ops::Splat(thresholds.blue[k]),
          Ops::Splat(thresholds.claim_below[k]),
          Ops::Splat(thresholds.enabled[k] != 0 ? thresholds.ramp_from[k] : kDisabled),
          Ops::Splat(std::bit_cast<std::uint32_t>(thresholds.range[k])),
          Ops::Splat(std::bit_cast<std::uint32_t>(thresholds.band[k])),
      };
    }
  }

  // The strategy a row starts with.
  HUESIEVE_LANES_TARGET LaneStrategy FirstStrategyOfRow() const {
    return FirstStrategy(box_count_ <= static_cast<std::size_t>(Ops::kCheaperBoxes));
  }

  // A vector of colours in the lane layout. Each way out hands its fates to
  // `apply(fates, claimed)`, `claimed` the lanes claimed as bits, and
  // returns what that gives: a store inlined there is compiled for the fates
  // that way out knows (all cleared, say).
  template <typename Apply>
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET decltype(auto) Decide(U32 pixels,
                                                                     LaneStrategy& strategy,
                                                                     Apply apply) {
    // Footage holds long runs within one cell (flat areas, gradients): then
    // one cell word decides, or names the entries to try, for every lane.
    const U32 coordinates = pixels & Ops::Splat(kCoordinateBits);
    const std::uint32_t first = Ops::FirstLane(coordinates);
    if (Ops::Bits(Ops::Equal(coordinates, Ops::Splat(first))) == Ops::Bits(Ops::AllLanes())) {
      return OneCell(pixels, first, strategy, apply);
    }

    // The entries' colour boxes rule a vector out in a few steps.
    if (strategy.boxes &&
        Ops::Bits(InAnyBox(pixels, box_count_, [](std::size_t i) { return i; })) == 0) {
      return Done(strategy, apply, Fates<Ops>::AllCleared(), {.route = LaneRoute::kOutsideBoxes});
    }

    // Without cell words, the reach serves only to show that no entry beyond
    // the usual ones may claim a lane; while few entries lie beyond them,
    // their boxes show it in fewer steps.
    bool other_box_held = false;
    if (!strategy.cell_words && strategy.other_boxes) {
      const EntryLists& lists = ListsFor(strategy.usual);
      if (lists.others_count <= static_cast<std::size_t>(Ops::kCheaperBoxes)) {
        const Mask inside = InAnyBox(pixels, lists.others_count,
                                     [&lists](std::size_t i) { return lists.others[i]; });
        if (Ops::Bits(inside) == 0) {
          Fates<Ops> fates = Fates<Ops>::Undecided();
          TryEntries(pixels, Ops::AllLanes(), lists, fates);
          return Done(strategy, apply, fates,
                      {.route = LaneRoute::kOutsideOtherBoxes,
                       .one_outcome = OneOutcome(fates, Ops::Bits(Ops::AllLanes()))});
        }
        other_box_held = true;
      }
    }

    // Entries that may claim a colour with each lane's coordinate on every
    // axis; a lane no entry reaches is cleared without a look at the cells.
    const U32 reach = Ops::template Lookup32<kRedCoordinate>(red_reach_, pixels) &
                      Ops::template Lookup32<kGreenCoordinate>(green_reach_, pixels) &
                      Ops::template Lookup32<kBlueCoordinate>(blue_reach_, pixels);
    const Mask reached = Ops::TestAny(reach, CellTable::kEntryMask);
    if (Ops::Bits(reached) == 0) {
      return Done(strategy, apply, Fates<Ops>::AllCleared(),
                  {.route = LaneRoute::kUnreached, .other_box_held = other_box_held});
    }

    if (!strategy.cell_words) {
      Fates<Ops> fates = Fates<Ops>::Of(Ops::MaskNot(reached), Ops::NoLanes());
      const std::uint16_t candidates = TestEntries(pixels, reach, reached, strategy, fates);
      return Done(strategy, apply, fates,
                  {.route = LaneRoute::kEntriesTried,
                   .other_box_held = other_box_held,
                   .candidates = candidates,
                   .one_outcome = OneOutcome(fates, Ops::Bits(reached))});
    }

    const U32 cell = CellIndex(pixels);
    U32 word = Ops::Gather16(cells_.words(), cell, reached);
    const Mask unknown = Ops::MaskAnd(reached, Ops::TestNone(word, 0xFFFF));
    if (Ops::Bits(unknown) != 0) word = ClassifyAndGather(cell, unknown, reached);
    const Mask tested = Ops::TestAny(word, CellTable::kTest);
    const bool words_name_entries = Ops::Bits(tested) != 0;
    Fates<Ops> fates = FromCellWords(word, tested);
    if (!words_name_entries) {
      return Done(strategy, apply, fates, {.route = LaneRoute::kCellWords});
    }
    const std::uint16_t candidates = TestEntries(pixels, word, tested, strategy, fates);
    return Done(
        strategy, apply, fates,
        {.route = LaneRoute::kCellWords, .candidates = candidates, .words_named_entries = true});
  }

 private:
  // A way out of Decide: the strategy follows what the vector showed, and
  // the fates are applied.
  template <typename Apply>
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static decltype(auto) Done(LaneStrategy& strategy,
                                                                          Apply& apply,
                                                                          const Fates<Ops>& fates,
                                                                          VectorReport report) {
    report.claimed = Ops::Bits(fates.claimed);
    strategy = NextStrategy(strategy, report);
    return apply(fates, report.claimed);
  }

  // Whether the lanes of `tried` all had one outcome: all claimed or none,
  // and none ramped.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static bool OneOutcome(const Fates<Ops>& fates,
                                                                      std::uint32_t tried) {
    const std::uint32_t claimed = Ops::Bits(fates.claimed);
    return Ops::Bits(fates.ramped) == 0 && (claimed == 0 || claimed == tried);
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
      one_cell_word_ = cells_.Lookup(static_cast<std::int32_t>(LaneCellIndex(coordinates)));
    }
    if ((one_cell_word_ & CellTable::kTest) == 0) {
      const bool claimed = (one_cell_word_ & CellTable::kClaimed) != 0;
      const bool kept = (one_cell_word_ & CellTable::kKeep) != 0;
      return Done(strategy, apply, Fates<Ops>::Uniform(!kept, claimed),
                  {.route = LaneRoute::kOneCell});
    }
    const U32 word = Ops::Splat(one_cell_word_);
    Fates<Ops> fates = FromCellWords(word, Ops::AllLanes());
    const std::uint16_t candidates = TestEntries(pixels, word, Ops::AllLanes(), strategy, fates);
    return Done(strategy, apply, fates, {.route = LaneRoute::kOneCell, .candidates = candidates});
  }

  // A vector's channels as Square takes them: green doubled.
  struct Channels {
    U32 red;
    U32 green2;
    U32 blue;
  };
  // Per entry, what the claim test and the ramp read, as whole vectors: the
  // loop over entries loads them rather than broadcasting each time.
  struct EntryLanes {
    U32 red;
    U32 red_bias;  // red + 1024
    U32 green2;
    U32 blue;
    U32 claim_below;
    // The sum from which an enabled entry ramps, or kDisabled, which no sum
    // reaches and which marks a disabled entry.
    U32 feather_from;
    U32 range;  // float bits
    U32 band;   // float bits
  };
  static constexpr std::uint32_t kDisabled = 1u << 30;
  static_assert(kSquareSumLimit < kDisabled);
  // An entry's colour box (CellTable::ColourBox), as whole vectors.
  struct BoxLanes {
    U32 low;
    U32 width;
  };

  // The usual entries of a strategy in order, and the boxes (positions in
  // boxes_) of the entries that can claim but are not usual; an entry without
  // a box never claims. Derived from the set, kept while it holds.
  struct EntryLists {
    std::uint16_t set = 0;
    std::size_t usual_count = 0;
    std::array<std::uint8_t, kMaxColourEntries> usual{};
    std::size_t others_count = 0;
    std::array<std::uint8_t, kMaxColourEntries> others{};
  };

  HUESIEVE_LANES_TARGET void ListEntries(std::uint16_t set) {
    lists_.set = set;
    lists_.usual_count = 0;
    for (std::uint32_t left = set; left != 0; left &= left - 1) {
      lists_.usual[lists_.usual_count++] = static_cast<std::uint8_t>(std::countr_zero(left));
    }
    lists_.others_count = 0;
    for (std::size_t i = 0; i < box_count_; ++i) {
      if ((std::uint32_t{set} >> cells_.box_entry(static_cast<std::int32_t>(i)) & 1u) == 0) {
        lists_.others[lists_.others_count++] = static_cast<std::uint8_t>(i);
      }
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
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static Fates<Ops> FromCellWords(U32 word,
                                                                               Mask tested) {
    const Mask kept = Ops::TestAny(word, CellTable::kKeep);
    return Fates<Ops>::Of(Ops::MaskNot(Ops::MaskOr(kept, tested)),
                          Ops::TestAny(word, CellTable::kClaimed));
  }

  // Cells are classified on first use, one lane at a time.
  HUESIEVE_LANES_TARGET U32 ClassifyAndGather(U32 cell, Mask unknown, Mask reached) {
    std::array<std::uint32_t, Ops::kLanes> cells;
    Ops::StoreLanes(cells.data(), cell);
    for (std::uint32_t lanes = Ops::Bits(unknown); lanes != 0; lanes &= lanes - 1) {
      cells_.Lookup(
          static_cast<std::int32_t>(cells[static_cast<std::size_t>(std::countr_zero(lanes))]));
    }
    return Ops::Gather16(cells_.words(), cell, reached);
  }

  // The redmean sum of each lane against entry k, as RedmeanSquare computes
  // it, in a form with fewer steps that is equal in integers: rmean + 512 is
  // (red + colour red + 1024) >> 1, 767 - rmean is 1279 minus that, and
  // 4 dg^2 is (2 dg)^2. Every intermediate lies below 2^26.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static U32 Square(const Channels& pixel,
                                                                 const EntryLanes& entry) {
    const U32 weight_red = (pixel.red + entry.red_bias) >> 1;
    const U32 dr = pixel.red - entry.red;
    const U32 dg2 = pixel.green2 - entry.green2;
    const U32 db = pixel.blue - entry.blue;
    const U32 red_term = (weight_red * (dr * dr)) >> 8;
    const U32 green_term = dg2 * dg2;
    const U32 blue_term = ((Ops::Splat(1279) - weight_red) * (db * db)) >> 8;
    return red_term + green_term + blue_term;
  }

  // The open lanes and, in the claimed ones, the claiming entry's sum and
  // constants, carried along lane by lane.
  struct Claiming {
    Mask open;
    U32 sum;
    U32 feather_from;
    U32 range;
    U32 band;
  };

  // Entry k claims the open lanes whose sum lies below its threshold.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET void Try(const Channels& pixel, std::size_t k,
                                                        Claiming& claiming) const {
    const EntryLanes& entry = entries_[k];
    const U32 s = Square(pixel, entry);
    // Sums and thresholds lie below 2^21.
    const Mask claims = Ops::MaskAnd(claiming.open, Ops::Less(s, entry.claim_below));
    claiming.sum = Ops::Select(claims, s, claiming.sum);
    claiming.feather_from = Ops::Select(claims, entry.feather_from, claiming.feather_from);
    claiming.range = Ops::Select(claims, entry.range, claiming.range);
    claiming.band = Ops::Select(claims, entry.band, claiming.band);
    claiming.open = Ops::MaskAndNot(claiming.open, claims);
  }

  // The rule for the lanes of `tested`, all at once: the entries in order,
  // each claiming the open lanes whose sum lies below its threshold; then
  // enable and feather per lane from the claiming entry. `candidate_bits`
  // holds, in its low bits, a superset of the entries that may claim each
  // lane; the entries tried are a superset of their union, and an entry tried
  // in a lane where it is no candidate claims nothing there, its sum lying at
  // or above its threshold (or, in a cell an earlier entry claims whole, the
  // lane is claimed already). Returns the union.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET std::uint16_t TestEntries(
      U32 pixels, U32 candidate_bits, Mask tested, const LaneStrategy& strategy,
      Fates<Ops>& fates) {
    const auto candidates =
        static_cast<std::uint16_t>(Ops::OrAcross(candidate_bits, tested) & CellTable::kEntryMask);
    TryEntries(pixels, tested, ListsFor(UsualEntries(strategy.usual, candidates)), fates);
    return candidates;
  }

  // The usual entries of `lists` tried in the lanes of `tested`, where no
  // other entry may claim.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET void TryEntries(U32 pixels, Mask tested,
                                                               const EntryLists& lists,
                                                               Fates<Ops>& fates) const {
    const U32 byte = Ops::Splat(0xFF);
    const Channels pixel{(pixels >> kRedAt) & byte, (pixels >> (kGreenAt - 1)) & Ops::Splat(0x1FE),
                         pixels >> kBlueAt};
    Claiming claiming{tested, Ops::Splat(0), Ops::Splat(0), Ops::Splat(0), Ops::Splat(0)};
    for (std::size_t i = 0; i < lists.usual_count; ++i) Try(pixel, lists.usual[i], claiming);
    const auto& [open, sum, feather_from, range, band] = claiming;
    const Mask claimed = Ops::MaskAndNot(tested, open);
    const Mask enabled = Ops::MaskAnd(claimed, Ops::TestNone(feather_from, kDisabled));
    const Mask ramped = Ops::MaskAndNot(enabled, Ops::Less(sum, feather_from));
    fates.claimed = Ops::MaskOr(fates.claimed, claimed);
    fates.cleared = Ops::MaskOr(fates.cleared, Ops::MaskAndNot(tested, enabled));
    if (Ops::Bits(ramped) == 0) return;
    fates.ramped = ramped;
    fates.alpha = Ramp(sum, Ops::AsFloat(range), Ops::AsFloat(band));
  }

  // RampInBand and AlphaFromRamp in every lane, step for step in single
  // precision, so each lane gets the scalar rule's bits. The distance is
  // float(sqrt(double(s))), which for whole s below 2^24 is sqrt(float(s)):
  // float(s) is exact, and a square root rounded to double and then to float
  // rounds as the float square root does, double carrying more than twice
  // float's 24 bits plus two.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET U32 Ramp(U32 sum, F32 range, F32 band) const {
    const F32 distance = Ops::Sqrt(Ops::ToFloat(sum));
    const F32 hundred = Ops::SplatFloat(100.0f);
    const F32 maximum = Ops::SplatFloat(ramp_max_);
    F32 value = (range - distance) / band;
    value = value * hundred;
    value = value / hundred;
    value = value * maximum;
    // Not above 0 (NaN included) gives 0, the maximum or more the maximum;
    // a float alpha is the value itself, an integer one truncated.
    const Mask positive = Ops::Greater(value, Ops::SplatFloat(0.0f));
    const Mask full = Ops::GreaterEqual(value, maximum);
    const U32 inside = float_alpha_ ? Ops::AsBits(value) : Ops::Truncate(value);
    return Ops::Select(full, Ops::Splat(full_alpha_), Ops::Select(positive, inside, Ops::Splat(0)));
  }

  CellTable& cells_;
  typename Ops::Table32 red_reach_;
  typename Ops::Table32 green_reach_;
  typename Ops::Table32 blue_reach_;
  std::array<EntryLanes, kMaxColourEntries> entries_;
  std::size_t box_count_;
  std::array<BoxLanes, kMaxColourEntries> boxes_;
  EntryLists lists_;
  float ramp_max_;
  bool float_alpha_;          // the alpha is the ramp itself, not truncated
  std::uint32_t full_alpha_;  // the alpha at the ramp maximum, as the lanes hold it
  // The cell of the last vector lying in one cell (its coordinate bits; no
  // lane has other bits set, so ~0 is none), and the cell's word.
  std::uint32_t one_cell_ = ~0u;
  std::uint16_t one_cell_word_ = 0;
};

// Writes a vector's fates back into its pixels and notes its claims.
template <LaneOps Ops, typename Format>
struct StoreFates {
  std::byte* at;
  typename LaneIo<Ops, Format>::Slots slots;
  std::int64_t column;
  RowClaims& claims;

  [[gnu::always_inline]] HUESIEVE_LANES_TARGET void operator()(const Fates<Ops>& fates,
                                                               std::uint32_t claimed) const {
    LaneIo<Ops, Format>::Store(at, slots, fates.cleared, fates.ramped, fates.alpha);
    claims.NoteLanes(column, claimed);
  }
};

// Hands a vector's fates back to the row, which stores them once.
template <LaneOps Ops>
struct ReturnFates {
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET Fates<Ops> operator()(const Fates<Ops>& fates,
                                                                     std::uint32_t) const {
    return fates;
  }
};

// Storing at each way out of Decide compiles the store for what that way
// knows (a vector cleared whole is one store of zeros): 15 to 25 % off the
// AVX2 pass on natural frames. At 16 lanes the store is long enough that its
// copies cost more than they save (12 % on noise with one entry), so there
// the row stores once.
template <LaneOps Ops>
inline constexpr bool kStoreAtEachWayOut = Ops::kLanes < 16;

// One row: whole vectors, then the remaining pixels one at a time. Out of
// place, each vector is copied as it is loaded, so the row is read once.
template <LaneOps Ops, typename Format>
HUESIEVE_LANES_TARGET RowClaims LaneRow(const std::byte* from, std::byte* to, std::int64_t pixels,
                                        FrameRule<Format>& rule) {
  using Io = LaneIo<Ops, Format>;
  constexpr std::int64_t kLanes = Ops::kLanes;
  constexpr std::int64_t kPixelBytes = sizeof(typename Format::Pixel);
  // The row's rule lives on the stack beside the frame's.
  static_assert(sizeof(LaneRule<Ops>) + sizeof(FrameRule<Format>) < 128 * 1024);
  LaneRule<Ops> lanes(rule);
  RowClaims claims;
  LaneStrategy strategy = lanes.FirstStrategyOfRow();
  std::int64_t column = 0;
  const bool copying = from != to;
  for (; column + kLanes <= pixels; column += kLanes) {
    std::byte* at = to + column * kPixelBytes;
    const typename Io::Slots slots = Io::Load(from + column * kPixelBytes);
    if (copying) std::memcpy(at, from + column * kPixelBytes, kLanes * kPixelBytes);
    if constexpr (kStoreAtEachWayOut<Ops>) {
      lanes.Decide(Io::Colours(slots), strategy,
                   StoreFates<Ops, Format>{at, slots, column, claims});
    } else {
      const Fates<Ops> fates = lanes.Decide(Io::Colours(slots), strategy, ReturnFates<Ops>{});
      Io::Store(at, slots, fates.cleared, fates.ramped, fates.alpha);
      claims.NoteLanes(column, Ops::Bits(fates.claimed));
    }
  }
  FateMemo<Format> memo(rule);
  for (; column < pixels; ++column) {
    std::byte* at = to + column * kPixelBytes;
    if (copying) std::memcpy(at, from + column * kPixelBytes, kPixelBytes);
    if (ApplyRuleToPixel(at, memo)) claims.Note(column);
  }
  return claims;
}

}  // namespace huesieve::lanes
