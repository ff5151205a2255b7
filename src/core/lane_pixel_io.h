// Each pixel format's pixels into lanes of the lane kernel's one layout, and
// the lanes' outcomes back into the format.
#pragma once

#include <cstddef>
#include <type_traits>

#include "core/lane_ops.h"
#include "core/lane_target.h"
#include "core/pixel_formats.h"

namespace huesieve::lanes {

// A format's pixels in and out of lanes, over the instruction set's slot
// operations for its sample type: Load the slots of a vector, Colours in the
// lane layout (lane_layout.h), Store the lanes' outcomes back: cleared lanes
// become transparent black, ramped ones take their lane of `alpha`.
template <LaneOps Ops, typename Format>
struct LaneIo {
  using Sample = typename Format::Sample;
  static constexpr bool kFloat = std::is_floating_point_v<Sample>;
  static constexpr bool kShort = sizeof(Sample) == 2;
  using Slots =
      std::conditional_t<kFloat, typename Ops::SlotsFloat,
                         std::conditional_t<kShort, typename Ops::Slots16, typename Ops::U32>>;
  // Where alpha lies in a slot, in bits: 0 in ARGB order.
  static constexpr int kAlphaAt = Format::kAlpha * 8 * static_cast<int>(sizeof(Sample));

  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static Slots Load(const std::byte* at) {
    if constexpr (kFloat) {
      return Ops::LoadFloat(at);
    } else if constexpr (kShort) {
      return Ops::Load16(at);
    } else {
      return Ops::Load8(at);
    }
  }

  // Each channel a byte as the format converts it; with red in the low byte
  // (RGBA order), the colour lanes are those bytes turned by one.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static typename Ops::U32 Colours(
      const Slots& slots) {
    typename Ops::U32 bytes;
    if constexpr (kFloat) {
      bytes = Ops::ToBytesFloat(slots);
    } else if constexpr (kShort && Format::kRampMax == 32768) {
      bytes = Ops::ToBytes(slots);
    } else if constexpr (kShort) {
      bytes = Ops::ToBytes65535(slots);
    } else {
      bytes = slots;
    }
    if constexpr (Format::kRed == 0) {
      return bytes << 8 | bytes >> 24;
    } else {
      return bytes;
    }
  }

  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static void Store(std::byte* at, const Slots& slots,
                                                                 typename Ops::Mask cleared,
                                                                 typename Ops::Mask ramped,
                                                                 typename Ops::U32 alpha) {
    if constexpr (kFloat) {
      Ops::StoreFloat(at, slots, cleared, ramped, alpha);
    } else if constexpr (kShort) {
      Ops::template Store16<kAlphaAt>(at, slots, cleared, ramped, alpha);
    } else {
      Ops::template Store8<kAlphaAt>(at, slots, cleared, ramped, alpha);
    }
  }
};

}  // namespace huesieve::lanes
