#include "image/sample_rows.h"

#include <cmath>
#include <cstring>

namespace huesieve::image {
namespace {

double Full(SampleType type) {
  return type == SampleType::kUint8 ? 255.0 : type == SampleType::kUint16 ? 65535.0 : 1.0;
}

double Load(const std::byte* at, SampleType type) {
  switch (type) {
    case SampleType::kUint8:
      return std::to_integer<int>(*at) / 255.0;
    case SampleType::kUint16: {
      std::uint16_t value;
      std::memcpy(&value, at, sizeof value);
      return value / 65535.0;
    }
    case SampleType::kFloat:
      break;
  }
  float value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

void Store(double value, SampleType type, std::byte* at) {
  if (type == SampleType::kFloat) {
    const auto sample = static_cast<float>(value);
    std::memcpy(at, &sample, sizeof sample);
    return;
  }
  // NaN becomes 0.
  const double clamped = value > 0.0 ? (value < 1.0 ? value : 1.0) : 0.0;
  const auto level = static_cast<std::uint16_t>(std::lround(clamped * Full(type)));
  if (type == SampleType::kUint8) {
    *at = static_cast<std::byte>(level);
  } else {
    std::memcpy(at, &level, sizeof level);
  }
}

}  // namespace

void ConvertRow(const std::byte* row, SampleType from, std::uint32_t width, SampleType to,
                bool unpremultiply, std::byte* out) {
  if (from == to && !unpremultiply) {
    std::memcpy(out, row, std::size_t{width} * 4 * SampleSize(from));
    return;
  }
  const std::size_t in_size = SampleSize(from);
  const std::size_t out_size = SampleSize(to);
  for (std::uint32_t x = 0; x < width; ++x) {
    double pixel[4];
    for (std::size_t c = 0; c < 4; ++c)
      pixel[c] = Load(row + (std::size_t{x} * 4 + c) * in_size, from);
    if (unpremultiply && pixel[3] != 0.0) {
      for (std::size_t c = 0; c < 3; ++c) pixel[c] /= pixel[3];
    }
    for (std::size_t c = 0; c < 4; ++c)
      Store(pixel[c], to, out + (std::size_t{x} * 4 + c) * out_size);
  }
}

}  // namespace huesieve::image
