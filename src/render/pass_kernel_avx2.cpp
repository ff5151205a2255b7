// AVX2 kernels, 8 slots at a time: a gather of cell words decides most slots,
// and the slots of test cells are resolved in all lanes at once, with lane
// masks kept in vectors. Compiled for the target by function attributes only,
// so nothing outside these functions uses AVX2.
#include "render/pass_kernels.h"

#ifdef HUESIEVE_X86_KERNELS

#include <immintrin.h>

#include <array>

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

// The outcome of 8 slots, as all-ones lanes.
struct LaneFates {
  __m256i cleared;  // to become transparent black
  __m256i ramped;   // alpha to become `alpha`
  __m256i alpha;
  std::uint32_t claimed;  // bit per lane, for the bounds
};

// The frame's rule for 8 slots at a time: the cell table by gather, and the
// slots of test cells by the entries' integer thresholds in all lanes at once.
class VectorRule {
 public:
  template <typename Pixel>
  explicit VectorRule(FrameRule<Pixel>& rule)
      : cells_(rule.cells()),
        thresholds_(rule.thresholds()),
        words_(reinterpret_cast<const int*>(rule.cells().words())),
        ramp_max_(static_cast<float>(PixelTraits<Pixel>::kRampMax)) {
    for (std::int32_t k = 0; k < thresholds_.count; ++k) {
      const auto entry = static_cast<std::size_t>(k);
      AddReachBox(entry);
      range_[entry] = rule.table().ranges[entry];
      // The band as SoftnessRamp computes it, step by step.
      float part = rule.table().softness[entry] / 100.0f;
      part = part * range_[entry];
      const float inner = range_[entry] - part;
      band_[entry] = range_[entry] - inner;
    }
  }

  // 8 pixels as 8-bit alpha, red, green, blue.
  HUESIEVE_AVX2 LaneFates Decide(__m256i pixels) {
    // A slot outside every entry's box is claimed by none: in the box test a
    // byte within its bounds subtracts to 0, so a slot inside has a zero lane.
    // The test is skipped after a vector that needed the cell table anyway
    // (inside a selection, or noise), until one finds nothing claimed again.
    __m256i reached = _mm256_set1_epi32(-1);
    if (box_pays_) {
      __m256i outside = _mm256_set1_epi32(-1);
      for (std::size_t box = 0; box < box_count_; ++box) {
        const __m256i offset = _mm256_sub_epi8(pixels, _mm256_set1_epi32(box_low_[box]));
        outside = _mm256_min_epu32(outside,
                                   _mm256_subs_epu8(offset, _mm256_set1_epi32(box_width_[box])));
      }
      reached = _mm256_cmpeq_epi32(outside, _mm256_setzero_si256());
      if (LaneMask(reached) == 0) {
        return {_mm256_set1_epi32(-1), _mm256_setzero_si256(), _mm256_setzero_si256(), 0};
      }
      box_pays_ = false;
    }

    const __m256i cell = CellIndex(pixels);
    __m256i word = _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), words_, cell, reached, 2);
    const __m256i low_half = _mm256_set1_epi32(0xFFFF);
    const __m256i unknown =
        _mm256_cmpeq_epi32(_mm256_and_si256(word, low_half), _mm256_setzero_si256());
    const std::uint32_t unknown_lanes = LaneMask(_mm256_and_si256(unknown, reached));
    if (unknown_lanes != 0) word = ClassifyAndGather(cell, unknown_lanes, reached);
    const __m256i tested = HasBit(word, CellTable::kTest);
    const __m256i kept = HasBit(word, CellTable::kKeep);
    box_pays_ = LaneMask(_mm256_or_si256(tested, HasBit(word, CellTable::kClaimed))) == 0;
    LaneFates lanes{_mm256_andnot_si256(_mm256_or_si256(kept, tested), _mm256_set1_epi32(-1)),
                    _mm256_setzero_si256(), _mm256_setzero_si256(),
                    LaneMask(HasBit(word, CellTable::kClaimed))};
    if (LaneMask(tested) != 0) TestEntries(pixels, word, tested, lanes);
    return lanes;
  }

 private:
  HUESIEVE_AVX2 __m256i ClassifyAndGather(__m256i cell, std::uint32_t unknown, __m256i reached) {
    std::int32_t cells[8];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(cells), cell);
    for (; unknown != 0; unknown &= unknown - 1) cells_.Lookup(cells[__builtin_ctz(unknown)]);
    return _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), words_, cell, reached, 2);
  }

  // The box of colours entry k may claim: each term of the redmean sum alone
  // must lie below the threshold, red and blue weighing at least 2 d^2,
  // green 4 d^2. Bytes as alpha, red, green, blue; alpha is never bounded.
  void AddReachBox(std::size_t entry) {
    const std::uint32_t claim_below = thresholds_.claim_below[entry];
    if (claim_below == 0) return;
    // The largest d in 0..255 with weight × d^2 < claim_below.
    const auto reach = [claim_below](std::uint32_t weight) {
      std::uint32_t low = 0;
      std::uint32_t high = 255;
      while (low < high) {
        const std::uint32_t middle = (low + high + 1) / 2;
        if (weight * middle * middle < claim_below) {
          low = middle;
        } else {
          high = middle - 1;
        }
      }
      return low;
    };
    const auto bounds = [](std::uint32_t colour, std::uint32_t d, int shift, std::uint32_t& low,
                           std::uint32_t& width) {
      const std::uint32_t from = colour > d ? colour - d : 0;
      const std::uint32_t to = colour + d < 255 ? colour + d : 255;
      low |= from << shift;
      width |= (to - from) << shift;
    };
    std::uint32_t low = 0;
    std::uint32_t width = 0xFF;
    bounds(thresholds_.red[entry], reach(2), 8, low, width);
    bounds(thresholds_.green[entry], reach(4), 16, low, width);
    bounds(thresholds_.blue[entry], reach(2), 24, low, width);
    box_low_[box_count_] = static_cast<int>(low);
    box_width_[box_count_] = static_cast<int>(width);
    ++box_count_;
  }

  // As the AVX-512 kernel: the entries in order, each claiming the open lanes
  // whose sum lies below its threshold, carrying the claiming entry's
  // constants along; then the ramp in the rule's own precision.
  HUESIEVE_AVX2 void TestEntries(__m256i pixels, __m256i word, __m256i tested,
                                 LaneFates& lanes) const {
    const __m256i byte = _mm256_set1_epi32(0xFF);
    const __m256i red = _mm256_and_si256(_mm256_srli_epi32(pixels, 8), byte);
    const __m256i green = _mm256_and_si256(_mm256_srli_epi32(pixels, 16), byte);
    const __m256i blue = _mm256_srli_epi32(pixels, 24);
    const __m256i candidates =
        _mm256_and_si256(_mm256_and_si256(word, _mm256_set1_epi32(CellTable::kEntryMask)), tested);
    std::int32_t lane_candidates[8];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lane_candidates), candidates);
    unsigned entries = 0;
    for (std::int32_t c : lane_candidates) entries |= static_cast<unsigned>(c);

    __m256i open = tested;
    __m256i sum = _mm256_setzero_si256();
    __m256i enabled = _mm256_setzero_si256();
    __m256i ramp_from = _mm256_setzero_si256();
    __m256 range = _mm256_setzero_ps();
    __m256 band = _mm256_setzero_ps();
    while (entries != 0) {
      const int k = __builtin_ctz(entries);
      entries &= entries - 1;
      const auto entry = static_cast<std::size_t>(k);
      const __m256i trying = _mm256_and_si256(open, HasBit(candidates, 1 << k));
      const __m256i cr = _mm256_set1_epi32(thresholds_.red[entry]);
      const __m256i rmean = _mm256_srli_epi32(_mm256_add_epi32(red, cr), 1);
      const __m256i dr = _mm256_sub_epi32(red, cr);
      const __m256i dg = _mm256_sub_epi32(green, _mm256_set1_epi32(thresholds_.green[entry]));
      const __m256i db = _mm256_sub_epi32(blue, _mm256_set1_epi32(thresholds_.blue[entry]));
      const __m256i red_term = _mm256_srli_epi32(
          _mm256_mullo_epi32(_mm256_add_epi32(rmean, _mm256_set1_epi32(512)),
                             _mm256_mullo_epi32(dr, dr)),
          8);
      const __m256i green_term = _mm256_slli_epi32(_mm256_mullo_epi32(dg, dg), 2);
      const __m256i blue_term = _mm256_srli_epi32(
          _mm256_mullo_epi32(_mm256_sub_epi32(_mm256_set1_epi32(767), rmean),
                             _mm256_mullo_epi32(db, db)),
          8);
      const __m256i s = _mm256_add_epi32(_mm256_add_epi32(red_term, green_term), blue_term);
      // Sums and thresholds stay below 2^21: a signed compare is exact.
      const __m256i claims = _mm256_and_si256(
          trying, _mm256_cmpgt_epi32(
                      _mm256_set1_epi32(static_cast<int>(thresholds_.claim_below[entry])), s));
      sum = _mm256_blendv_epi8(sum, s, claims);
      enabled = _mm256_blendv_epi8(enabled, _mm256_set1_epi32(-thresholds_.enabled[entry]), claims);
      ramp_from = _mm256_blendv_epi8(
          ramp_from, _mm256_set1_epi32(static_cast<int>(thresholds_.ramp_from[entry])), claims);
      const __m256 claims_ps = _mm256_castsi256_ps(claims);
      range = _mm256_blendv_ps(range, _mm256_set1_ps(range_[entry]), claims_ps);
      band = _mm256_blendv_ps(band, _mm256_set1_ps(band_[entry]), claims_ps);
      open = _mm256_andnot_si256(claims, open);
    }
    const __m256i claimed = _mm256_andnot_si256(open, tested);
    const __m256i kept_or_ramped = _mm256_and_si256(claimed, enabled);
    const __m256i ramped =
        _mm256_andnot_si256(_mm256_cmpgt_epi32(ramp_from, sum), kept_or_ramped);
    lanes.claimed |= LaneMask(claimed);
    lanes.cleared = _mm256_or_si256(lanes.cleared, _mm256_andnot_si256(kept_or_ramped, tested));
    if (LaneMask(ramped) == 0) return;
    lanes.ramped = ramped;

    const __m128 distance_low = _mm256_cvtpd_ps(
        _mm256_sqrt_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(sum))));
    const __m128 distance_high = _mm256_cvtpd_ps(
        _mm256_sqrt_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(sum, 1))));
    const __m256 distance = _mm256_set_m128(distance_high, distance_low);
    __m256 value = _mm256_div_ps(_mm256_sub_ps(range, distance), band);
    value = _mm256_mul_ps(value, _mm256_set1_ps(100.0f));
    value = _mm256_div_ps(value, _mm256_set1_ps(100.0f));
    const __m256 maximum = _mm256_set1_ps(ramp_max_);
    value = _mm256_mul_ps(value, maximum);
    const __m256i positive =
        _mm256_castps_si256(_mm256_cmp_ps(value, _mm256_setzero_ps(), _CMP_GT_OQ));
    const __m256i full = _mm256_castps_si256(_mm256_cmp_ps(value, maximum, _CMP_GE_OQ));
    const __m256i truncated = _mm256_and_si256(_mm256_cvttps_epi32(value), positive);
    lanes.alpha = _mm256_blendv_epi8(truncated, _mm256_set1_epi32(static_cast<int>(ramp_max_)), full);
  }

  CellTable& cells_;
  const EntryThresholds& thresholds_;
  const int* words_;
  float ramp_max_;
  std::array<float, kMaxColourEntries> range_{};
  std::array<float, kMaxColourEntries> band_{};
  bool box_pays_ = true;
  std::size_t box_count_ = 0;
  std::array<int, kMaxColourEntries> box_low_{};
  std::array<int, kMaxColourEntries> box_width_{};
};

HUESIEVE_AVX2 RowClaims Row8(std::byte* row, std::int64_t slots, FrameRule<PF_Pixel>& rule) {
  VectorRule vector_rule(rule);
  FateMemo<PF_Pixel> memo(rule);
  RowClaims claims;
  std::int64_t column = 0;
  for (; column + 8 <= slots; column += 8) {
    __m256i* at = reinterpret_cast<__m256i*>(row + column * 4);
    const __m256i pixels = _mm256_loadu_si256(at);
    const LaneFates lanes = vector_rule.Decide(pixels);
    const __m256i with_alpha = _mm256_or_si256(
        _mm256_and_si256(pixels, _mm256_set1_epi32(static_cast<int>(0xFFFFFF00u))), lanes.alpha);
    const __m256i result = _mm256_blendv_epi8(pixels, with_alpha, lanes.ramped);
    _mm256_storeu_si256(at, _mm256_andnot_si256(lanes.cleared, result));
    claims.NoteLanes(column, lanes.claimed);
  }
  for (; column < slots; ++column) {
    if (ApplyRuleToSlot(row + column * 4, memo)) claims.Note(column);
  }
  return claims;
}

// Four 16-bit slots with their 32-bit lane masks widened to the slots; alpha
// is the first channel, the low 16 bits of each slot.
HUESIEVE_AVX2 inline __m256i Apply16(__m256i pixels, __m128i cleared, __m128i ramped,
                                     __m128i alpha) {
  const __m256i with_alpha = _mm256_or_si256(
      _mm256_and_si256(pixels, _mm256_set1_epi64x(~std::int64_t{0xFFFF})),
      _mm256_cvtepu32_epi64(alpha));
  const __m256i result = _mm256_blendv_epi8(pixels, with_alpha, _mm256_cvtepi32_epi64(ramped));
  return _mm256_andnot_si256(_mm256_cvtepi32_epi64(cleared), result);
}

HUESIEVE_AVX2 RowClaims Row16(std::byte* row, std::int64_t slots,
                              FrameRule<PF_Pixel16>& rule) {
  // (c × 255 + 16384) >> 15 is exactly the rounding multiply of c and 255;
  // it needs c below 32768, and every c from 32767 up converts to 255.
  const __m256i below_half = _mm256_set1_epi16(32767);
  const __m256i by255 = _mm256_set1_epi16(255);
  VectorRule vector_rule(rule);
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
    const LaneFates lanes = vector_rule.Decide(bytes);
    _mm256_storeu_si256(low_at, Apply16(low, _mm256_castsi256_si128(lanes.cleared),
                                        _mm256_castsi256_si128(lanes.ramped),
                                        _mm256_castsi256_si128(lanes.alpha)));
    _mm256_storeu_si256(high_at, Apply16(high, _mm256_extracti128_si256(lanes.cleared, 1),
                                         _mm256_extracti128_si256(lanes.ramped, 1),
                                         _mm256_extracti128_si256(lanes.alpha, 1)));
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
