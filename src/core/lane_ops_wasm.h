// The lane operations on WebAssembly SIMD (simd128): 4 lanes in a 128-bit
// vector, masks as lanes of all ones. WebAssembly has no gather and no wide
// permute: Gather16 loads lane by lane, and Lookup32 picks bytes from the four
// 16-byte quarters of the table with byte swizzles, which give 0 for an index
// outside their quarter.
#pragma once

#include <wasm_simd128.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/lane_ops.h"

#define HUESIEVE_WASM [[gnu::always_inline]]

namespace huesieve {

struct WasmSimdOps : GnuLanes<4> {
  // A box is two byte operations; the reach's three lookups take four
  // swizzles each: the boxes are cheaper for every entry.
  static constexpr int kCheaperBoxes = 10;
  using Mask = v128_t;  // all ones in a set lane, zero elsewhere
  // The 32 16-bit entries as four 16-byte quarters.
  struct Table32 {
    v128_t quarters[4];
  };
  // Slots 0 and 1, then 2 and 3.
  struct Slots16 {
    v128_t low, high;
  };
  // One slot of four floats a vector.
  struct SlotsFloat {
    v128_t slots[4];
  };

  HUESIEVE_WASM static U32 Splat(std::uint32_t value) { return Lanes(wasm_u32x4_splat(value)); }
  HUESIEVE_WASM static Mask TestAny(U32 a, std::uint32_t bits) {
    return wasm_i32x4_ne(Raw(a & Splat(bits)), wasm_i32x4_const_splat(0));
  }
  HUESIEVE_WASM static Mask TestNone(U32 a, std::uint32_t bits) {
    return wasm_i32x4_eq(Raw(a & Splat(bits)), wasm_i32x4_const_splat(0));
  }
  // Both operands below 2^31: the signed comparison is the unsigned one.
  HUESIEVE_WASM static Mask Less(U32 a, U32 b) { return wasm_i32x4_lt(Raw(a), Raw(b)); }
  HUESIEVE_WASM static Mask Equal(U32 a, U32 b) { return wasm_i32x4_eq(Raw(a), Raw(b)); }
  HUESIEVE_WASM static std::uint32_t FirstLane(U32 a) { return a[0]; }
  HUESIEVE_WASM static U32 Select(Mask mask, U32 yes, U32 no) {
    return Lanes(wasm_v128_bitselect(Raw(yes), Raw(no), mask));
  }
  HUESIEVE_WASM static U32 OutsideBox(U32 a, U32 low, U32 width) {
    return Lanes(wasm_u8x16_sub_sat(wasm_i8x16_sub(Raw(a), Raw(low)), Raw(width)));
  }
  HUESIEVE_WASM static std::uint32_t OrAcross(U32 a, Mask mask) {
    v128_t lanes = wasm_v128_and(Raw(a), mask);
    lanes = wasm_v128_or(lanes, wasm_i32x4_shuffle(lanes, lanes, 2, 3, 0, 1));
    lanes = wasm_v128_or(lanes, wasm_i32x4_shuffle(lanes, lanes, 1, 0, 3, 2));
    return wasm_u32x4_extract_lane(lanes, 0);
  }
  HUESIEVE_WASM static void StoreLanes(std::uint32_t* lanes, U32 a) {
    wasm_v128_store(lanes, Raw(a));
  }

  HUESIEVE_WASM static Table32 LoadTable32(const std::uint16_t* entries) {
    return {{wasm_v128_load(entries), wasm_v128_load(entries + 8), wasm_v128_load(entries + 16),
             wasm_v128_load(entries + 24)}};
  }
  // Lane i's two low bytes take the bytes 2e and 2e + 1 of the table, e its
  // entry; its two high bytes index nothing (0x80 stays outside every
  // quarter, after any of the quarters' offsets is taken off).
  template <int kShift>
  HUESIEVE_WASM static U32 Lookup32(const Table32& table, U32 a) {
    static_assert(kShift >= 4 && kShift <= 27);
    const U32 first_byte = ((a >> kShift) & Splat(31)) << 1;
    const v128_t bytes = Raw(first_byte * Splat(0x0101) + Splat(0x80800100));
    v128_t entry = wasm_i8x16_swizzle(table.quarters[0], bytes);
    for (int quarter = 1; quarter < 4; ++quarter) {
      const v128_t in_quarter =
          wasm_i8x16_sub(bytes, wasm_i8x16_splat(static_cast<std::int8_t>(16 * quarter)));
      entry = wasm_v128_or(entry, wasm_i8x16_swizzle(table.quarters[quarter], in_quarter));
    }
    return Lanes(entry);
  }
  // Lanes outside the mask read word 0, which always exists, and are then
  // cleared: four loads without a branch.
  HUESIEVE_WASM static U32 Gather16(const std::uint16_t* words, U32 index, Mask mask) {
    const U32 safe = Select(mask, index, Splat(0));
    v128_t gathered = wasm_i32x4_const_splat(0);
    gathered = wasm_v128_load16_lane(words + safe[0], gathered, 0);
    gathered = wasm_v128_load16_lane(words + safe[1], gathered, 2);
    gathered = wasm_v128_load16_lane(words + safe[2], gathered, 4);
    gathered = wasm_v128_load16_lane(words + safe[3], gathered, 6);
    return Lanes(wasm_v128_and(gathered, mask));
  }
  HUESIEVE_WASM static U32 GatherBytes32(const std::byte* from, U32 offsets) {
    v128_t gathered = wasm_i32x4_const_splat(0);
    gathered = wasm_v128_load32_lane(from + offsets[0], gathered, 0);
    gathered = wasm_v128_load32_lane(from + offsets[1], gathered, 1);
    gathered = wasm_v128_load32_lane(from + offsets[2], gathered, 2);
    gathered = wasm_v128_load32_lane(from + offsets[3], gathered, 3);
    return Lanes(gathered);
  }

  HUESIEVE_WASM static Mask AllLanes() { return wasm_i32x4_const_splat(-1); }
  HUESIEVE_WASM static Mask NoLanes() { return wasm_i32x4_const_splat(0); }
  HUESIEVE_WASM static Mask MaskAnd(Mask a, Mask b) { return wasm_v128_and(a, b); }
  HUESIEVE_WASM static Mask MaskOr(Mask a, Mask b) { return wasm_v128_or(a, b); }
  HUESIEVE_WASM static Mask MaskAndNot(Mask a, Mask b) { return wasm_v128_andnot(a, b); }
  HUESIEVE_WASM static Mask MaskNot(Mask a) { return wasm_v128_not(a); }
  HUESIEVE_WASM static std::uint32_t Bits(Mask a) { return wasm_i32x4_bitmask(a); }

  HUESIEVE_WASM static F32 SplatFloat(float value) { return Floats(wasm_f32x4_splat(value)); }
  HUESIEVE_WASM static F32 AsFloat(U32 a) { return Floats(Raw(a)); }
  HUESIEVE_WASM static U32 AsBits(F32 a) { return Lanes(Raw(a)); }
  HUESIEVE_WASM static F32 ToFloat(U32 a) { return Floats(wasm_f32x4_convert_i32x4(Raw(a))); }
  HUESIEVE_WASM static F32 Sqrt(F32 a) { return Floats(wasm_f32x4_sqrt(Raw(a))); }
  HUESIEVE_WASM static Mask Greater(F32 a, F32 b) { return wasm_f32x4_gt(Raw(a), Raw(b)); }
  HUESIEVE_WASM static Mask GreaterEqual(F32 a, F32 b) { return wasm_f32x4_ge(Raw(a), Raw(b)); }
  // The conversion saturates; the contract wants 0x80000000 for NaN and for
  // values beyond the 32-bit range, as x86 gives.
  HUESIEVE_WASM static U32 Truncate(F32 a) {
    const v128_t in_range = wasm_v128_and(wasm_f32x4_lt(Raw(a), wasm_f32x4_splat(0x1p31f)),
                                          wasm_f32x4_ge(Raw(a), wasm_f32x4_splat(-0x1p31f)));
    return Lanes(wasm_v128_bitselect(wasm_i32x4_trunc_sat_f32x4(Raw(a)),
                                     wasm_u32x4_splat(0x80000000u), in_range));
  }

  HUESIEVE_WASM static U32 Load8(const std::byte* at) { return Lanes(wasm_v128_load(at)); }
  template <int kAlphaAt = 0>
  HUESIEVE_WASM static void Store8(std::byte* at, U32 pixels, Mask cleared, Mask ramped,
                                   U32 alpha) {
    const U32 with_alpha = (pixels & Splat(~(0xFFu << kAlphaAt))) | alpha << kAlphaAt;
    const v128_t result = wasm_v128_bitselect(Raw(with_alpha), Raw(pixels), ramped);
    wasm_v128_store(at, wasm_v128_andnot(result, cleared));
  }

  HUESIEVE_WASM static Slots16 Load16(const std::byte* at) {
    return {wasm_v128_load(at), wasm_v128_load(at + 16)};
  }
  // (c × 255 + 16384) >> 15 is exactly the rounding Q15 multiply of c and
  // 255; it needs c below 32768, and every c from 32767 up converts to 255.
  HUESIEVE_WASM static U32 ToBytes(const Slots16& slots) {
    const v128_t below_half = wasm_u16x8_splat(32767);
    const v128_t by255 = wasm_i16x8_splat(255);
    const v128_t low = wasm_i16x8_q15mulr_sat(wasm_u16x8_min(slots.low, below_half), by255);
    const v128_t high = wasm_i16x8_q15mulr_sat(wasm_u16x8_min(slots.high, below_half), by255);
    return Lanes(wasm_u8x16_narrow_i16x8(low, high));
  }
  HUESIEVE_WASM static U32 ToBytes65535(const Slots16& slots) {
    return Lanes(wasm_u8x16_narrow_i16x8(Nearest65535(slots.low), Nearest65535(slots.high)));
  }
  template <int kAlphaAt = 0>
  HUESIEVE_WASM static void Store16(std::byte* at, const Slots16& slots, Mask cleared, Mask ramped,
                                    U32 alpha) {
    wasm_v128_store(at, Judged16<kAlphaAt>(slots.low, wasm_i64x2_extend_low_i32x4(cleared),
                                          wasm_i64x2_extend_low_i32x4(ramped),
                                          wasm_u64x2_extend_low_u32x4(Raw(alpha))));
    wasm_v128_store(at + 16, Judged16<kAlphaAt>(slots.high, wasm_i64x2_extend_high_i32x4(cleared),
                                               wasm_i64x2_extend_high_i32x4(ramped),
                                               wasm_u64x2_extend_high_u32x4(Raw(alpha))));
  }

  template <int kChannel>
  HUESIEVE_WASM static U32 FloatChannel(const SlotsFloat& slots) {
    const v128_t low = wasm_i32x4_shuffle(slots.slots[0], slots.slots[1], kChannel, 4 + kChannel,
                                          kChannel, kChannel);
    const v128_t high = wasm_i32x4_shuffle(slots.slots[2], slots.slots[3], kChannel,
                                           4 + kChannel, kChannel, kChannel);
    return Lanes(wasm_i32x4_shuffle(low, high, 0, 1, 4, 5));
  }
  HUESIEVE_WASM static SlotsFloat LoadFloat(const std::byte* at) {
    return {{wasm_v128_load(at), wasm_v128_load(at + 16), wasm_v128_load(at + 32),
             wasm_v128_load(at + 48)}};
  }
  // Each channel as the float format converts it, in double precision, then
  // narrowed a byte a channel, slot i in lane i.
  HUESIEVE_WASM static U32 ToBytesFloat(const SlotsFloat& slots) {
    return Lanes(wasm_u8x16_narrow_i16x8(
        wasm_i16x8_narrow_i32x4(SlotToBytes(slots.slots[0]), SlotToBytes(slots.slots[1])),
        wasm_i16x8_narrow_i32x4(SlotToBytes(slots.slots[2]), SlotToBytes(slots.slots[3]))));
  }
  // The alpha of a ramped slot is the fourth float, its lane of `alpha` read
  // as float bits.
  HUESIEVE_WASM static void StoreFloat(std::byte* at, const SlotsFloat& slots, Mask cleared,
                                       Mask ramped, U32 alpha) {
    const U32 cleared_lanes = Lanes(cleared);
    const U32 ramped_lanes = Lanes(ramped);
    for (int lane = 0; lane < kLanes; ++lane) {
      const v128_t slot = slots.slots[lane];
      const v128_t with_alpha = wasm_i32x4_shuffle(slot, Raw(Splat(alpha[lane])), 0, 1, 2, 7);
      const v128_t result = wasm_v128_bitselect(with_alpha, slot, Raw(Splat(ramped_lanes[lane])));
      wasm_v128_store(at + 16 * lane, wasm_v128_andnot(result, Raw(Splat(cleared_lanes[lane]))));
    }
  }

 private:
  // The same 128 bits seen as the intrinsics' type, as lanes and as floats.
  HUESIEVE_WASM static v128_t Raw(U32 a) { return (v128_t)a; }
  HUESIEVE_WASM static v128_t Raw(F32 a) { return (v128_t)a; }
  HUESIEVE_WASM static U32 Lanes(v128_t a) { return (U32)a; }
  HUESIEVE_WASM static F32 Floats(v128_t a) { return (F32)a; }

  // (c + 128) / 257 without a division: with h = c + 128 (held at 65535),
  // (h - h / 256) / 256.
  HUESIEVE_WASM static v128_t Nearest65535(v128_t channels) {
    const v128_t held = wasm_u16x8_add_sat(channels, wasm_u16x8_splat(128));
    return wasm_u16x8_shr(wasm_i16x8_sub(held, wasm_u16x8_shr(held, 8)), 8);
  }

  // One float slot's channels as ClampToByte(v × 255 + 0.5) in double. The
  // pseudo-maximum and -minimum keep their first operand when the comparison
  // fails, so NaN becomes 0 and the held range truncates as the clamp does.
  HUESIEVE_WASM static v128_t PairToBytes(v128_t pair) {
    v128_t value =
        wasm_f64x2_add(wasm_f64x2_mul(wasm_f64x2_promote_low_f32x4(pair), wasm_f64x2_splat(255.0)),
                       wasm_f64x2_splat(0.5));
    value = wasm_f64x2_pmin(wasm_f64x2_pmax(wasm_f64x2_splat(0.0), value), wasm_f64x2_splat(255.0));
    return wasm_i32x4_trunc_sat_f64x2_zero(value);
  }
  HUESIEVE_WASM static v128_t SlotToBytes(v128_t slot) {
    return wasm_i32x4_shuffle(PairToBytes(slot),
                              PairToBytes(wasm_i32x4_shuffle(slot, slot, 2, 3, 2, 3)), 0, 1, 4, 5);
  }

  // Two 16-bit slots as their lanes (widened to the slots) judge them:
  // cleared ones zero, ramped ones with their alpha, the channel at bit
  // kAlphaAt of each slot.
  template <int kAlphaAt>
  HUESIEVE_WASM static v128_t Judged16(v128_t slots, v128_t cleared, v128_t ramped, v128_t alpha) {
    constexpr auto kKeep = static_cast<std::int64_t>(~(std::uint64_t{0xFFFF} << kAlphaAt));
    const v128_t with_alpha = wasm_v128_or(wasm_v128_and(slots, wasm_i64x2_splat(kKeep)),
                                           wasm_i64x2_shl(alpha, kAlphaAt));
    return wasm_v128_andnot(wasm_v128_bitselect(with_alpha, slots, ramped), cleared);
  }
};

}  // namespace huesieve
