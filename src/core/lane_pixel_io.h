// Each pixel format's pixels into lanes of the lane kernel's one layout, and
// the lanes' outcomes back into the format.
#pragma once

#include <cstddef>

#include "core/lane_ops.h"
#include "core/lane_target.h"
#include "core/pixel_formats.h"

namespace huesieve::lanes {

// A format's pixels in and out of lanes, over the instruction set's slot
// operations: Load the slots of a vector, Colours in the lane layout
// (lane_layout.h), Store the lanes' outcomes back: cleared lanes become
// transparent black, ramped ones take their lane of `alpha`.
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

}  // namespace huesieve::lanes
