// AVX-512 kernels, 16 slots at a time (16-bit slots first brought to 8-bit
// colours): per-axis reach rules most slots out in registers, a gather of cell
// words decides most of the rest, and the slots of test cells are resolved in
// all lanes at once. Compiled for the target by function attributes only, so
// nothing outside these functions uses AVX-512.
#include "render/pass_kernels.h"

#ifdef HUESIEVE_X86_KERNELS

// GCC 12's AVX-512 intrinsics start from a deliberately undefined register and
// then warn about it; unoptimised, its masked gathers are macros that narrow
// the mask to a signed short.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wsign-conversion"
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

// The outcome of 16 slots.
struct LaneMasks {
  __mmask16 cleared;  // to become transparent black
  __mmask16 ramped;   // alpha to become `alpha`
  __mmask16 claimed;  // for the bounds
  __m512i alpha;      // in the low bits of each 32-bit lane
};

// The frame's rule in registers: per-axis reach tables (32 entries of 16
// bits, one register each) and the entries' constants, lane k for entry k.
class VectorRule {
 public:
  template <typename Pixel>
  HUESIEVE_AVX512 explicit VectorRule(FrameRule<Pixel>& rule)
      : cells_(rule.cells()),
        thresholds_(rule.thresholds()),
        words_(reinterpret_cast<const int*>(rule.cells().words())),
        red_reach_(_mm512_loadu_si512(rule.cells().red_reach().data())),
        green_reach_(_mm512_loadu_si512(rule.cells().green_reach().data())),
        blue_reach_(_mm512_loadu_si512(rule.cells().blue_reach().data())),
        ramp_max_(static_cast<float>(PixelTraits<Pixel>::kRampMax)) {
    std::uint32_t ramp_from[16] = {};
    std::uint32_t enabled[16] = {};
    float range[16] = {};
    float band[16] = {};
    for (std::int32_t k = 0; k < thresholds_.count; ++k) {
      const auto entry = static_cast<std::size_t>(k);
      ramp_from[entry] = thresholds_.ramp_from[entry];
      enabled[entry] = thresholds_.enabled[entry];
      range[entry] = rule.table().ranges[entry];
      // The band as SoftnessRamp computes it, step by step.
      float part = rule.table().softness[entry] / 100.0f;
      part = part * range[entry];
      const float inner = range[entry] - part;
      band[entry] = range[entry] - inner;
    }
    ramp_from_ = _mm512_loadu_si512(ramp_from);
    enabled_ = _mm512_loadu_si512(enabled);
    range_ = _mm512_loadu_ps(range);
    band_ = _mm512_loadu_ps(band);
  }

  // 16 pixels as 8-bit alpha, red, green, blue.
  HUESIEVE_AVX512 LaneMasks Decide(__m512i pixels) {
    // A 16-bit word permute reads only the low 5 bits of each shifted pixel,
    // the axis's cell coordinate; slots that no entry reaches on all three
    // axes are cleared without a look at the cell table.
    const __m512i red = _mm512_permutexvar_epi16(_mm512_srli_epi32(pixels, 11), red_reach_);
    const __m512i green = _mm512_permutexvar_epi16(_mm512_srli_epi32(pixels, 19), green_reach_);
    const __m512i blue = _mm512_permutexvar_epi16(_mm512_srli_epi32(pixels, 27), blue_reach_);
    const __m512i reach = _mm512_and_si512(_mm512_and_si512(red, green), blue);
    const __mmask16 reached = _mm512_test_epi32_mask(reach, _mm512_set1_epi32(CellTable::kEntryMask));
    if (reached == 0) return {0xFFFF, 0, 0, _mm512_setzero_si512()};

    // Where most vectors need the entries tried anyway (noise, feather
    // bands), the cell words save nothing: the reached lanes are tried at once
    // with the entries that reach them, until a vector with one outcome for all
    // its reached lanes suggests decided cells again.
    if (!cells_pay_) {
      LaneMasks lanes{static_cast<__mmask16>(~reached), 0, 0, _mm512_setzero_si512()};
      TestEntries(pixels, reach, reached, lanes);
      cells_pay_ = lanes.ramped == 0 && (lanes.claimed == 0 || lanes.claimed == reached);
      return lanes;
    }

    const __m512i cell = CellIndex(pixels);
    __m512i word = _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), reached, cell, words_, 2);
    const __mmask16 unknown = _mm512_mask_testn_epi32_mask(reached, word, _mm512_set1_epi32(0xFFFF));
    if (unknown != 0) word = ClassifyAndGather(cell, unknown, reached);

    const __mmask16 tested = _mm512_test_epi32_mask(word, _mm512_set1_epi32(CellTable::kTest));
    const __mmask16 kept = _mm512_test_epi32_mask(word, _mm512_set1_epi32(CellTable::kKeep));
    LaneMasks lanes{static_cast<__mmask16>(~(kept | tested)), 0,
                    _mm512_test_epi32_mask(word, _mm512_set1_epi32(CellTable::kClaimed)),
                    _mm512_setzero_si512()};
    if (tested != 0) TestEntries(pixels, word, tested, lanes);
    cells_pay_ = tested == 0;
    return lanes;
  }

 private:
  HUESIEVE_AVX512 __m512i ClassifyAndGather(__m512i cell, __mmask16 unknown, __mmask16 reached) {
    std::int32_t cells[16];
    _mm512_storeu_si512(cells, cell);
    for (std::uint32_t lanes = unknown; lanes != 0; lanes &= lanes - 1) {
      cells_.Lookup(cells[__builtin_ctz(lanes)]);
    }
    return _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), reached, cell, words_, 2);
  }

  // The rule for the slots of test cells, all lanes at once: the entries in
  // order, each claiming the lanes whose sum lies below its threshold; then
  // enable and feather per lane from the claiming entry, and the ramp as
  // SoftnessRamp and RampToAlpha compute it (the same single and double
  // precision steps, so the same bits). `candidate_bits` holds, in its low bits,
  // a superset of the entries that may claim each lane.
  HUESIEVE_AVX512 void TestEntries(__m512i pixels, __m512i candidate_bits, __mmask16 tested,
                                   LaneMasks& lanes) const {
    const __m512i byte = _mm512_set1_epi32(0xFF);
    const __m512i red = _mm512_and_si512(_mm512_srli_epi32(pixels, 8), byte);
    const __m512i green = _mm512_and_si512(_mm512_srli_epi32(pixels, 16), byte);
    const __m512i blue = _mm512_srli_epi32(pixels, 24);
    const __m512i candidates =
        _mm512_and_si512(candidate_bits, _mm512_set1_epi32(CellTable::kEntryMask));
    auto entries = static_cast<std::uint32_t>(
        _mm512_mask_reduce_or_epi32(tested, candidates));
    __mmask16 open = tested;
    __m512i sum = _mm512_setzero_si512();
    __m512i claimer = _mm512_setzero_si512();
    // No early exits: whether lanes remain open varies from vector to vector
    // and would cost mispredictions; the masks keep finished lanes as they are.
    while (entries != 0) {
      const int k = __builtin_ctz(entries);
      entries &= entries - 1;
      const auto entry = static_cast<std::size_t>(k);
      const __mmask16 trying = _mm512_mask_test_epi32_mask(open, candidates, _mm512_set1_epi32(1 << k));
      const __m512i cr = _mm512_set1_epi32(thresholds_.red[entry]);
      const __m512i rmean = _mm512_srli_epi32(_mm512_add_epi32(red, cr), 1);
      const __m512i dr = _mm512_sub_epi32(red, cr);
      const __m512i dg = _mm512_sub_epi32(green, _mm512_set1_epi32(thresholds_.green[entry]));
      const __m512i db = _mm512_sub_epi32(blue, _mm512_set1_epi32(thresholds_.blue[entry]));
      const __m512i red_term = _mm512_srli_epi32(
          _mm512_mullo_epi32(_mm512_add_epi32(rmean, _mm512_set1_epi32(512)),
                             _mm512_mullo_epi32(dr, dr)),
          8);
      const __m512i green_term = _mm512_slli_epi32(_mm512_mullo_epi32(dg, dg), 2);
      const __m512i blue_term = _mm512_srli_epi32(
          _mm512_mullo_epi32(_mm512_sub_epi32(_mm512_set1_epi32(767), rmean),
                             _mm512_mullo_epi32(db, db)),
          8);
      const __m512i s = _mm512_add_epi32(_mm512_add_epi32(red_term, green_term), blue_term);
      const __mmask16 claims = _mm512_mask_cmplt_epu32_mask(
          trying, s, _mm512_set1_epi32(static_cast<int>(thresholds_.claim_below[entry])));
      sum = _mm512_mask_mov_epi32(sum, claims, s);
      claimer = _mm512_mask_mov_epi32(claimer, claims, _mm512_set1_epi32(k));
      open = static_cast<__mmask16>(open & ~claims);
    }
    const auto claimed = static_cast<__mmask16>(tested & ~open);
    const __mmask16 enabled =
        _mm512_mask_test_epi32_mask(claimed, _mm512_permutexvar_epi32(claimer, enabled_), byte);
    const __mmask16 ramped =
        _mm512_mask_cmpge_epu32_mask(enabled, sum, _mm512_permutexvar_epi32(claimer, ramp_from_));
    lanes.claimed = static_cast<__mmask16>(lanes.claimed | claimed);
    lanes.cleared = static_cast<__mmask16>(lanes.cleared | (tested & ~enabled));
    if (ramped == 0) return;
    lanes.ramped = ramped;

    const __m512 range = _mm512_permutexvar_ps(claimer, range_);
    const __m512 band = _mm512_permutexvar_ps(claimer, band_);
    const __m256 distance_low =
        _mm512_cvtpd_ps(_mm512_sqrt_pd(_mm512_cvtepu32_pd(_mm512_castsi512_si256(sum))));
    const __m256 distance_high =
        _mm512_cvtpd_ps(_mm512_sqrt_pd(_mm512_cvtepu32_pd(_mm512_extracti64x4_epi64(sum, 1))));
    const __m512 distance = _mm512_castpd_ps(_mm512_insertf64x4(
        _mm512_castps_pd(_mm512_castps256_ps512(distance_low)), _mm256_castps_pd(distance_high), 1));
    __m512 value = _mm512_div_ps(_mm512_sub_ps(range, distance), band);
    value = _mm512_mul_ps(value, _mm512_set1_ps(100.0f));
    value = _mm512_div_ps(value, _mm512_set1_ps(100.0f));
    const __m512 maximum = _mm512_set1_ps(ramp_max_);
    value = _mm512_mul_ps(value, maximum);
    const __mmask16 positive = _mm512_cmp_ps_mask(value, _mm512_setzero_ps(), _CMP_GT_OQ);
    const __mmask16 full = _mm512_cmp_ps_mask(value, maximum, _CMP_GE_OQ);
    const __m512i truncated = _mm512_maskz_cvttps_epi32(static_cast<__mmask16>(positive & ~full), value);
    lanes.alpha = _mm512_mask_mov_epi32(truncated, full, _mm512_set1_epi32(static_cast<int>(ramp_max_)));
  }

  CellTable& cells_;
  const EntryThresholds& thresholds_;
  const int* words_;
  __m512i red_reach_;
  __m512i green_reach_;
  __m512i blue_reach_;
  float ramp_max_;
  __m512i ramp_from_;
  __m512i enabled_;
  __m512 range_;
  __m512 band_;
  bool cells_pay_ = true;
};

HUESIEVE_AVX512 RowClaims Row8(std::byte* row, std::int64_t slots, FrameRule<PF_Pixel>& rule) {
  VectorRule vector_rule(rule);
  FateMemo<PF_Pixel> memo(rule);
  RowClaims claims;
  std::int64_t column = 0;
  for (; column + 16 <= slots; column += 16) {
    std::byte* at = row + column * 4;
    const __m512i pixels = _mm512_loadu_si512(at);
    const LaneMasks lanes = vector_rule.Decide(pixels);
    if (lanes.ramped != 0) {
      const __m512i with_alpha = _mm512_or_si512(
          _mm512_and_si512(pixels, _mm512_set1_epi32(static_cast<int>(0xFFFFFF00u))), lanes.alpha);
      _mm512_mask_storeu_epi32(at, lanes.ramped, with_alpha);
    }
    if (lanes.cleared != 0) _mm512_mask_storeu_epi32(at, lanes.cleared, _mm512_setzero_si512());
    claims.NoteLanes(column, lanes.claimed);
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

// Alpha is the first 16-bit channel: the low bits of each 64-bit slot.
HUESIEVE_AVX512 inline void StoreHalf16(std::byte* at, __m512i pixels, __mmask8 cleared,
                                        __mmask8 ramped, __m256i alpha) {
  if (ramped != 0) {
    const __m512i with_alpha =
        _mm512_or_si512(_mm512_and_si512(pixels, _mm512_set1_epi64(~std::int64_t{0xFFFF})),
                        _mm512_cvtepu32_epi64(alpha));
    _mm512_mask_storeu_epi64(at, ramped, with_alpha);
  }
  if (cleared != 0) _mm512_mask_storeu_epi64(at, cleared, _mm512_setzero_si512());
}

HUESIEVE_AVX512 RowClaims Row16(std::byte* row, std::int64_t slots,
                                FrameRule<PF_Pixel16>& rule) {
  VectorRule vector_rule(rule);
  FateMemo<PF_Pixel16> memo(rule);
  RowClaims claims;
  std::int64_t column = 0;
  for (; column + 16 <= slots; column += 16) {
    std::byte* at = row + column * 8;
    const __m512i low = _mm512_loadu_si512(at);
    const __m512i high = _mm512_loadu_si512(at + 64);
    const LaneMasks lanes = vector_rule.Decide(
        _mm512_inserti64x4(_mm512_castsi256_si512(ToBytes(low)), ToBytes(high), 1));
    if ((lanes.cleared | lanes.ramped) != 0) {
      StoreHalf16(at, low, static_cast<__mmask8>(lanes.cleared), static_cast<__mmask8>(lanes.ramped),
                  _mm512_castsi512_si256(lanes.alpha));
      StoreHalf16(at + 64, high, static_cast<__mmask8>(lanes.cleared >> 8),
                  static_cast<__mmask8>(lanes.ramped >> 8), _mm512_extracti64x4_epi64(lanes.alpha, 1));
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
RowClaims Avx512Row(std::byte* row, std::int64_t slots, FrameRule<PF_Pixel>& rule) {
  return Row8(row, slots, rule);
}

template <>
RowClaims Avx512Row(std::byte* row, std::int64_t slots, FrameRule<PF_Pixel16>& rule) {
  return Row16(row, slots, rule);
}

}  // namespace huesieve

#endif
