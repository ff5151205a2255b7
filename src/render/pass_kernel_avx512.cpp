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
HUESIEVE_AVX512 inline __m512i CellIndex16(__m512i pixels) {
  const __m512i red = _mm512_and_si512(_mm512_srli_epi32(pixels, 1), _mm512_set1_epi32(0x7C00));
  const __m512i green =
      _mm512_and_si512(_mm512_srli_epi32(pixels, 14), _mm512_set1_epi32(0x03E0));
  return _mm512_or_si512(_mm512_or_si512(red, green), _mm512_srli_epi32(pixels, 27));
}

HUESIEVE_AVX512 inline __m256i CellIndex8(__m256i pixels) {
  const __m256i red = _mm256_and_si256(_mm256_srli_epi32(pixels, 1), _mm256_set1_epi32(0x7C00));
  const __m256i green =
      _mm256_and_si256(_mm256_srli_epi32(pixels, 14), _mm256_set1_epi32(0x03E0));
  return _mm256_or_si256(_mm256_or_si256(red, green), _mm256_srli_epi32(pixels, 27));
}

HUESIEVE_AVX512 RowClaims Row8(std::byte* row, std::int64_t slots, FrameRule<PF_Pixel>& rule) {
  const int* words = reinterpret_cast<const int*>(rule.cells().words());
  const __m512i decided_bit = _mm512_set1_epi32(CellTable::kDecided);
  const __m512i keep_bit = _mm512_set1_epi32(CellTable::kKeep);
  const __m512i claimed_bit = _mm512_set1_epi32(CellTable::kClaimed);
  FateMemo<PF_Pixel> memo(rule);
  RowClaims claims;
  std::int64_t column = 0;
  for (; column + 16 <= slots; column += 16) {
    std::byte* at = row + column * 4;
    const __m512i pixels = _mm512_loadu_si512(at);
    const __m512i word = _mm512_i32gather_epi32(CellIndex16(pixels), words, 2);
    const __mmask16 decided = _mm512_test_epi32_mask(word, decided_bit);
    const __mmask16 keep = _mm512_test_epi32_mask(word, keep_bit);
    std::uint32_t claimed = _mm512_test_epi32_mask(word, claimed_bit);
    const auto cleared = static_cast<__mmask16>(decided & ~keep);
    if (cleared != 0) _mm512_mask_storeu_epi32(at, cleared, _mm512_setzero_si512());
    auto undecided = static_cast<std::uint32_t>(static_cast<__mmask16>(~decided));
    while (undecided != 0) {
      const int lane = __builtin_ctz(undecided);
      undecided &= undecided - 1;
      if (ApplyRuleToSlot(at + lane * 4, memo)) claimed |= 1u << lane;
    }
    claims.NoteLanes(column, claimed);
  }
  for (; column < slots; ++column) {
    if (ApplyRuleToSlot(row + column * 4, memo)) claims.Note(column);
  }
  return claims;
}

HUESIEVE_AVX512 RowClaims Row16(std::byte* row, std::int64_t slots,
                                FrameRule<PF_Pixel16>& rule) {
  const int* words = reinterpret_cast<const int*>(rule.cells().words());
  const __m256i decided_bit = _mm256_set1_epi32(CellTable::kDecided);
  const __m256i keep_bit = _mm256_set1_epi32(CellTable::kKeep);
  const __m256i claimed_bit = _mm256_set1_epi32(CellTable::kClaimed);
  // (c × 255 + 16384) >> 15 is exactly the rounding multiply of c and 255;
  // it needs c below 32768, and every c from 32767 up converts to 255.
  const __m512i below_half = _mm512_set1_epi16(32767);
  const __m512i by255 = _mm512_set1_epi16(255);
  FateMemo<PF_Pixel16> memo(rule);
  RowClaims claims;
  std::int64_t column = 0;
  for (; column + 8 <= slots; column += 8) {
    std::byte* at = row + column * 8;
    const __m512i pixels = _mm512_loadu_si512(at);
    const __m512i scaled = _mm512_mulhrs_epi16(_mm512_min_epu16(pixels, below_half), by255);
    const __m256i bytes = _mm512_cvtepi16_epi8(scaled);
    const __m256i word = _mm256_i32gather_epi32(words, CellIndex8(bytes), 2);
    const __mmask8 decided = _mm256_test_epi32_mask(word, decided_bit);
    const __mmask8 keep = _mm256_test_epi32_mask(word, keep_bit);
    std::uint32_t claimed = _mm256_test_epi32_mask(word, claimed_bit);
    const auto cleared = static_cast<__mmask8>(decided & ~keep);
    if (cleared != 0) _mm512_mask_storeu_epi64(at, cleared, _mm512_setzero_si512());
    auto undecided = static_cast<std::uint32_t>(static_cast<__mmask8>(~decided));
    while (undecided != 0) {
      const int lane = __builtin_ctz(undecided);
      undecided &= undecided - 1;
      if (ApplyRuleToSlot(at + lane * 8, memo)) claimed |= 1u << lane;
    }
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
