// The selection pass's row kernel, written once over a vector-operations type
// (lane_ops.h) and instantiated per instruction set and pixel format. Every
// format's pixels are brought into lanes of one layout, an 8-bit colour each,
// decided there, and their outcomes written back in the format. One job a
// file:
//   lane_target.h     the instruction set each function is compiled for
//   lane_layout.h     a colour in a 32-bit lane, and its cell index
//   lane_pixel_io.h   each pixel format's pixels into lanes and back
//   lane_modes.h      the rule's modes: sRGB decision lanes, faded alpha
//   lane_outcomes.h   what becomes of each lane; the entries tried in all
//                     lanes at once, and the ramp
//   lane_rule.h       the six ways a vector is decided
//   lane_strategy.h   which way the next vector tries first
//   lane_store.h      where a vector's outcomes are stored
//   lane_kernel.h     the row loop
// The per-vector steps are inlined into the row loop, whatever the compiler's
// size limits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/cell_cache.h"
#include "core/colour_outcome.h"
#include "core/frame_rule.h"
#include "core/lane_modes.h"
#include "core/lane_ops.h"
#include "core/lane_outcomes.h"
#include "core/lane_pixel_io.h"
#include "core/lane_rule.h"
#include "core/lane_store.h"
#include "core/lane_strategy.h"
#include "core/lane_target.h"
#include "core/last_colour_memo.h"
#include "core/pass_kernels.h"

namespace huesieve::lanes {

// One vector: ruled out by the mode's prefilter, if it has one, or decided
// by the rule from its decision colours.
template <typename Modal, LaneOps Ops, typename Apply>
[[gnu::always_inline]] inline HUESIEVE_LANES_TARGET decltype(auto) DecideVector(
    LaneRule<Ops>& lanes, LaneStrategy& strategy, const typename Modal::Prefilter& prefilter,
    const std::byte* source, const typename Modal::Slots& slots, const SrgbDecisionTables* srgb,
    Apply apply) {
  if constexpr (Modal::kPrefiltered) {
    if (prefilter.NoneReached(slots)) return lanes.Unreached(strategy, apply);
  }
  return lanes.Decide(Modal::Colours(source, slots, srgb), strategy, apply);
}

// One row: whole vectors, then the remaining pixels one at a time. Out of
// place, each vector is copied as it is loaded, so the row is read once.
template <LaneOps Ops, typename Format, RuleModes kModes = RuleModes{}>
HUESIEVE_LANES_TARGET RowClaims LaneRow(const std::byte* from, std::byte* to, std::int64_t pixels,
                                        const FrameRule<Format>& rule, CellCache& cache) {
  using Io = LaneIo<Ops, Format>;
  using Modal = ModalIo<Ops, Format, kModes>;
  constexpr std::int64_t kLanes = Ops::kLanes;
  constexpr std::int64_t kPixelBytes = sizeof(typename Format::Pixel);
  // The row's rule lives on the stack beside the frame's and the cache.
  static_assert(sizeof(LaneRule<Ops>) + sizeof(FrameRule<Format>) + sizeof(CellCache) < 128 * 1024);
  LaneRule<Ops> lanes(rule, cache);
  RowClaims claims;
  LaneStrategy strategy = lanes.FirstStrategyOfRow();
  std::int64_t column = 0;
  const bool copying = from != to;
  const SrgbDecisionTables* srgb =
      kModes.judge == JudgeColours::kSrgbEncoded ? &SrgbTables() : nullptr;
  const typename Modal::Prefilter prefilter(rule.cells(), srgb);
  for (; column + kLanes <= pixels; column += kLanes) {
    std::byte* at = to + column * kPixelBytes;
    const std::byte* source = from + column * kPixelBytes;
    const typename Io::Slots slots = Io::Load(source);
    if (copying) std::memcpy(at, source, kLanes * kPixelBytes);
    if constexpr (kStoreAtEachWayOut<Ops>) {
      DecideVector<Modal>(lanes, strategy, prefilter, source, slots, srgb,
                          StoreOutcomes<Ops, Format, kModes>{at, source, slots, column, claims});
    } else {
      const LaneOutcomes<Ops> outcomes = DecideVector<Modal>(lanes, strategy, prefilter, source,
                                                             slots, srgb, ReturnOutcomes<Ops>{});
      Modal::Store(at, source, slots, outcomes.cleared, outcomes.ramped, outcomes.alpha);
      claims.NoteLanes(column, Ops::Bits(outcomes.claimed));
    }
  }
  LastColourMemo<ColourOutcome> memo;
  for (; column < pixels; ++column) {
    std::byte* at = to + column * kPixelBytes;
    if (copying) std::memcpy(at, from + column * kPixelBytes, kPixelBytes);
    if (ApplyRuleToPixel<Format, kModes>(at, rule, cache, memo, srgb)) claims.Note(column);
  }
  return claims;
}

}  // namespace huesieve::lanes
