// Decision values of sRGB-encoded judging. A sample v, normalised to 0..1 by
// its format's scale (a float as it is, held within 0..1, NaN as 0), is
// judged by the nearest integer (halves up) to 255 × E(v) in double
// precision, E being the IEC 61966-2-1 encoding: 12.92 v up to 0.0031308,
// else 1.055 v^(1/2.4) − 0.055. The decision is a monotone step of the
// sample, so it is tabulated once per process: a byte per sample at 8 and 16
// bits, and for floats the 255 samples where it steps, found through a table
// indexed by the float's top 16 bits (no bucket of that table holds two
// steps), so that no pixel pays for a power.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "core/pixel_formats.h"

namespace huesieve {

// The decision value of a sample on the 0..1 scale, computed directly: the
// definition the tables hold, and how a colour control given in linear light
// becomes an entry's colour.
std::int32_t SrgbEncodedByte(double unit);

struct SrgbDecisionTables {
  SrgbDecisionTables();  // filled in place: too large for a worker's stack

  std::array<std::uint8_t, 256> byte;       // 8-bit samples, full at 255
  std::array<std::uint8_t, 65536> host16;   // the first host's 16-bit, full at 32768
  std::array<std::uint8_t, 65536> short16;  // 16-bit samples, full at 65535
  // Floats in [0, 1]: the decision of the lowest float with the same top 16
  // bits (the last bucket holds 1 alone), and the lowest float of each
  // decision value (step[0] unused; step[256] is infinity, which none
  // reaches).
  static constexpr std::uint32_t kFloatOne = std::bit_cast<std::uint32_t>(1.0f);
  static constexpr std::uint32_t kFloatBuckets = kFloatOne >> 16;
  std::array<std::uint8_t, kFloatBuckets + 1> float_bucket;
  std::array<float, 257> float_step;
};

// Made on first use, then only read.
const SrgbDecisionTables& SrgbTables();

// A sample's decision value when judged sRGB-encoded.
template <typename Format>
std::int32_t SrgbByteScale(const SrgbDecisionTables& tables, typename Format::Sample sample);

template <>
inline std::int32_t SrgbByteScale<Argb8>(const SrgbDecisionTables& tables, std::uint8_t sample) {
  return tables.byte[sample];
}
template <>
inline std::int32_t SrgbByteScale<Rgba8>(const SrgbDecisionTables& tables, std::uint8_t sample) {
  return tables.byte[sample];
}
template <>
inline std::int32_t SrgbByteScale<Argb16>(const SrgbDecisionTables& tables, std::uint16_t sample) {
  return tables.host16[sample];
}
template <>
inline std::int32_t SrgbByteScale<Rgba16>(const SrgbDecisionTables& tables, std::uint16_t sample) {
  return tables.short16[sample];
}
// Held within 0..1 by its bits, without branches: a negative float (sign
// bit set) and NaN lie above infinity's bits and count as 0, and whatever
// lies above 1's bits counts as 1.
template <>
inline std::int32_t SrgbByteScale<RgbaFloat>(const SrgbDecisionTables& tables, float sample) {
  constexpr std::uint32_t kInfinity = 0x7F800000u;
  std::uint32_t bits = std::bit_cast<std::uint32_t>(sample);
  bits = bits > kInfinity ? 0u : bits;
  bits = bits > SrgbDecisionTables::kFloatOne ? SrgbDecisionTables::kFloatOne : bits;
  const std::int32_t value = tables.float_bucket[bits >> 16];
  const float held = std::bit_cast<float>(bits);
  return value + (held >= tables.float_step[static_cast<std::size_t>(value) + 1] ? 1 : 0);
}

}  // namespace huesieve
