#include "core/srgb_decision.h"

#include <cmath>

namespace huesieve {
namespace {

std::int32_t DecisionOfFloatBits(std::uint32_t bits) {
  return SrgbEncodedByte(static_cast<double>(std::bit_cast<float>(bits)));
}

}  // namespace

SrgbDecisionTables::SrgbDecisionTables() {
  byte.fill(0);
  host16.fill(0);
  short16.fill(0);
  for (std::uint32_t v = 0; v < 256; ++v) {
    byte[v] = static_cast<std::uint8_t>(SrgbEncodedByte(v / 255.0));
  }
  for (std::uint32_t v = 0; v < 65536; ++v) {
    host16[v] = static_cast<std::uint8_t>(SrgbEncodedByte(v / 32768.0));
    short16[v] = static_cast<std::uint8_t>(SrgbEncodedByte(v / 65535.0));
  }
  // The lowest float of each decision value, by bisection over the bits of
  // the floats in [0, 1], whose order is their values' order.
  const std::uint32_t one = std::bit_cast<std::uint32_t>(1.0f);
  float_step[0] = 0.0f;
  for (std::int32_t d = 1; d < 256; ++d) {
    std::uint32_t low = 0;     // decides below d
    std::uint32_t high = one;  // decides d or more
    while (high - low > 1) {
      const std::uint32_t middle = low + (high - low) / 2;
      (DecisionOfFloatBits(middle) >= d ? high : low) = middle;
    }
    float_step[static_cast<std::size_t>(d)] = std::bit_cast<float>(high);
  }
  float_step[256] = INFINITY;
  for (std::uint32_t bucket = 0; bucket <= kFloatBuckets; ++bucket) {
    const auto first = static_cast<std::uint32_t>(DecisionOfFloatBits(bucket << 16));
    std::uint32_t step = kNoStepInBucket;
    if (first < 255) {
      const std::uint32_t next = std::bit_cast<std::uint32_t>(float_step[first + 1]);
      if (next >> 16 == bucket) step = next & 0xFFFF;
    }
    float_bucket[bucket] = first | step << 8;
  }
  // Key k holds the floats from its base bits up to the next key's; key 0
  // everything below as well, 0 included.
  for (std::uint32_t key = 0; key < kFloatKeys; ++key) {
    const std::uint32_t first = key == 0 ? 0 : kFloatKeyBase + (key << kFloatKeyShift);
    const std::uint32_t last =
        key + 1 == kFloatKeys ? kFloatOne : kFloatKeyBase + ((key + 1) << kFloatKeyShift) - 1;
    float_key_lowest[key] = static_cast<std::uint8_t>(DecisionOfFloatBits(first));
    float_key_highest[key] = static_cast<std::uint8_t>(DecisionOfFloatBits(last));
  }
}

std::int32_t SrgbEncodedByte(double unit) {
  if (!(unit > 0.0)) return 0;
  if (unit >= 1.0) return 255;
  const double encoded =
      unit <= 0.0031308 ? 12.92 * unit : 1.055 * std::pow(unit, 1.0 / 2.4) - 0.055;
  return static_cast<std::int32_t>(std::floor(255.0 * encoded + 0.5));
}

const SrgbDecisionTables& SrgbTables() {
  static const SrgbDecisionTables tables;
  return tables;
}

}  // namespace huesieve
