// Where a vector's outcomes are written back. Stored at each way out of
// LaneRule::Decide, the store is compiled for what that way knows: a vector
// cleared whole is one store of zeros, with no masks to blend. Each way out
// then holds a copy of the store; with 8 lanes the copies pay, but at 16 the
// store spans several registers and its copies cost more than they save, so
// there the row stores once, after the vector is decided.
// Measured in docs/speed.md.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/lane_modes.h"
#include "core/lane_ops.h"
#include "core/lane_outcomes.h"
#include "core/lane_pixel_io.h"
#include "core/lane_target.h"
#include "core/pass_kernels.h"

namespace huesieve::lanes {

template <LaneOps Ops>
inline constexpr bool kStoreAtEachWayOut = Ops::kLanes < 16;

// Writes a vector's outcomes back into its pixels, as the rule's modes say,
// and notes its claims. `source` is the vector's source pixels.
template <LaneOps Ops, typename Format, RuleModes kModes>
struct StoreOutcomes {
  std::byte* at;
  const std::byte* source;
  typename LaneIo<Ops, Format>::Slots slots;
  std::int64_t column;
  RowClaims& claims;

  [[gnu::always_inline]] HUESIEVE_LANES_TARGET void operator()(const LaneOutcomes<Ops>& outcomes,
                                                               std::uint32_t claimed) const {
    ModalIo<Ops, Format, kModes>::Store(at, source, slots, outcomes.cleared, outcomes.ramped,
                                        outcomes.alpha);
    claims.NoteLanes(column, claimed);
  }
};

// Hands a vector's outcomes back to the row, which stores them once.
template <LaneOps Ops>
struct ReturnOutcomes {
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET LaneOutcomes<Ops> operator()(
      const LaneOutcomes<Ops>& outcomes, std::uint32_t) const {
    return outcomes;
  }
};

}  // namespace huesieve::lanes
