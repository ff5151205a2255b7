// The lane operations on AVX-512 (F, BW, VL): 16 lanes in a 512-bit register,
// masks in mask registers. Every function enables the instruction set for
// itself alone, so including this header never lets the compiler use AVX-512
// anywhere else. Each operation is one instruction, or the short sequence the
// comment gives; the emulated wide type of the tests computes the same bits.
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "core/lane_ops.h"

#define HUESIEVE_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx2"), always_inline))

namespace huesieve {

struct Avx512Ops : GnuLanes<16> {
  // A lookup is one permute and a shift: three boxes cost about the reach.
  static constexpr int kCheaperBoxes = 3;
  using Mask = __mmask16;
  using Table32 = __m512i;  // 32 16-bit entries
  struct Slots16 {
    __m512i low, high;  // slots 0..7 and 8..15
  };

  HUESIEVE_AVX512 static U32 Splat(std::uint32_t value) {
    return Lanes(_mm512_set1_epi32(static_cast<int>(value)));
  }
  // vptestmd, vptestnmd: (a AND bits) != 0, == 0.
  HUESIEVE_AVX512 static Mask TestAny(U32 a, std::uint32_t bits) {
    return _mm512_test_epi32_mask(Raw(a), Raw(Splat(bits)));
  }
  HUESIEVE_AVX512 static Mask TestNone(U32 a, std::uint32_t bits) {
    return _mm512_testn_epi32_mask(Raw(a), Raw(Splat(bits)));
  }
  // vpcmpud with the less-than predicate.
  HUESIEVE_AVX512 static Mask Less(U32 a, U32 b) { return _mm512_cmplt_epu32_mask(Raw(a), Raw(b)); }
  HUESIEVE_AVX512 static Mask Equal(U32 a, U32 b) {
    return _mm512_cmpeq_epi32_mask(Raw(a), Raw(b));
  }
  HUESIEVE_AVX512 static std::uint32_t FirstLane(U32 a) { return a[0]; }
  // vmovdqa32 under a mask: `yes` where set, the source `no` elsewhere.
  HUESIEVE_AVX512 static U32 Select(Mask mask, U32 yes, U32 no) {
    return Lanes(_mm512_mask_mov_epi32(Raw(no), mask, Raw(yes)));
  }
  // vpsubb, then vpsubusb (saturating at 0).
  HUESIEVE_AVX512 static U32 OutsideBox(U32 a, U32 low, U32 width) {
    return Lanes(_mm512_subs_epu8(_mm512_sub_epi8(Raw(a), Raw(low)), Raw(width)));
  }
  // Lanes outside the mask count as 0, the identity of OR.
  HUESIEVE_AVX512 static std::uint32_t OrAcross(U32 a, Mask mask) {
    return static_cast<std::uint32_t>(_mm512_mask_reduce_or_epi32(mask, Raw(a)));
  }
  HUESIEVE_AVX512 static void StoreLanes(std::uint32_t* lanes, U32 a) {
    _mm512_storeu_si512(lanes, Raw(a));
  }

  HUESIEVE_AVX512 static Table32 LoadTable32(const std::uint16_t* entries) {
    return _mm512_loadu_si512(entries);
  }
  // vpermw looks up each 16-bit half of a lane by its own low 5 bits: the low
  // half is the entry asked for, the high half the entry at bits s+16..s+20.
  template <int kShift>
  HUESIEVE_AVX512 static U32 Lookup32(const Table32& table, U32 a) {
    return Lanes(_mm512_permutexvar_epi16(Raw(a >> kShift), table));
  }
  // 32 bits read at 2-byte steps: the word asked for, then the next.
  // Unoptimised, GCC's masked gather is a macro that narrows the mask to a
  // signed short.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-conversion"
#endif
  HUESIEVE_AVX512 static U32 Gather16(const std::uint16_t* words, U32 index, Mask mask) {
    return Lanes(_mm512_mask_i32gather_epi32(_mm512_setzero_si512(), mask, Raw(index), words, 2));
  }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

  HUESIEVE_AVX512 static Mask AllLanes() { return static_cast<Mask>(0xFFFF); }
  HUESIEVE_AVX512 static Mask NoLanes() { return 0; }
  HUESIEVE_AVX512 static Mask MaskAnd(Mask a, Mask b) { return static_cast<Mask>(a & b); }
  HUESIEVE_AVX512 static Mask MaskOr(Mask a, Mask b) { return static_cast<Mask>(a | b); }
  HUESIEVE_AVX512 static Mask MaskAndNot(Mask a, Mask b) { return static_cast<Mask>(a & ~b); }
  HUESIEVE_AVX512 static Mask MaskNot(Mask a) { return static_cast<Mask>(~a); }
  HUESIEVE_AVX512 static std::uint32_t Bits(Mask a) { return a; }

  HUESIEVE_AVX512 static F32 SplatFloat(float value) { return _mm512_set1_ps(value); }
  HUESIEVE_AVX512 static F32 AsFloat(U32 a) { return _mm512_castsi512_ps(Raw(a)); }
  HUESIEVE_AVX512 static F32 ToFloat(U32 a) { return _mm512_cvtepi32_ps(Raw(a)); }
  HUESIEVE_AVX512 static F32 Sqrt(F32 a) { return _mm512_sqrt_ps(a); }
  // vcmpps with the ordered, non-signalling predicates.
  HUESIEVE_AVX512 static Mask Greater(F32 a, F32 b) { return _mm512_cmp_ps_mask(a, b, _CMP_GT_OQ); }
  HUESIEVE_AVX512 static Mask GreaterEqual(F32 a, F32 b) {
    return _mm512_cmp_ps_mask(a, b, _CMP_GE_OQ);
  }
  HUESIEVE_AVX512 static U32 Truncate(F32 a) { return Lanes(_mm512_cvttps_epi32(a)); }

  HUESIEVE_AVX512 static U32 Load8(const std::byte* at) { return Lanes(_mm512_loadu_si512(at)); }
  // Masked stores write only the slots that change; clearing comes last.
  template <int kAlphaAt = 0>
  HUESIEVE_AVX512 static void Store8(std::byte* at, U32 pixels, Mask cleared, Mask ramped,
                                     U32 alpha) {
    if (ramped != 0) {
      _mm512_mask_storeu_epi32(at, ramped,
                               Raw((pixels & Splat(~(0xFFu << kAlphaAt))) | alpha << kAlphaAt));
    }
    if (cleared != 0) _mm512_mask_storeu_epi32(at, cleared, _mm512_setzero_si512());
  }

  HUESIEVE_AVX512 static Slots16 Load16(const std::byte* at) {
    return {_mm512_loadu_si512(at), _mm512_loadu_si512(at + 64)};
  }
  // (c × 255 + 16384) >> 15 is exactly the rounding multiply of c and 255;
  // it needs c below 32768, and every c from 32767 up converts to 255. The
  // results fit a byte, so narrowing each 16-bit channel keeps them.
  HUESIEVE_AVX512 static U32 ToBytes(const Slots16& slots) {
    return Lanes(_mm512_inserti64x4(_mm512_castsi256_si512(HalfToBytes(slots.low)),
                                    HalfToBytes(slots.high), 1));
  }
  HUESIEVE_AVX512 static void Store16(std::byte* at, const Slots16& slots, Mask cleared,
                                      Mask ramped, U32 alpha) {
    if ((cleared | ramped) == 0) return;
    StoreHalf16(at, slots.low, static_cast<__mmask8>(cleared), static_cast<__mmask8>(ramped),
                _mm512_castsi512_si256(Raw(alpha)));
    StoreHalf16(at + 64, slots.high, static_cast<__mmask8>(cleared >> 8),
                static_cast<__mmask8>(ramped >> 8), _mm512_extracti64x4_epi64(Raw(alpha), 1));
  }

 private:
  // The same 512 bits seen as the intrinsics' type and as lanes.
  HUESIEVE_AVX512 static __m512i Raw(U32 a) { return (__m512i)a; }
  HUESIEVE_AVX512 static U32 Lanes(__m512i a) { return (U32)a; }

  HUESIEVE_AVX512 static __m256i HalfToBytes(__m512i slots) {
    const __m512i below_half = _mm512_min_epu16(slots, _mm512_set1_epi16(32767));
    return _mm512_cvtepi16_epi8(_mm512_mulhrs_epi16(below_half, _mm512_set1_epi16(255)));
  }
  // Alpha is the first 16-bit channel: the low bits of each 64-bit slot.
  HUESIEVE_AVX512 static void StoreHalf16(std::byte* at, __m512i slots, __mmask8 cleared,
                                          __mmask8 ramped, __m256i alpha) {
    if (ramped != 0) {
      const __m512i with_alpha =
          _mm512_or_si512(_mm512_and_si512(slots, _mm512_set1_epi64(~std::int64_t{0xFFFF})),
                          _mm512_cvtepu32_epi64(alpha));
      _mm512_mask_storeu_epi64(at, ramped, with_alpha);
    }
    if (cleared != 0) _mm512_mask_storeu_epi64(at, cleared, _mm512_setzero_si512());
  }
};

}  // namespace huesieve
