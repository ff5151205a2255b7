// AVX-512 kernels: the cell word of 16 (8-bit) or 8 (16-bit) slots fetched
// with one gather; decided slots are cleared or kept in the vector, the rest
// go one by one through the frame rule. Compiled for the target by function
// attributes only, so nothing outside these functions uses AVX-512.
#include "render/pass_kernels.h"

#ifdef HUESIEVE_X86_KERNELS

// GCC 12's AVX-512 intrinsics start from a deliberately undefined register and
// then warn about it.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>

#define HUESIEVE_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx2")))

namespace huesieve {
namespace {

// Cell index of each 32-bit pixel (alpha, red, green, blue bytes): the top
// five bits of red, green and blue side by side.
HUESIEVE_AVX512 inline __m512i CellIndex(__m512i pixels) {
  const __m512i red = _mm512_and_si512(_mm512_srli_epi32(pixels, 1), _mm512_set1_epi32(0x7C00));
  const __m512i green =
      _mm512_and_si512(_mm512_srli_epi32(pixels, 14), _mm512_set1_epi32(0x03E0));
  return _mm512_or_si512(_mm512_or_si512(red, green), _mm512_srli_epi32(pixels, 27));
}

struct LaneMasks {
  __mmask16 cleared;    // to become transparent black
  __mmask16 undecided;  // to go through the frame rule one by one
  __mmask16 claimed;    // decided and claimed
};

// The frame's per-axis reach tables, 32 entries of 16 bits: one register each.
class Decider {
 public:
  HUESIEVE_AVX512 explicit Decider(CellTable& cells)
      : cells_(cells),
        words_(reinterpret_cast<const int*>(cells.words())),
        red_(_mm512_loadu_si512(cells.red_reach().data())),
        green_(_mm512_loadu_si512(cells.green_reach().data())),
        blue_(_mm512_loadu_si512(cells.blue_reach().data())) {}

  // 16 pixels as 8-bit alpha, red, green, blue. A 16-bit word permute looks
  // up each axis's reach with only the low 5 bits of the shifted pixel, so
  // no masking is needed; slots no entry reaches are cleared without a look
  // at the cell table.
  HUESIEVE_AVX512 LaneMasks Decide(__m512i pixels) const {
    const __m512i red = _mm512_permutexvar_epi16(_mm512_srli_epi32(pixels, 11), red_);
    const __m512i green = _mm512_permutexvar_epi16(_mm512_srli_epi32(pixels, 19), green_);
    const __m512i blue = _mm512_permutexvar_epi16(_mm512_srli_epi32(pixels, 27), blue_);
    const __mmask16 reached =
        _mm512_test_epi32_mask(_mm512_and_si512(_mm512_and_si512(red, green), blue),
                               _mm512_set1_epi32(CellTable::kEntryMask));
    if (reached == 0) return {0xFFFF, 0, 0};
    const __m512i word =
        _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), reached, CellIndex(pixels), words_, 2);
    const __mmask16 decided = static_cast<__mmask16>(
        _mm512_test_epi32_mask(word, _mm512_set1_epi32(CellTable::kDecided)) | ~reached);
    const __mmask16 keep = _mm512_test_epi32_mask(word, _mm512_set1_epi32(CellTable::kKeep));
    return {static_cast<__mmask16>(decided & ~keep), static_cast<__mmask16>(~decided),
            _mm512_test_epi32_mask(word, _mm512_set1_epi32(CellTable::kClaimed))};
  }

 private:
  CellTable& cells_;
  const int* words_;
  __m512i red_;
  __m512i green_;
  __m512i blue_;
};

template <typename Pixel>
HUESIEVE_AVX512 inline std::uint32_t ResolveLanes(std::byte* at, std::uint32_t undecided,
                                                  FateMemo<Pixel>& memo) {
  std::uint32_t claimed = 0;
  while (undecided != 0) {
    const int lane = __builtin_ctz(undecided);
    undecided &= undecided - 1;
    if (ApplyRuleToSlot(at + lane * std::int64_t{sizeof(Pixel)}, memo)) claimed |= 1u << lane;
  }
  return claimed;
}

HUESIEVE_AVX512 RowClaims Row8(std::byte* row, std::int64_t slots, FrameRule<PF_Pixel>& rule) {
  const Decider decider(rule.cells());
  FateMemo<PF_Pixel> memo(rule);
  RowClaims claims;
  std::int64_t column = 0;
  for (; column + 16 <= slots; column += 16) {
    std::byte* at = row + column * 4;
    const LaneMasks lanes = decider.Decide(_mm512_loadu_si512(at));
    if (lanes.cleared != 0) _mm512_mask_storeu_epi32(at, lanes.cleared, _mm512_setzero_si512());
    std::uint32_t claimed = lanes.claimed;
    if (lanes.undecided != 0) claimed |= ResolveLanes(at, lanes.undecided, memo);
    claims.NoteLanes(column, claimed);
  }
  for (; column < slots; ++column) {
    if (ApplyRuleToSlot(row + column * 4, memo)) claims.Note(column);
  }
  return claims;
}

// 8 16-bit pixels on the 8-bit scale, as 8-bit pixels. (c × 255 + 16384) >> 15
// is exactly the rounding multiply of c and 255; it needs c below 32768, and
// every c from 32767 up converts to 255.
HUESIEVE_AVX512 inline __m256i ToBytes(__m512i pixels) {
  const __m512i below_half = _mm512_min_epu16(pixels, _mm512_set1_epi16(32767));
  return _mm512_cvtepi16_epi8(_mm512_mulhrs_epi16(below_half, _mm512_set1_epi16(255)));
}

HUESIEVE_AVX512 RowClaims Row16(std::byte* row, std::int64_t slots,
                                FrameRule<PF_Pixel16>& rule) {
  const Decider decider(rule.cells());
  FateMemo<PF_Pixel16> memo(rule);
  RowClaims claims;
  std::int64_t column = 0;
  for (; column + 16 <= slots; column += 16) {
    std::byte* at = row + column * 8;
    const __m256i low = ToBytes(_mm512_loadu_si512(at));
    const __m256i high = ToBytes(_mm512_loadu_si512(at + 64));
    const LaneMasks lanes =
        decider.Decide(_mm512_inserti64x4(_mm512_castsi256_si512(low), high, 1));
    if (lanes.cleared != 0) {
      _mm512_mask_storeu_epi64(at, static_cast<__mmask8>(lanes.cleared), _mm512_setzero_si512());
      _mm512_mask_storeu_epi64(at + 64, static_cast<__mmask8>(lanes.cleared >> 8),
                               _mm512_setzero_si512());
    }
    std::uint32_t claimed = lanes.claimed;
    if (lanes.undecided != 0) claimed |= ResolveLanes(at, lanes.undecided, memo);
    claims.NoteLanes(column, claimed);
  }
  for (; column < slots; ++column) {
    if (ApplyRuleToSlot(row + column * 8, memo)) claims.Note(column);
  }
  return claims;
}

}  // namespace

template <>
RowClaims Avx512Row(std::byte* row, std::int64_t slots, FrameRule<PF_Pixel>& rule) {
  return Row8(row, slots, rule);
}

template <>
RowClaims Avx512Row(std::byte* row, std::int64_t slots, FrameRule<PF_Pixel16>& rule) {
  return Row16(row, slots, rule);
}

}  // namespace huesieve

#endif
