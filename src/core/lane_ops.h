// What the lane kernel asks of an instruction set: a thin vector-operations
// type. Lane arithmetic is written as operators on the type's vectors (GNU
// vector types in the instruction-set types, which the compiler turns into
// that set's instructions); what differs between instruction sets (masks,
// comparisons, lookups, gathers, conversions, loads and stores) is a function
// of the type, each wrapping its instructions one for one. The contract of
// every operation is stated here, once: the instruction-set types follow it,
// and the emulated wide type of the tests computes it in plain code, so a
// kernel that is right over the emulation is right over every type that keeps
// the contract.
//
// Lanes are 32 bits; lane i of a vector belongs to slot i of the vector's
// slots. A Mask holds one flag per lane; Bits(m) has bit i set for lane i.
// "Unspecified" bits may hold anything; the kernel never reads them.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>

namespace huesieve {

// The lane vectors of the instruction-set types: GNU vector types, whose
// operators the compiler turns into the instructions of the function's target.
template <int kCount>
struct GnuLanes {
  static constexpr int kLanes = kCount;
  typedef std::uint32_t U32 __attribute__((vector_size(4 * kCount)));
  typedef float F32 __attribute__((vector_size(4 * kCount)));
};

template <typename Ops>
concept LaneOps = requires(typename Ops::U32 u, typename Ops::F32 f, typename Ops::Mask m,
                           const typename Ops::Table32& table32,
                           const typename Ops::Slots16& slots16,
                           const typename Ops::SlotsFloat& slots_float, std::byte* at,
                           const std::byte* from, std::uint32_t n, float x,
                           const std::uint16_t* words, std::uint32_t* lanes) {
  { Ops::kLanes } -> std::convertible_to<int>;
  // Up to how many entries their colour boxes (OutsideBox) rule a vector out
  // at less cost than the three Lookup32 of the per-axis reach.
  { Ops::kCheaperBoxes } -> std::convertible_to<int>;

  // 32-bit integer lanes: + - * (the low 32 bits), & |, and logical shifts
  // by a constant below 32, lane by lane.
  { u + u } -> std::same_as<typename Ops::U32>;
  { u - u } -> std::same_as<typename Ops::U32>;
  { u* u } -> std::same_as<typename Ops::U32>;
  { u& u } -> std::same_as<typename Ops::U32>;
  { u | u } -> std::same_as<typename Ops::U32>;
  { u >> 3 } -> std::same_as<typename Ops::U32>;
  { u << 3 } -> std::same_as<typename Ops::U32>;
  { Ops::Splat(n) } -> std::same_as<typename Ops::U32>;
  // Lanes whose value shares a bit with `n` (n below 2^31) / shares none.
  { Ops::TestAny(u, n) } -> std::same_as<typename Ops::Mask>;
  { Ops::TestNone(u, n) } -> std::same_as<typename Ops::Mask>;
  // Lanes where a < b; both operands below 2^31.
  { Ops::Less(u, u) } -> std::same_as<typename Ops::Mask>;
  { Ops::Equal(u, u) } -> std::same_as<typename Ops::Mask>;
  { Ops::FirstLane(u) } -> std::same_as<std::uint32_t>;  // lane 0
  // Select(m, yes, no): yes in the lanes of m, no elsewhere.
  { Ops::Select(m, u, u) } -> std::same_as<typename Ops::U32>;
  // Per byte of each lane, how far (a - low) mod 256 lies above `width`, or
  // 0: a lane is 0 exactly when each of its bytes lies in its low..low+width.
  { Ops::OutsideBox(u, u, u) } -> std::same_as<typename Ops::U32>;
  // The OR of the lanes of m; 0 when m is empty.
  { Ops::OrAcross(u, m) } -> std::same_as<std::uint32_t>;
  // Every lane in order, to the kLanes values at `lanes`.
  { Ops::StoreLanes(lanes, u) } -> std::same_as<void>;

  // Lookups. Lookup32<s>(t, u): bits 0..15 of lane i hold entry
  // (u_i >> s) & 31 of the 32 16-bit entries of t; bits 16..31 unspecified.
  // Gather16(words, u, m): in the lanes of m, bits 0..15 hold words[u_i] and
  // bits 16..31 are unspecified (words[u_i + 1] is read, so it must exist);
  // 0 in the other lanes.
  { Ops::LoadTable32(words) } -> std::same_as<typename Ops::Table32>;
  { Ops::template Lookup32<11>(table32, u) } -> std::same_as<typename Ops::U32>;
  { Ops::Gather16(words, u, m) } -> std::same_as<typename Ops::U32>;
  // GatherBytes32(from, u): lane i holds the 32 bits at from + u_i, read
  // little-endian, in every lane (each u_i below 2^31).
  { Ops::GatherBytes32(from, u) } -> std::same_as<typename Ops::U32>;

  // Masks.
  { Ops::AllLanes() } -> std::same_as<typename Ops::Mask>;
  { Ops::NoLanes() } -> std::same_as<typename Ops::Mask>;
  { Ops::MaskAnd(m, m) } -> std::same_as<typename Ops::Mask>;
  { Ops::MaskOr(m, m) } -> std::same_as<typename Ops::Mask>;
  { Ops::MaskAndNot(m, m) } -> std::same_as<typename Ops::Mask>;  // a and not b
  { Ops::MaskNot(m) } -> std::same_as<typename Ops::Mask>;
  { Ops::Bits(m) } -> std::same_as<std::uint32_t>;

  // Single-precision lanes: - * /, each rounded once as IEEE 754 says, so lane
  // by lane they give the bits of the same scalar operation.
  { f - f } -> std::same_as<typename Ops::F32>;
  { f* f } -> std::same_as<typename Ops::F32>;
  { f / f } -> std::same_as<typename Ops::F32>;
  { Ops::SplatFloat(x) } -> std::same_as<typename Ops::F32>;
  { Ops::AsFloat(u) } -> std::same_as<typename Ops::F32>;  // the same bits
  { Ops::AsBits(f) } -> std::same_as<typename Ops::U32>;
  { Ops::ToFloat(u) } -> std::same_as<typename Ops::F32>;  // every u_i below 2^31
  { Ops::Sqrt(f) } -> std::same_as<typename Ops::F32>;     // correctly rounded
  // Ordered comparisons: false where either operand is NaN.
  { Ops::Greater(f, f) } -> std::same_as<typename Ops::Mask>;
  { Ops::GreaterEqual(f, f) } -> std::same_as<typename Ops::Mask>;
  // Toward zero; 0x80000000 where the value is NaN or beyond the 32-bit range.
  { Ops::Truncate(f) } -> std::same_as<typename Ops::U32>;

  // Slots: the pixels of a vector as stored, one a lane; the kernel's LaneIo
  // maps each pixel format onto these. Load8: kLanes 4-byte slots, lane i =
  // slot i read little-endian. Load16: kLanes 8-byte slots of four 16-bit
  // channels; ToBytes brings each channel to a byte as After Effects'
  // 16-bit format does (full at 32768), ToBytes65535 as 16-bit RGBA does
  // (full at 65535), lane i holding slot i's channels in their order from the
  // low byte (the byte of the alpha channel unspecified). LoadFloat: kLanes
  // 16-byte slots of four floats; ToBytesFloat brings each to a byte as the
  // float format does, likewise. Store8<kAlphaAt>, Store16<kAlphaAt> and
  // StoreFloat write the lanes' outcomes back: a cleared lane's slot becomes
  // transparent black; otherwise a ramped lane's slot gets its lane of
  // `alpha` (which fits the channel; float bits for StoreFloat) as its alpha,
  // at bit kAlphaAt of the slot, or as the fourth float; every other slot
  // keeps its value (it may be written back unchanged).
  { Ops::Load8(from) } -> std::same_as<typename Ops::U32>;
  { Ops::Load16(from) } -> std::same_as<typename Ops::Slots16>;
  { Ops::ToBytes(slots16) } -> std::same_as<typename Ops::U32>;
  { Ops::Store8(at, u, m, m, u) } -> std::same_as<void>;
  { Ops::template Store8<24>(at, u, m, m, u) } -> std::same_as<void>;
  { Ops::ToBytes65535(slots16) } -> std::same_as<typename Ops::U32>;
  { Ops::Store16(at, slots16, m, m, u) } -> std::same_as<void>;
  { Ops::template Store16<48>(at, slots16, m, m, u) } -> std::same_as<void>;
  { Ops::LoadFloat(from) } -> std::same_as<typename Ops::SlotsFloat>;
  { Ops::ToBytesFloat(slots_float) } -> std::same_as<typename Ops::U32>;
  // FloatChannel<c>: lane i holds the bits of float c of slot i.
  { Ops::template FloatChannel<3>(slots_float) } -> std::same_as<typename Ops::U32>;
  { Ops::StoreFloat(at, slots_float, m, m, u) } -> std::same_as<void>;
};

}  // namespace huesieve
