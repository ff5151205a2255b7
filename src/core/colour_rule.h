// The colour match rule: how far a pixel's colour lies from an entry's, and
// the alpha of a pixel in an entry's feather band. Each step runs in exactly
// the integer, single or double precision written here; stored projects must
// render the same on every machine, so this code is built without
// floating-point contraction. The frame's preparation (entry_thresholds.h)
// and the kernels decide with these functions, or with forms proven equal.
#pragma once

#include <cstdint>

#include "core/colour_entry_table.h"
#include "core/pixel_formats.h"

namespace huesieve {

// The squared redmean distance from its factors: the squared differences of
// the channels and the mean red that weights the red and the blue term.
// Bounds over a cell of colours take each factor at its own bound, so the two
// means may differ.
constexpr std::int32_t WeightedRedmeanSum(std::int32_t red_term_mean, std::int32_t blue_term_mean,
                                          std::int32_t dr2, std::int32_t dg2, std::int32_t db2) {
  return (((red_term_mean + 512) * dr2) >> 8) + 4 * dg2 + (((767 - blue_term_mean) * db2) >> 8);
}

// The squared redmean distance, a whole number, between a pixel's colour on
// the 8-bit scale and an entry's colour. None exceeds 194818 + 260100 +
// 194818, and no intermediate overflows 32 bits.
constexpr std::int32_t SquaredRedmeanDistance(std::int32_t pr, std::int32_t pg, std::int32_t pb,
                                              std::int32_t cr, std::int32_t cg, std::int32_t cb) {
  const std::int32_t rmean = (pr + cr) / 2;
  const std::int32_t dr = pr - cr;
  const std::int32_t dg = pg - cg;
  const std::int32_t db = pb - cb;
  return WeightedRedmeanSum(rmean, rmean, dr * dr, dg * dg, db * db);
}

// A pixel's colour on the 8-bit scale the rule decides on.
template <typename Format>
constexpr Rgb8 ColourOf(const typename Format::Pixel& pixel) {
  return {static_cast<std::uint8_t>(Format::ToByteScale(pixel[Format::kRed])),
          static_cast<std::uint8_t>(Format::ToByteScale(pixel[Format::kGreen])),
          static_cast<std::uint8_t>(Format::ToByteScale(pixel[Format::kBlue]))};
}

// The width of an entry's feather band. The steps are single precision and
// deliberately roundabout: `band` is not `part`, and the difference changes
// some alphas by one, mostly at 16 bits.
inline float FeatherBand(float range, float softness) {
  float part = softness / 100.0f;
  part = part * range;
  const float inner = range - part;
  return range - inner;
}

// The ramp within a band of known width. `× 100 ÷ 100` is no identity in
// single precision: it changes some alphas by one, and rendered projects
// depend on it.
inline float RampInBand(float distance, float range, float band, float maximum) {
  float value = (range - distance) / band;
  value = value * 100.0f;
  value = value / 100.0f;
  value = value * maximum;
  return value;
}

// The ramp value as an alpha sample: kept within 0 and the ramp maximum, and
// truncated toward zero where the sample is an integer. A Softness of a tiny
// fraction of a percent makes the band cancel to a sliver or to nothing,
// giving values past the maximum, infinity or NaN; written raw they would
// wrap, overflow the 16-bit scale or be undefined.
template <typename Format>
constexpr typename Format::Sample AlphaFromRamp(float value) {
  using Sample = typename Format::Sample;
  if (!(value > 0.0f)) return Sample{0};
  if (value >= static_cast<float>(Format::kRampMax)) return Format::kRampMax;
  return static_cast<Sample>(value);
}

}  // namespace huesieve
