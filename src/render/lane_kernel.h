// The selection pass's row kernel, written once over a vector-operations type
// (lane_ops.h) and instantiated per instruction set. Per vector of slots: a
// vector within one cell takes that cell's word; otherwise the entries'
// colour boxes (while they are cheap and pay) or their per-axis reach rule out
// the slots no entry can claim, a gather of cell words decides most of the
// rest, and the slots left are resolved in all lanes at once by the entries'
// integer thresholds and the rule's own ramp. Where the cell words do not pay,
// the boxes of the entries not usually tried, when they hold no slot, stand in
// for the reach.
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

#include "render/cell_table.h"
#include "render/entry_thresholds.h"
#include "render/frame_rule.h"
#include "render/lane_ops.h"
#include "render/pass_kernels.h"
#include "render/pixel_traits.h"

namespace huesieve::lanes {

// An 8-bit pixel in a 32-bit lane: alpha, red, green, blue from the low byte.
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

// The frame's rule for one vector of slots at a time.
template <LaneOps Ops>
class LaneRule {
 public:
  using U32 = typename Ops::U32;
  using F32 = typename Ops::F32;
  using Mask = typename Ops::Mask;

  struct Fates {
    Mask cleared;  // to become transparent black
    Mask ramped;   // alpha to become `alpha`
    Mask claimed;  // for the bounds
    U32 alpha;     // in the ramped lanes, within the ramp maximum
  };

  template <typename Pixel>
  HUESIEVE_LANES_TARGET explicit LaneRule(FrameRule<Pixel>& rule)
      : cells_(rule.cells()),
        red_reach_(Ops::LoadTable32(rule.cells().red_reach().data())),
        green_reach_(Ops::LoadTable32(rule.cells().green_reach().data())),
        blue_reach_(Ops::LoadTable32(rule.cells().blue_reach().data())),
        ramp_max_(PixelTraits<Pixel>::kRampMax) {
    box_count_ = static_cast<std::size_t>(rule.cells().box_count());
    for (std::size_t i = 0; i < box_count_; ++i) {
      const CellTable::ColourBox& box = rule.cells().boxes()[i];
      boxes_[i] = {Ops::Splat(box.low), Ops::Splat(box.width)};
    }
    Widen(0);
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

  // A vector of 8-bit pixels (16-bit ones brought to the 8-bit scale).
  // `try_boxes`: whether the entries' colour boxes are tried (BoxesPay).
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET Fates Decide(U32 pixels, bool try_boxes) {
    // Footage holds long runs within one cell (flat areas, gradients): then
    // one cell word decides, or names the entries to try, for every lane.
    const U32 coordinates = pixels & Ops::Splat(kCoordinateBits);
    const std::uint32_t first = Ops::FirstLane(coordinates);
    if (Ops::Bits(Ops::Equal(coordinates, Ops::Splat(first))) == Ops::Bits(Ops::AllLanes())) {
      return OneCell(pixels, first);
    }

    // The entries' colour boxes rule a vector out in a few steps.
    if (try_boxes &&
        Ops::Bits(InAnyBox(pixels, box_count_, [](std::size_t i) { return i; })) == 0) {
      return {Ops::AllLanes(), Ops::NoLanes(), Ops::NoLanes(), Ops::Splat(0)};
    }

    // Without cell words, the reach serves only to show that no entry beyond
    // the usual ones may claim a lane; while few entries lie beyond them,
    // their boxes show it in fewer steps.
    if (!cells_pay_ && others_boxes_pay_ &&
        others_count_ <= static_cast<std::size_t>(Ops::kCheaperBoxes)) {
      const Mask inside =
          InAnyBox(pixels, others_count_, [this](std::size_t i) { return others_list_[i]; });
      if (Ops::Bits(inside) == 0) {
        Fates fates{Ops::NoLanes(), Ops::NoLanes(), Ops::NoLanes(), Ops::Splat(0)};
        TryUsual(pixels, Ops::AllLanes(), fates);
        NoteOutcome(fates, Ops::Bits(Ops::AllLanes()));
        return fates;
      }
      others_boxes_pay_ = false;
    }

    // Entries that may claim a colour with each lane's coordinate on every
    // axis; a lane no entry reaches is cleared without a look at the cells.
    const U32 reach = Ops::template Lookup32<kRedCoordinate>(red_reach_, pixels) &
                      Ops::template Lookup32<kGreenCoordinate>(green_reach_, pixels) &
                      Ops::template Lookup32<kBlueCoordinate>(blue_reach_, pixels);
    const Mask reached = Ops::TestAny(reach, CellTable::kEntryMask);
    if (Ops::Bits(reached) == 0) {
      return {Ops::AllLanes(), Ops::NoLanes(), Ops::NoLanes(), Ops::Splat(0)};
    }

    // Where most vectors need the entries tried anyway (noise, feather
    // bands), the cell words save nothing: the reached lanes are tried at once
    // with the entries that reach them, until a few vectors in a row, each
    // with one outcome for all its reached lanes, suggest decided cells again.
    // One such vector is no sign: in noise with feather bands one in ten is
    // so by chance, and a gather for it was wasted and two branches missed.
    if (!cells_pay_) {
      Fates fates{Ops::MaskNot(reached), Ops::NoLanes(), Ops::NoLanes(), Ops::Splat(0)};
      TestEntries(pixels, reach, reached, fates);
      NoteOutcome(fates, Ops::Bits(reached));
      return fates;
    }

    const U32 cell = CellIndex(pixels);
    U32 word = Ops::Gather16(cells_.words(), cell, reached);
    const Mask unknown = Ops::MaskAnd(reached, Ops::TestNone(word, 0xFFFF));
    if (Ops::Bits(unknown) != 0) word = ClassifyAndGather(cell, unknown, reached);
    const Mask tested = Ops::TestAny(word, CellTable::kTest);
    cells_pay_ = Ops::Bits(tested) == 0;
    one_outcome_run_ = 0;
    return FromCellWords(pixels, word, tested);
  }

  // Boxes are worth trying while they cost less than the per-axis reach, from
  // a vector with nothing claimed on, until one with a claim.
  bool BoxesPay(std::uint32_t last_claimed) const {
    return box_count_ <= static_cast<std::size_t>(Ops::kCheaperBoxes) && last_claimed == 0;
  }

 private:
  // Counts the vectors in a row, tried without cell words, whose tried lanes
  // (`tried`) all had one outcome.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET void NoteOutcome(const Fates& fates,
                                                                std::uint32_t tried) {
    const std::uint32_t claimed = Ops::Bits(fates.claimed);
    const bool one_outcome = Ops::Bits(fates.ramped) == 0 && (claimed == 0 || claimed == tried);
    one_outcome_run_ = one_outcome ? one_outcome_run_ + 1 : 0;
    cells_pay_ = one_outcome_run_ >= kOneOutcomeRun;
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
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET Fates OneCell(U32 pixels,
                                                             std::uint32_t coordinates) {
    if (coordinates != one_cell_) {
      one_cell_ = coordinates;
      one_cell_word_ = cells_.Lookup(static_cast<std::int32_t>(LaneCellIndex(coordinates)));
    }
    if ((one_cell_word_ & CellTable::kTest) == 0) {
      const bool claimed = (one_cell_word_ & CellTable::kClaimed) != 0;
      const bool kept = (one_cell_word_ & CellTable::kKeep) != 0;
      return {kept ? Ops::NoLanes() : Ops::AllLanes(), Ops::NoLanes(),
              claimed ? Ops::AllLanes() : Ops::NoLanes(), Ops::Splat(0)};
    }
    return FromCellWords(pixels, Ops::Splat(one_cell_word_), Ops::AllLanes());
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

  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static U32 CellIndex(U32 pixels) {
    constexpr std::uint32_t kAxis = CellTable::kAxisMask;
    const U32 red = (pixels >> (kRedCoordinate - CellTable::kRedPlace)) &
                    Ops::Splat(kAxis << CellTable::kRedPlace);
    const U32 green = (pixels >> (kGreenCoordinate - CellTable::kGreenPlace)) &
                      Ops::Splat(kAxis << CellTable::kGreenPlace);
    const U32 blue = pixels >> (kBlueCoordinate - CellTable::kBluePlace);
    return red | green | blue;
  }

  // The lanes whose cell word decides them, and the entries a word to test
  // names tried in the others.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET Fates FromCellWords(U32 pixels, U32 word,
                                                                   Mask tested) {
    const Mask kept = Ops::TestAny(word, CellTable::kKeep);
    Fates fates{Ops::MaskNot(Ops::MaskOr(kept, tested)), Ops::NoLanes(),
                Ops::TestAny(word, CellTable::kClaimed), Ops::Splat(0)};
    if (Ops::Bits(tested) != 0) TestEntries(pixels, word, tested, fates);
    return fates;
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

  // The entries usually tried grow with a vector that needs one outside them,
  // and start again from that vector's when they would grow past a few.
  HUESIEVE_LANES_TARGET void Widen(std::uint32_t entries) {
    constexpr int kFew = 3;
    usual_ = std::popcount(usual_ | entries) <= kFew ? usual_ | entries : entries;
    usual_count_ = 0;
    for (std::uint32_t left = usual_; left != 0; left &= left - 1) {
      usual_list_[usual_count_++] = static_cast<std::uint8_t>(std::countr_zero(left));
    }
    others_count_ = 0;
    for (std::size_t i = 0; i < box_count_; ++i) {
      if ((usual_ >> cells_.box_entry(static_cast<std::int32_t>(i)) & 1u) == 0) {
        others_list_[others_count_++] = static_cast<std::uint8_t>(i);
      }
    }
  }

  // The rule for the lanes of `tested`, all at once: the entries in order,
  // each claiming the open lanes whose sum lies below its threshold; then
  // enable and feather per lane from the claiming entry. `candidate_bits`
  // holds, in its low bits, a superset of the entries that may claim each
  // lane; the entries tried are a superset of their union, and an entry tried
  // in a lane where it is no candidate claims nothing there, its sum lying at
  // or above its threshold (or, in a cell an earlier entry claims whole, the
  // lane is claimed already).
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET void TestEntries(U32 pixels, U32 candidate_bits,
                                                                Mask tested, Fates& fates) {
    std::uint32_t entries = Ops::OrAcross(candidate_bits, tested) & CellTable::kEntryMask;
    // The entries tried are the usual ones, a superset of these: which
    // entries to load, and how many rounds, need not wait for this vector's
    // union to be worked out, and the rounds end where the branch predictor
    // expects.
    others_boxes_pay_ = (entries & ~usual_) == 0;
    if (!others_boxes_pay_) Widen(entries);
    TryUsual(pixels, tested, fates);
  }

  // The usual entries tried in the lanes of `tested`, where no other entry
  // may claim.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET void TryUsual(U32 pixels, Mask tested,
                                                             Fates& fates) {
    const U32 byte = Ops::Splat(0xFF);
    const Channels pixel{(pixels >> kRedAt) & byte, (pixels >> (kGreenAt - 1)) & Ops::Splat(0x1FE),
                         pixels >> kBlueAt};
    Claiming claiming{tested, Ops::Splat(0), Ops::Splat(0), Ops::Splat(0), Ops::Splat(0)};
    for (std::size_t i = 0; i < usual_count_; ++i) Try(pixel, usual_list_[i], claiming);
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

  // RampInBand and RampToAlpha in every lane, step for step in single
  // precision, so each lane gets the scalar rule's bits. The distance is
  // float(sqrt(double(s))), which for whole s below 2^24 is sqrt(float(s)):
  // float(s) is exact, and a square root rounded to double and then to float
  // rounds as the float square root does, double carrying more than twice
  // float's 24 bits plus two.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET U32 Ramp(U32 sum, F32 range, F32 band) const {
    const F32 distance = Ops::Sqrt(Ops::ToFloat(sum));
    const F32 hundred = Ops::SplatFloat(100.0f);
    const F32 maximum = Ops::SplatFloat(static_cast<float>(ramp_max_));
    F32 value = (range - distance) / band;
    value = value * hundred;
    value = value / hundred;
    value = value * maximum;
    // Not above 0 (NaN included) gives 0, the maximum or more the maximum.
    const Mask positive = Ops::Greater(value, Ops::SplatFloat(0.0f));
    const Mask full = Ops::GreaterEqual(value, maximum);
    return Ops::Select(full, Ops::Splat(ramp_max_),
                       Ops::Select(positive, Ops::Truncate(value), Ops::Splat(0)));
  }

  CellTable& cells_;
  typename Ops::Table32 red_reach_;
  typename Ops::Table32 green_reach_;
  typename Ops::Table32 blue_reach_;
  std::array<EntryLanes, kMaxColourEntries> entries_;
  std::size_t box_count_;
  std::array<BoxLanes, kMaxColourEntries> boxes_;
  std::uint32_t usual_ = 0;
  std::size_t usual_count_ = 0;
  std::array<std::uint8_t, kMaxColourEntries> usual_list_{};
  // The boxes (positions in boxes_) of the entries that can claim but are not
  // usual; an entry without a box never claims.
  std::size_t others_count_ = 0;
  std::array<std::uint8_t, kMaxColourEntries> others_list_{};
  // Whether their boxes are tried: not after a vector with a lane in one of
  // them, which needed the reach as well, until a vector whose candidates
  // are all usual suggests they rule vectors out again.
  bool others_boxes_pay_ = true;
  std::uint32_t ramp_max_;
  bool cells_pay_ = true;
  // Vectors in a row, tried without cell words, each with one outcome.
  static constexpr int kOneOutcomeRun = 4;
  int one_outcome_run_ = 0;
  // The cell of the last vector lying in one cell (its coordinate bits; no
  // lane has other bits set, so ~0 is none), and the cell's word.
  std::uint32_t one_cell_ = ~0u;
  std::uint16_t one_cell_word_ = 0;
};

// One row: whole vectors, then the remaining slots one at a time.
template <LaneOps Ops, typename Pixel>
HUESIEVE_LANES_TARGET RowClaims LaneRow(std::byte* row, std::int64_t slots,
                                        FrameRule<Pixel>& rule) {
  constexpr std::int64_t kLanes = Ops::kLanes;
  // The row's rule lives on the stack beside the frame's.
  static_assert(sizeof(LaneRule<Ops>) + sizeof(FrameRule<Pixel>) < 128 * 1024);
  LaneRule<Ops> lanes(rule);
  RowClaims claims;
  bool try_boxes = lanes.BoxesPay(0);
  std::int64_t column = 0;
  for (; column + kLanes <= slots; column += kLanes) {
    std::byte* at = row + column * std::int64_t{sizeof(Pixel)};
    std::uint32_t claimed;
    if constexpr (sizeof(Pixel) == 8) {
      const typename Ops::Slots16 pixels = Ops::Load16(at);
      const auto fates = lanes.Decide(Ops::ToBytes(pixels), try_boxes);
      Ops::Store16(at, pixels, fates.cleared, fates.ramped, fates.alpha);
      claimed = Ops::Bits(fates.claimed);
    } else {
      const typename Ops::U32 pixels = Ops::Load8(at);
      const auto fates = lanes.Decide(pixels, try_boxes);
      Ops::Store8(at, pixels, fates.cleared, fates.ramped, fates.alpha);
      claimed = Ops::Bits(fates.claimed);
    }
    claims.NoteLanes(column, claimed);
    try_boxes = lanes.BoxesPay(claimed);
  }
  FateMemo<Pixel> memo(rule);
  for (; column < slots; ++column) {
    if (ApplyRuleToSlot(row + column * std::int64_t{sizeof(Pixel)}, memo)) claims.Note(column);
  }
  return claims;
}

}  // namespace huesieve::lanes
