// Decision values of sRGB-encoded judging. A sample v, normalised to 0..1 by
// its format's scale (a float as it is, held within 0..1, NaN as 0), is
// judged by the nearest integer (halves up) to 255 × E(v) in double
// precision, E being the IEC 61966-2-1 encoding: 12.92 v up to 0.0031308,
// else 1.055 v^(1/2.4) − 0.055. The decision is a monotone step of the
// sample, so it is tabulated once per process: a byte per sample at 8 and 16
// bits, and for floats a word per value of the float's top 16 bits (no bucket
// of floats sharing them holds two steps) saying the bucket's first decision
// and where in the bucket the next one starts, so that no pixel pays for a
// power. The lane kernels read the tables with 32-bit gathers, so each byte
// table has three bytes past its last entry.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "core/pixel_formats.h"

namespace huesieve {

// The decision value of a sample on the 0..1 scale, computed directly: the
// definition the tables hold, and how a colour control given in linear light
// becomes an entry's colour.
std::int32_t SrgbEncodedByte(double unit);

struct SrgbDecisionTables {
  SrgbDecisionTables();  // filled in place: too large for a worker's stack

  static constexpr std::size_t kGatherPadding = 3;
  std::array<std::uint8_t, 256 + kGatherPadding> byte;       // 8-bit samples, full at 255
  std::array<std::uint8_t, 65536 + kGatherPadding> host16;   // After Effects' 16-bit, full at 32768
  std::array<std::uint8_t, 65536 + kGatherPadding> short16;  // 16-bit samples, full at 65535
  // Floats in [0, 1], by their top 16 bits (the last bucket holds 1 alone):
  // bits 0..7 the decision of the bucket's lowest float, bits 8..24 the low
  // 16 bits of the bucket's lowest float that decides one more, or
  // kNoStepInBucket. The lowest float of each decision value is kept beside
  // (step[0] unused; step[256] is infinity, which none reaches).
  static constexpr std::uint32_t kFloatOne = std::bit_cast<std::uint32_t>(1.0f);
  static constexpr std::uint32_t kFloatBuckets = kFloatOne >> 16;
  static constexpr std::uint32_t kNoStepInBucket = 0x10000;
  std::array<std::uint32_t, kFloatBuckets + 1> float_bucket;
  std::array<float, 257> float_step;
  // Coarse keys of held floats, so a vector's lanes can be ruled out before
  // their decisions are read: SrgbFloatKey. Each key's lowest and highest
  // decision (its floats decide every value between, the decision being
  // monotone).
  static constexpr std::uint32_t kFloatKeys = 32;
  static constexpr int kFloatKeyShift = 21;  // below the exponent and 2 mantissa bits
  // The key floor: the keys reach 1.0's bits, which is key 31 alone.
  static constexpr std::uint32_t kFloatKeyBase = kFloatOne - ((kFloatKeys - 1) << kFloatKeyShift);
  std::array<std::uint8_t, kFloatKeys> float_key_lowest;
  std::array<std::uint8_t, kFloatKeys> float_key_highest;
};

// A held float's key, 0..31: the bits from the exponent to the second
// mantissa bit, counted from those of kFloatKeyBase (1.25 × 2^-8); every
// float below it (decisions 0 to 14) is key 0. The lane kernels compute the
// same, shifted up by kFloatKeyShift.
constexpr std::uint32_t SrgbFloatKey(std::uint32_t held) {
  constexpr std::uint32_t kBase = SrgbDecisionTables::kFloatKeyBase;
  return ((held < kBase ? kBase : held) - kBase) >> SrgbDecisionTables::kFloatKeyShift;
}

// A float's bits held within 0..1 (a negative float, -0 and NaN as 0) and
// their decision by the bucket's word, as the lane kernels compute it.
constexpr std::uint32_t SrgbDecisionOfHeldBits(std::uint32_t held, std::uint32_t bucket_word) {
  return (bucket_word & 0xFF) + ((held & 0xFFFF) >= bucket_word >> 8 ? 1u : 0u);
}

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
  return static_cast<std::int32_t>(SrgbDecisionOfHeldBits(bits, tables.float_bucket[bits >> 16]));
}

}  // namespace huesieve
