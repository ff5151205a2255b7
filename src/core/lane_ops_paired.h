// Lane operations on twice the lanes of another operations type, each
// operation applied to the two halves. Where the per-vector work of the lane
// kernel (its route through a vector, the branches, the bounds) costs as much
// as the lanes' own, twice the lanes halve it per pixel: WebAssembly SIMD's
// 128-bit vectors are paired this way, and the pairs paired again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include "core/lane_ops.h"

namespace huesieve {

template <typename Half>
struct PairedOps : GnuLanes<2 * Half::kLanes> {
  using U32 = typename GnuLanes<2 * Half::kLanes>::U32;
  using F32 = typename GnuLanes<2 * Half::kLanes>::F32;
  static constexpr int kCheaperBoxes = Half::kCheaperBoxes;
  struct Mask {
    typename Half::Mask low, high;
  };
  using Table32 = typename Half::Table32;
  struct Slots16 {
    typename Half::Slots16 low, high;
  };
  struct SlotsFloat {
    typename Half::SlotsFloat low, high;
  };

  [[gnu::always_inline]] static U32 Splat(std::uint32_t value) {
    return Join(Half::Splat(value), Half::Splat(value));
  }
  [[gnu::always_inline]] static Mask TestAny(U32 a, std::uint32_t bits) {
    return {Half::TestAny(Low(a), bits), Half::TestAny(High(a), bits)};
  }
  [[gnu::always_inline]] static Mask TestNone(U32 a, std::uint32_t bits) {
    return {Half::TestNone(Low(a), bits), Half::TestNone(High(a), bits)};
  }
  [[gnu::always_inline]] static Mask Less(U32 a, U32 b) {
    return {Half::Less(Low(a), Low(b)), Half::Less(High(a), High(b))};
  }
  [[gnu::always_inline]] static Mask Equal(U32 a, U32 b) {
    return {Half::Equal(Low(a), Low(b)), Half::Equal(High(a), High(b))};
  }
  [[gnu::always_inline]] static std::uint32_t FirstLane(U32 a) { return a[0]; }
  [[gnu::always_inline]] static U32 Select(Mask mask, U32 yes, U32 no) {
    return Join(Half::Select(mask.low, Low(yes), Low(no)),
                Half::Select(mask.high, High(yes), High(no)));
  }
  [[gnu::always_inline]] static U32 OutsideBox(U32 a, U32 low, U32 width) {
    return Join(Half::OutsideBox(Low(a), Low(low), Low(width)),
                Half::OutsideBox(High(a), High(low), High(width)));
  }
  [[gnu::always_inline]] static std::uint32_t OrAcross(U32 a, Mask mask) {
    return Half::OrAcross(Low(a), mask.low) | Half::OrAcross(High(a), mask.high);
  }
  [[gnu::always_inline]] static void StoreLanes(std::uint32_t* lanes, U32 a) {
    Half::StoreLanes(lanes, Low(a));
    Half::StoreLanes(lanes + Half::kLanes, High(a));
  }

  [[gnu::always_inline]] static Table32 LoadTable32(const std::uint16_t* entries) {
    return Half::LoadTable32(entries);
  }
  template <int kShift>
  [[gnu::always_inline]] static U32 Lookup32(const Table32& table, U32 a) {
    return Join(Half::template Lookup32<kShift>(table, Low(a)),
                Half::template Lookup32<kShift>(table, High(a)));
  }
  [[gnu::always_inline]] static U32 Gather16(const std::uint16_t* words, U32 index, Mask mask) {
    return Join(Half::Gather16(words, Low(index), mask.low),
                Half::Gather16(words, High(index), mask.high));
  }
  [[gnu::always_inline]] static U32 GatherBytes32(const std::byte* from, U32 offsets) {
    return Join(Half::GatherBytes32(from, Low(offsets)), Half::GatherBytes32(from, High(offsets)));
  }

  [[gnu::always_inline]] static Mask AllLanes() { return {Half::AllLanes(), Half::AllLanes()}; }
  [[gnu::always_inline]] static Mask NoLanes() { return {Half::NoLanes(), Half::NoLanes()}; }
  [[gnu::always_inline]] static Mask MaskAnd(Mask a, Mask b) {
    return {Half::MaskAnd(a.low, b.low), Half::MaskAnd(a.high, b.high)};
  }
  [[gnu::always_inline]] static Mask MaskOr(Mask a, Mask b) {
    return {Half::MaskOr(a.low, b.low), Half::MaskOr(a.high, b.high)};
  }
  [[gnu::always_inline]] static Mask MaskAndNot(Mask a, Mask b) {
    return {Half::MaskAndNot(a.low, b.low), Half::MaskAndNot(a.high, b.high)};
  }
  [[gnu::always_inline]] static Mask MaskNot(Mask a) {
    return {Half::MaskNot(a.low), Half::MaskNot(a.high)};
  }
  [[gnu::always_inline]] static std::uint32_t Bits(Mask a) {
    return Half::Bits(a.low) | Half::Bits(a.high) << Half::kLanes;
  }

  [[gnu::always_inline]] static F32 SplatFloat(float value) {
    return Join(Half::SplatFloat(value), Half::SplatFloat(value));
  }
  [[gnu::always_inline]] static F32 AsFloat(U32 a) { return (F32)a; }
  [[gnu::always_inline]] static U32 AsBits(F32 a) { return (U32)a; }
  [[gnu::always_inline]] static F32 ToFloat(U32 a) {
    return Join(Half::ToFloat(Low(a)), Half::ToFloat(High(a)));
  }
  [[gnu::always_inline]] static F32 Sqrt(F32 a) {
    return Join(Half::Sqrt(Low(a)), Half::Sqrt(High(a)));
  }
  [[gnu::always_inline]] static Mask Greater(F32 a, F32 b) {
    return {Half::Greater(Low(a), Low(b)), Half::Greater(High(a), High(b))};
  }
  [[gnu::always_inline]] static Mask GreaterEqual(F32 a, F32 b) {
    return {Half::GreaterEqual(Low(a), Low(b)), Half::GreaterEqual(High(a), High(b))};
  }
  [[gnu::always_inline]] static U32 Truncate(F32 a) {
    return Join(Half::Truncate(Low(a)), Half::Truncate(High(a)));
  }

  [[gnu::always_inline]] static U32 Load8(const std::byte* at) {
    return Join(Half::Load8(at), Half::Load8(at + 4 * Half::kLanes));
  }
  template <int kAlphaAt = 0>
  [[gnu::always_inline]] static void Store8(std::byte* at, U32 pixels, Mask cleared, Mask ramped,
                                            U32 alpha) {
    Half::template Store8<kAlphaAt>(at, Low(pixels), cleared.low, ramped.low, Low(alpha));
    Half::template Store8<kAlphaAt>(at + 4 * Half::kLanes, High(pixels), cleared.high, ramped.high,
                                    High(alpha));
  }
  [[gnu::always_inline]] static Slots16 Load16(const std::byte* at) {
    return {Half::Load16(at), Half::Load16(at + 8 * Half::kLanes)};
  }
  [[gnu::always_inline]] static U32 ToBytes(const Slots16& slots) {
    return Join(Half::ToBytes(slots.low), Half::ToBytes(slots.high));
  }
  [[gnu::always_inline]] static U32 ToBytes65535(const Slots16& slots) {
    return Join(Half::ToBytes65535(slots.low), Half::ToBytes65535(slots.high));
  }
  template <int kAlphaAt = 0>
  [[gnu::always_inline]] static void Store16(std::byte* at, const Slots16& slots, Mask cleared,
                                             Mask ramped, U32 alpha) {
    Half::template Store16<kAlphaAt>(at, slots.low, cleared.low, ramped.low, Low(alpha));
    Half::template Store16<kAlphaAt>(at + 8 * Half::kLanes, slots.high, cleared.high, ramped.high,
                                     High(alpha));
  }
  [[gnu::always_inline]] static SlotsFloat LoadFloat(const std::byte* at) {
    return {Half::LoadFloat(at), Half::LoadFloat(at + 16 * Half::kLanes)};
  }
  [[gnu::always_inline]] static U32 ToBytesFloat(const SlotsFloat& slots) {
    return Join(Half::ToBytesFloat(slots.low), Half::ToBytesFloat(slots.high));
  }
  template <int kChannel>
  [[gnu::always_inline]] static U32 FloatChannel(const SlotsFloat& slots) {
    return Join(Half::template FloatChannel<kChannel>(slots.low),
                Half::template FloatChannel<kChannel>(slots.high));
  }
  [[gnu::always_inline]] static void StoreFloat(std::byte* at, const SlotsFloat& slots,
                                                Mask cleared, Mask ramped, U32 alpha) {
    Half::StoreFloat(at, slots.low, cleared.low, ramped.low, Low(alpha));
    Half::StoreFloat(at + 16 * Half::kLanes, slots.high, cleared.high, ramped.high, High(alpha));
  }

 private:
  using HalfU32 = typename Half::U32;
  using HalfF32 = typename Half::F32;
  static constexpr auto kHalf = std::make_index_sequence<Half::kLanes>();
  static constexpr auto kWhole = std::make_index_sequence<2 * Half::kLanes>();
  template <typename Vector, std::size_t... kLane>
  [[gnu::always_inline]] static auto LowLanes(Vector a, std::index_sequence<kLane...>) {
    return __builtin_shufflevector(a, a, kLane...);
  }
  template <typename Vector, std::size_t... kLane>
  [[gnu::always_inline]] static auto HighLanes(Vector a, std::index_sequence<kLane...>) {
    return __builtin_shufflevector(a, a, (kLane + Half::kLanes)...);
  }
  template <typename Vector, std::size_t... kLane>
  [[gnu::always_inline]] static auto JoinLanes(Vector low, Vector high,
                                               std::index_sequence<kLane...>) {
    return __builtin_shufflevector(low, high, kLane...);
  }
  [[gnu::always_inline]] static HalfU32 Low(U32 a) { return LowLanes(a, kHalf); }
  [[gnu::always_inline]] static HalfU32 High(U32 a) { return HighLanes(a, kHalf); }
  [[gnu::always_inline]] static HalfF32 Low(F32 a) { return LowLanes(a, kHalf); }
  [[gnu::always_inline]] static HalfF32 High(F32 a) { return HighLanes(a, kHalf); }
  [[gnu::always_inline]] static U32 Join(HalfU32 low, HalfU32 high) {
    return JoinLanes(low, high, kWhole);
  }
  [[gnu::always_inline]] static F32 Join(HalfF32 low, HalfF32 high) {
    return JoinLanes(low, high, kWhole);
  }
};

}  // namespace huesieve
