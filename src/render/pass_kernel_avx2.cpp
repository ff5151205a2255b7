// AVX2 kernels: as the AVX-512 ones, 8 slots at a time, with lane masks kept
// in vectors. Compiled for the target by function attributes only.
#include "render/pass_kernels.h"

#ifdef HUESIEVE_X86_KERNELS

#include <immintrin.h>

#define HUESIEVE_AVX2 __attribute__((target("avx2")))

namespace huesieve {
namespace {

HUESIEVE_AVX2 inline __m256i CellIndex(__m256i pixels) {
  const __m256i red = _mm256_and_si256(_mm256_srli_epi32(pixels, 1), _mm256_set1_epi32(0x7C00));
  const __m256i green =
      _mm256_and_si256(_mm256_srli_epi32(pixels, 14), _mm256_set1_epi32(0x03E0));
  return _mm256_or_si256(_mm256_or_si256(red, green), _mm256_srli_epi32(pixels, 27));
}

// All ones in the 32-bit lanes whose word has `bit`.
HUESIEVE_AVX2 inline __m256i HasBit(__m256i word, int bit) {
  const __m256i bits = _mm256_set1_epi32(bit);
  return _mm256_cmpeq_epi32(_mm256_and_si256(word, bits), bits);
}

HUESIEVE_AVX2 inline std::uint32_t LaneMask(__m256i lanes) {
  return static_cast<std::uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(lanes)));
}

struct LaneFates {
  __m256i cleared;  // decided, not kept: set to transparent black
  std::uint32_t undecided;
  std::uint32_t claimed;
};

HUESIEVE_AVX2 inline LaneFates DecideLanes(__m256i word) {
  const __m256i decided = HasBit(word, CellTable::kDecided);
  const __m256i keep = HasBit(word, CellTable::kKeep);
  return {_mm256_andnot_si256(keep, decided), LaneMask(decided) ^ 0xFFu,
          LaneMask(HasBit(word, CellTable::kClaimed))};
}

HUESIEVE_AVX2 RowClaims Row8(std::byte* row, std::int64_t slots, FrameRule<PF_Pixel>& rule) {
  const int* words = reinterpret_cast<const int*>(rule.cells().words());
  FateMemo<PF_Pixel> memo(rule);
  RowClaims claims;
  std::int64_t column = 0;
  for (; column + 8 <= slots; column += 8) {
    std::byte* at = row + column * 4;
    __m256i* vector_at = reinterpret_cast<__m256i*>(at);
    const __m256i pixels = _mm256_loadu_si256(vector_at);
    LaneFates lanes = DecideLanes(_mm256_i32gather_epi32(words, CellIndex(pixels), 2));
    _mm256_storeu_si256(vector_at, _mm256_andnot_si256(lanes.cleared, pixels));
    while (lanes.undecided != 0) {
      const int lane = __builtin_ctz(lanes.undecided);
      lanes.undecided &= lanes.undecided - 1;
      if (ApplyRuleToSlot(at + lane * 4, memo)) lanes.claimed |= 1u << lane;
    }
    claims.NoteLanes(column, lanes.claimed);
  }
  for (; column < slots; ++column) {
    if (ApplyRuleToSlot(row + column * 4, memo)) claims.Note(column);
  }
  return claims;
}

HUESIEVE_AVX2 RowClaims Row16(std::byte* row, std::int64_t slots,
                              FrameRule<PF_Pixel16>& rule) {
  const int* words = reinterpret_cast<const int*>(rule.cells().words());
  // (c × 255 + 16384) >> 15 is exactly the rounding multiply of c and 255;
  // it needs c below 32768, and every c from 32767 up converts to 255.
  const __m256i below_half = _mm256_set1_epi16(32767);
  const __m256i by255 = _mm256_set1_epi16(255);
  FateMemo<PF_Pixel16> memo(rule);
  RowClaims claims;
  std::int64_t column = 0;
  for (; column + 8 <= slots; column += 8) {
    std::byte* at = row + column * 8;
    __m256i* low_at = reinterpret_cast<__m256i*>(at);
    __m256i* high_at = reinterpret_cast<__m256i*>(at + 32);
    const __m256i low = _mm256_loadu_si256(low_at);
    const __m256i high = _mm256_loadu_si256(high_at);
    const __m256i low_scaled = _mm256_mulhrs_epi16(_mm256_min_epu16(low, below_half), by255);
    const __m256i high_scaled = _mm256_mulhrs_epi16(_mm256_min_epu16(high, below_half), by255);
    // Packing works per 128-bit half: slots 0 1 4 5 | 2 3 6 7, put in order.
    const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(low_scaled, high_scaled),
                                                   _MM_SHUFFLE(3, 1, 2, 0));
    LaneFates lanes = DecideLanes(_mm256_i32gather_epi32(words, CellIndex(bytes), 2));
    const __m256i low_cleared = _mm256_cvtepi32_epi64(_mm256_castsi256_si128(lanes.cleared));
    const __m256i high_cleared = _mm256_cvtepi32_epi64(_mm256_extracti128_si256(lanes.cleared, 1));
    _mm256_storeu_si256(low_at, _mm256_andnot_si256(low_cleared, low));
    _mm256_storeu_si256(high_at, _mm256_andnot_si256(high_cleared, high));
    while (lanes.undecided != 0) {
      const int lane = __builtin_ctz(lanes.undecided);
      lanes.undecided &= lanes.undecided - 1;
      if (ApplyRuleToSlot(at + lane * 8, memo)) lanes.claimed |= 1u << lane;
    }
    claims.NoteLanes(column, lanes.claimed);
  }
  for (; column < slots; ++column) {
    if (ApplyRuleToSlot(row + column * 8, memo)) claims.Note(column);
  }
  return claims;
}

}  // namespace

template <>
RowClaims Avx2Row(std::byte* row, std::int64_t slots, FrameRule<PF_Pixel>& rule) {
  return Row8(row, slots, rule);
}

template <>
RowClaims Avx2Row(std::byte* row, std::int64_t slots, FrameRule<PF_Pixel16>& rule) {
  return Row16(row, slots, rule);
}

}  // namespace huesieve

#endif
