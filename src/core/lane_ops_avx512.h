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
  struct SlotsFloat {
    __m512 quads[4];  // slots 0..3, 4..7, ...
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
  HUESIEVE_AVX512 static U32 GatherBytes32(const std::byte* from, U32 offsets) {
    return Lanes(_mm512_i32gather_epi32(Raw(offsets), from, 1));
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
  HUESIEVE_AVX512 static U32 AsBits(F32 a) { return Lanes(_mm512_castps_si512(a)); }
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
  // (c + 128) / 257 as ((x - (x >> 8)) >> 8) with x = c + 128 held at 65535.
  HUESIEVE_AVX512 static U32 ToBytes65535(const Slots16& slots) {
    return Lanes(_mm512_inserti64x4(_mm512_castsi256_si512(HalfToBytes65535(slots.low)),
                                    HalfToBytes65535(slots.high), 1));
  }
  template <int kAlphaAt = 0>
  HUESIEVE_AVX512 static void Store16(std::byte* at, const Slots16& slots, Mask cleared,
                                      Mask ramped, U32 alpha) {
    if ((cleared | ramped) == 0) return;
    StoreHalf16<kAlphaAt>(at, slots.low, static_cast<__mmask8>(cleared),
                          static_cast<__mmask8>(ramped), _mm512_castsi512_si256(Raw(alpha)));
    StoreHalf16<kAlphaAt>(at + 64, slots.high, static_cast<__mmask8>(cleared >> 8),
                          static_cast<__mmask8>(ramped >> 8),
                          _mm512_extracti64x4_epi64(Raw(alpha), 1));
  }

  HUESIEVE_AVX512 static SlotsFloat LoadFloat(const std::byte* at) {
    const auto* floats = reinterpret_cast<const float*>(at);
    return {{_mm512_loadu_ps(floats), _mm512_loadu_ps(floats + 16), _mm512_loadu_ps(floats + 32),
             _mm512_loadu_ps(floats + 48)}};
  }
  // Each channel as the float format converts it, in double precision; four
  // slots at a time narrowed a byte a channel (vpmovdb).
  HUESIEVE_AVX512 static U32 ToBytesFloat(const SlotsFloat& slots) {
    __m512i bytes = _mm512_setzero_si512();
    bytes = _mm512_inserti32x4(bytes, QuadToBytes(slots.quads[0]), 0);
    bytes = _mm512_inserti32x4(bytes, QuadToBytes(slots.quads[1]), 1);
    bytes = _mm512_inserti32x4(bytes, QuadToBytes(slots.quads[2]), 2);
    bytes = _mm512_inserti32x4(bytes, QuadToBytes(slots.quads[3]), 3);
    return Lanes(bytes);
  }
  // Two quads' channel in the low eight lanes each (vpermt2ps), joined.
  template <int kChannel>
  HUESIEVE_AVX512 static U32 FloatChannel(const SlotsFloat& slots) {
    const __m512i pick = _mm512_set_epi32(0, 0, 0, 0, 0, 0, 0, 0, 28 + kChannel, 24 + kChannel,
                                          20 + kChannel, 16 + kChannel, 12 + kChannel,
                                          8 + kChannel, 4 + kChannel, kChannel);
    const __m512 low = _mm512_permutex2var_ps(slots.quads[0], pick, slots.quads[1]);
    const __m512 high = _mm512_permutex2var_ps(slots.quads[2], pick, slots.quads[3]);
    return AsBits(_mm512_shuffle_f32x4(low, high, _MM_SHUFFLE(1, 0, 1, 0)));
  }
  // Masked stores: a ramped slot's fourth float, then a cleared slot whole.
  HUESIEVE_AVX512 static void StoreFloat(std::byte* at, const SlotsFloat&, Mask cleared,
                                         Mask ramped, U32 alpha) {
    auto* floats = reinterpret_cast<float*>(at);
    for (int i = 0; i < 4; ++i) {
      const unsigned ramped_here = (static_cast<unsigned>(ramped) >> (4 * i)) & 0xFu;
      const unsigned cleared_here = (static_cast<unsigned>(cleared) >> (4 * i)) & 0xFu;
      if (ramped_here != 0) {
        // Lane 4i + s of `alpha` to float 4s + 3.
        const __m512i spread = _mm512_set_epi32(4 * i + 3, 0, 0, 0, 4 * i + 2, 0, 0, 0, 4 * i + 1,
                                                0, 0, 0, 4 * i, 0, 0, 0);
        _mm512_mask_storeu_ps(floats + 16 * i, AlphaFloats(ramped_here),
                              _mm512_castsi512_ps(_mm512_permutexvar_epi32(spread, Raw(alpha))));
      }
      if (cleared_here != 0) {
        _mm512_mask_storeu_ps(floats + 16 * i, SlotFloats(cleared_here), _mm512_setzero_ps());
      }
    }
  }

 private:
  // The same 512 bits seen as the intrinsics' type and as lanes.
  HUESIEVE_AVX512 static __m512i Raw(U32 a) { return (__m512i)a; }
  HUESIEVE_AVX512 static U32 Lanes(__m512i a) { return (U32)a; }

  HUESIEVE_AVX512 static __m256i HalfToBytes(__m512i slots) {
    const __m512i below_half = _mm512_min_epu16(slots, _mm512_set1_epi16(32767));
    return _mm512_cvtepi16_epi8(_mm512_mulhrs_epi16(below_half, _mm512_set1_epi16(255)));
  }
  HUESIEVE_AVX512 static __m256i HalfToBytes65535(__m512i slots) {
    const __m512i held = _mm512_adds_epu16(slots, _mm512_set1_epi16(128));
    return _mm512_cvtepi16_epi8(
        _mm512_srli_epi16(_mm512_sub_epi16(held, _mm512_srli_epi16(held, 8)), 8));
  }

  // Two float slots' channels as ClampToByte(v × 255 + 0.5) in double: NaN
  // is 0 (max keeps its second operand then), and the held range truncates
  // as the clamp does.
  HUESIEVE_AVX512 static __m256i PairToBytes(__m256 pair) {
    __m512d value = _mm512_mul_pd(_mm512_cvtps_pd(pair), _mm512_set1_pd(255.0));
    value = _mm512_add_pd(value, _mm512_set1_pd(0.5));
    value = _mm512_min_pd(_mm512_max_pd(value, _mm512_setzero_pd()), _mm512_set1_pd(255.0));
    return _mm512_cvttpd_epi32(value);
  }
  HUESIEVE_AVX512 static __m128i QuadToBytes(__m512 quad) {
    const __m512i channels = _mm512_inserti64x4(
        _mm512_castsi256_si512(PairToBytes(_mm512_castps512_ps256(quad))),
        PairToBytes(_mm256_castpd_ps(_mm512_extractf64x4_pd(_mm512_castps_pd(quad), 1))), 1);
    return _mm512_cvtepi32_epi8(channels);
  }
  // The floats of the slots in `slots` (bit s: floats 4s to 4s + 3), and of
  // their alphas alone (float 4s + 3).
  HUESIEVE_AVX512 static __mmask16 SlotFloats(unsigned slots) {
    unsigned floats = 0;
    for (unsigned s = 0; s < 4; ++s) floats |= ((slots >> s) & 1u) * (0xFu << (4 * s));
    return static_cast<__mmask16>(floats);
  }
  HUESIEVE_AVX512 static __mmask16 AlphaFloats(unsigned slots) {
    unsigned floats = 0;
    for (unsigned s = 0; s < 4; ++s) floats |= ((slots >> s) & 1u) << (4 * s + 3);
    return static_cast<__mmask16>(floats);
  }

  // Alpha is the 16-bit channel at bit kAlphaAt of each 64-bit slot.
  template <int kAlphaAt>
  HUESIEVE_AVX512 static void StoreHalf16(std::byte* at, __m512i slots, __mmask8 cleared,
                                          __mmask8 ramped, __m256i alpha) {
    if (ramped != 0) {
      const __m512i with_alpha = _mm512_or_si512(
          _mm512_and_si512(slots, _mm512_set1_epi64(static_cast<std::int64_t>(
                                      ~(std::uint64_t{0xFFFF} << kAlphaAt)))),
          _mm512_slli_epi64(_mm512_cvtepu32_epi64(alpha), kAlphaAt));
      _mm512_mask_storeu_epi64(at, ramped, with_alpha);
    }
    if (cleared != 0) _mm512_mask_storeu_epi64(at, cleared, _mm512_setzero_si512());
  }
};

}  // namespace huesieve
