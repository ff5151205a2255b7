// The lane operations on AVX2: 8 lanes in a 256-bit register, masks as lanes
// of all ones. Every function enables AVX2 for itself alone, so including this
// header never lets the compiler use AVX2 anywhere else.
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "core/lane_ops.h"

#define HUESIEVE_AVX2 __attribute__((target("avx2"), always_inline))

namespace huesieve {

struct Avx2Ops : GnuLanes<8> {
  // A box is three simple steps; a lookup takes two permutes, which Zen 3
  // issues on one port at half rate: there ten boxes were measured cheaper.
  static constexpr int kCheaperBoxes = 10;
  using Mask = __m256i;  // all ones in a set lane, zero elsewhere
  // Entries 0..15 and 16..31 of a 32-entry table, as pairs of 16-bit words
  // in 32-bit lanes; slots 0..3 and 4..7.
  struct Table32 {
    __m256i low, high;
  };
  struct Slots16 {
    __m256i low, high;
  };
  struct SlotsFloat {
    __m256 pairs[4];  // slots 0 and 1, 2 and 3, ...
  };

  HUESIEVE_AVX2 static U32 Splat(std::uint32_t value) {
    return Lanes(_mm256_set1_epi32(static_cast<int>(value)));
  }
  // With `bits` below 2^31 the masked value is never negative.
  HUESIEVE_AVX2 static Mask TestAny(U32 a, std::uint32_t bits) {
    return _mm256_cmpgt_epi32(Raw(a & Splat(bits)), _mm256_setzero_si256());
  }
  HUESIEVE_AVX2 static Mask TestNone(U32 a, std::uint32_t bits) {
    return _mm256_cmpeq_epi32(Raw(a & Splat(bits)), _mm256_setzero_si256());
  }
  // Both operands below 2^31: the signed comparison is the unsigned one.
  HUESIEVE_AVX2 static Mask Less(U32 a, U32 b) { return _mm256_cmpgt_epi32(Raw(b), Raw(a)); }
  HUESIEVE_AVX2 static Mask Equal(U32 a, U32 b) { return _mm256_cmpeq_epi32(Raw(a), Raw(b)); }
  HUESIEVE_AVX2 static std::uint32_t FirstLane(U32 a) { return a[0]; }
  HUESIEVE_AVX2 static U32 Select(Mask mask, U32 yes, U32 no) {
    return Lanes(_mm256_blendv_epi8(Raw(no), Raw(yes), mask));
  }
  HUESIEVE_AVX2 static U32 OutsideBox(U32 a, U32 low, U32 width) {
    return Lanes(_mm256_subs_epu8(_mm256_sub_epi8(Raw(a), Raw(low)), Raw(width)));
  }
  HUESIEVE_AVX2 static std::uint32_t OrAcross(U32 a, Mask mask) {
    __m256i lanes = _mm256_and_si256(Raw(a), mask);
    lanes = _mm256_or_si256(lanes, _mm256_permute2x128_si256(lanes, lanes, 1));
    lanes = _mm256_or_si256(lanes, _mm256_shuffle_epi32(lanes, _MM_SHUFFLE(1, 0, 3, 2)));
    lanes = _mm256_or_si256(lanes, _mm256_shuffle_epi32(lanes, _MM_SHUFFLE(2, 3, 0, 1)));
    return static_cast<std::uint32_t>(_mm256_cvtsi256_si32(lanes));
  }
  HUESIEVE_AVX2 static void StoreLanes(std::uint32_t* lanes, U32 a) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), Raw(a));
  }

  HUESIEVE_AVX2 static Table32 LoadTable32(const std::uint16_t* entries) {
    return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(entries)),
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(entries + 16))};
  }
  // Index bits 1..3 pick the pair within a register (vpermd reads the low 3
  // bits of each lane), bit 4 the register, bit 0 the word.
  template <int kShift>
  HUESIEVE_AVX2 static U32 Lookup32(const Table32& table, U32 a) {
    static_assert(kShift >= 4 && kShift <= 27);
    const __m256i pair = Raw(a >> (kShift + 1));
    const __m256 low = _mm256_castsi256_ps(_mm256_permutevar8x32_epi32(table.low, pair));
    const __m256 high = _mm256_castsi256_ps(_mm256_permutevar8x32_epi32(table.high, pair));
    const __m256 in_high = _mm256_castsi256_ps(Raw(a << (27 - kShift)));
    const __m256i odd = Raw((a >> (kShift - 4)) & Splat(16));
    return Lanes(_mm256_srlv_epi32(_mm256_castps_si256(_mm256_blendv_ps(low, high, in_high)), odd));
  }
  HUESIEVE_AVX2 static U32 Gather16(const std::uint16_t* words, U32 index, Mask mask) {
    return Lanes(_mm256_mask_i32gather_epi32(
        _mm256_setzero_si256(), reinterpret_cast<const int*>(words), Raw(index), mask, 2));
  }
  HUESIEVE_AVX2 static U32 GatherBytes32(const std::byte* from, U32 offsets) {
    return Lanes(_mm256_i32gather_epi32(reinterpret_cast<const int*>(from), Raw(offsets), 1));
  }

  HUESIEVE_AVX2 static Mask AllLanes() { return _mm256_set1_epi32(-1); }
  HUESIEVE_AVX2 static Mask NoLanes() { return _mm256_setzero_si256(); }
  HUESIEVE_AVX2 static Mask MaskAnd(Mask a, Mask b) { return _mm256_and_si256(a, b); }
  HUESIEVE_AVX2 static Mask MaskOr(Mask a, Mask b) { return _mm256_or_si256(a, b); }
  HUESIEVE_AVX2 static Mask MaskAndNot(Mask a, Mask b) { return _mm256_andnot_si256(b, a); }
  HUESIEVE_AVX2 static Mask MaskNot(Mask a) { return _mm256_xor_si256(a, AllLanes()); }
  HUESIEVE_AVX2 static std::uint32_t Bits(Mask a) {
    return static_cast<std::uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(a)));
  }

  HUESIEVE_AVX2 static F32 SplatFloat(float value) { return _mm256_set1_ps(value); }
  HUESIEVE_AVX2 static F32 AsFloat(U32 a) { return _mm256_castsi256_ps(Raw(a)); }
  HUESIEVE_AVX2 static U32 AsBits(F32 a) { return Lanes(_mm256_castps_si256(a)); }
  HUESIEVE_AVX2 static F32 ToFloat(U32 a) { return _mm256_cvtepi32_ps(Raw(a)); }
  HUESIEVE_AVX2 static F32 Sqrt(F32 a) { return _mm256_sqrt_ps(a); }
  HUESIEVE_AVX2 static Mask Greater(F32 a, F32 b) {
    return _mm256_castps_si256(_mm256_cmp_ps(a, b, _CMP_GT_OQ));
  }
  HUESIEVE_AVX2 static Mask GreaterEqual(F32 a, F32 b) {
    return _mm256_castps_si256(_mm256_cmp_ps(a, b, _CMP_GE_OQ));
  }
  HUESIEVE_AVX2 static U32 Truncate(F32 a) { return Lanes(_mm256_cvttps_epi32(a)); }

  HUESIEVE_AVX2 static U32 Load8(const std::byte* at) {
    return Lanes(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)));
  }
  // Without a cheap masked store the whole vector is written, unchanged
  // slots with their own value.
  template <int kAlphaAt = 0>
  HUESIEVE_AVX2 static void Store8(std::byte* at, U32 pixels, Mask cleared, Mask ramped,
                                   U32 alpha) {
    const U32 with_alpha = (pixels & Splat(~(0xFFu << kAlphaAt))) | alpha << kAlphaAt;
    const __m256i result = _mm256_blendv_epi8(Raw(pixels), Raw(with_alpha), ramped);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), _mm256_andnot_si256(cleared, result));
  }

  HUESIEVE_AVX2 static Slots16 Load16(const std::byte* at) {
    return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)),
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 32))};
  }
  // (c × 255 + 16384) >> 15 is exactly the rounding multiply of c and 255;
  // it needs c below 32768, and every c from 32767 up converts to 255.
  // Packing works per 128-bit half: slots 0 1 4 5 | 2 3 6 7, put in order.
  HUESIEVE_AVX2 static U32 ToBytes(const Slots16& slots) {
    const __m256i below_half = _mm256_set1_epi16(32767);
    const __m256i by255 = _mm256_set1_epi16(255);
    const __m256i low = _mm256_mulhrs_epi16(_mm256_min_epu16(slots.low, below_half), by255);
    const __m256i high = _mm256_mulhrs_epi16(_mm256_min_epu16(slots.high, below_half), by255);
    return Lanes(_mm256_permute4x64_epi64(_mm256_packus_epi16(low, high), _MM_SHUFFLE(3, 1, 2, 0)));
  }
  // (c + 128) / 257 as ((x - (x >> 8)) >> 8) with x = c + 128 held at 65535,
  // in every 16-bit channel; packed as ToBytes packs.
  HUESIEVE_AVX2 static U32 ToBytes65535(const Slots16& slots) {
    return Lanes(_mm256_permute4x64_epi64(
        _mm256_packus_epi16(Nearest65535(slots.low), Nearest65535(slots.high)),
        _MM_SHUFFLE(3, 1, 2, 0)));
  }
  template <int kAlphaAt = 0>
  HUESIEVE_AVX2 static void Store16(std::byte* at, const Slots16& slots, Mask cleared, Mask ramped,
                                    U32 alpha) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(at),
                        Judged16<kAlphaAt>(slots.low, _mm256_castsi256_si128(cleared),
                                          _mm256_castsi256_si128(ramped),
                                          _mm256_castsi256_si128(Raw(alpha))));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(at + 32),
                        Judged16<kAlphaAt>(slots.high, _mm256_extracti128_si256(cleared, 1),
                                          _mm256_extracti128_si256(ramped, 1),
                                          _mm256_extracti128_si256(Raw(alpha), 1)));
  }

  // Each pair's two floats brought to every pair of lanes, then blended.
  template <int kChannel>
  HUESIEVE_AVX2 static U32 FloatChannel(const SlotsFloat& slots) {
    const __m256i pick = _mm256_setr_epi32(kChannel, 4 + kChannel, kChannel, 4 + kChannel,
                                           kChannel, 4 + kChannel, kChannel, 4 + kChannel);
    __m256 lanes = _mm256_permutevar8x32_ps(slots.pairs[0], pick);
    lanes = _mm256_blend_ps(lanes, _mm256_permutevar8x32_ps(slots.pairs[1], pick), 0x0C);
    lanes = _mm256_blend_ps(lanes, _mm256_permutevar8x32_ps(slots.pairs[2], pick), 0x30);
    lanes = _mm256_blend_ps(lanes, _mm256_permutevar8x32_ps(slots.pairs[3], pick), 0xC0);
    return AsBits(lanes);
  }
  HUESIEVE_AVX2 static SlotsFloat LoadFloat(const std::byte* at) {
    const auto* floats = reinterpret_cast<const float*>(at);
    return {{_mm256_loadu_ps(floats), _mm256_loadu_ps(floats + 8), _mm256_loadu_ps(floats + 16),
             _mm256_loadu_ps(floats + 24)}};
  }
  // Each channel as the float format converts it, in double precision, then
  // packed a byte a channel: slots 0 1 | 2 3 | 4 5 | 6 7.
  HUESIEVE_AVX2 static U32 ToBytesFloat(const SlotsFloat& slots) {
    __m128i pairs[4];
    for (int i = 0; i < 4; ++i) {
      pairs[i] = _mm_packs_epi32(SlotToBytes(_mm256_castps256_ps128(slots.pairs[i])),
                                 SlotToBytes(_mm256_extractf128_ps(slots.pairs[i], 1)));
    }
    return Lanes(_mm256_set_m128i(_mm_packus_epi16(pairs[2], pairs[3]),
                                  _mm_packus_epi16(pairs[0], pairs[1])));
  }
  // The alpha of a ramped slot is the fourth float, its lane of `alpha` read
  // as float bits.
  HUESIEVE_AVX2 static void StoreFloat(std::byte* at, const SlotsFloat& slots, Mask cleared,
                                       Mask ramped, U32 alpha) {
    auto* floats = reinterpret_cast<float*>(at);
    for (int i = 0; i < 4; ++i) {
      // Each lane of slot 2i in the first four floats, of slot 2i + 1 in the rest.
      const __m256i spread = _mm256_setr_epi32(2 * i, 2 * i, 2 * i, 2 * i, 2 * i + 1, 2 * i + 1,
                                               2 * i + 1, 2 * i + 1);
      const __m256 with_alpha = _mm256_blend_ps(
          slots.pairs[i], _mm256_castsi256_ps(_mm256_permutevar8x32_epi32(Raw(alpha), spread)),
          0b10001000);
      const __m256 result =
          _mm256_blendv_ps(slots.pairs[i], with_alpha,
                           _mm256_castsi256_ps(_mm256_permutevar8x32_epi32(ramped, spread)));
      _mm256_storeu_ps(floats + 8 * i,
                       _mm256_andnot_ps(_mm256_castsi256_ps(
                                            _mm256_permutevar8x32_epi32(cleared, spread)),
                                        result));
    }
  }

 private:
  // The same 256 bits seen as the intrinsics' type and as lanes.
  HUESIEVE_AVX2 static __m256i Raw(U32 a) { return (__m256i)a; }
  HUESIEVE_AVX2 static U32 Lanes(__m256i a) { return (U32)a; }

  HUESIEVE_AVX2 static __m256i Nearest65535(__m256i channels) {
    const __m256i held = _mm256_adds_epu16(channels, _mm256_set1_epi16(128));
    return _mm256_srli_epi16(_mm256_sub_epi16(held, _mm256_srli_epi16(held, 8)), 8);
  }

  // One float slot's channels as ClampToByte(v × 255 + 0.5) in double: NaN
  // is 0 (max keeps its second operand then), and the held range truncates
  // as the clamp does.
  HUESIEVE_AVX2 static __m128i SlotToBytes(__m128 slot) {
    __m256d value = _mm256_mul_pd(_mm256_cvtps_pd(slot), _mm256_set1_pd(255.0));
    value = _mm256_add_pd(value, _mm256_set1_pd(0.5));
    value = _mm256_min_pd(_mm256_max_pd(value, _mm256_setzero_pd()), _mm256_set1_pd(255.0));
    return _mm256_cvttpd_epi32(value);
  }

  // Four 16-bit slots as their lanes (widened to the slots) judge them:
  // cleared ones zero, ramped ones with their alpha, the channel at bit
  // kAlphaAt of each slot.
  template <int kAlphaAt>
  HUESIEVE_AVX2 static __m256i Judged16(__m256i slots, __m128i cleared, __m128i ramped,
                                       __m128i alpha) {
    const __m256i with_alpha = _mm256_or_si256(
        _mm256_and_si256(slots, _mm256_set1_epi64x(static_cast<std::int64_t>(~(std::uint64_t{0xFFFF} << kAlphaAt)))),
        _mm256_slli_epi64(_mm256_cvtepu32_epi64(alpha), kAlphaAt));
    const __m256i result = _mm256_blendv_epi8(slots, with_alpha, _mm256_cvtepi32_epi64(ramped));
    return _mm256_andnot_si256(_mm256_cvtepi32_epi64(cleared), result);
  }
};

}  // namespace huesieve
