// The colour entries of one frame, as the colour rule reads them.
#pragma once

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>

namespace huesieve {

inline constexpr int kMaxColourEntries = 10;

// An entry's colour: 8-bit at every pixel format.
struct Rgb8 {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb8&) const = default;
};

struct ColourEntryTable {
  std::int32_t count = 0;  // entries the rule tries, in order
  std::array<std::uint8_t, kMaxColourEntries> enabled{};  // 0 or 1
  std::array<Rgb8, kMaxColourEntries> colours{};
  std::array<float, kMaxColourEntries> ranges{};
  std::array<float, kMaxColourEntries> softness{};  // percent of the range that feathers
};

// The nearest float to a control's value, as the rule takes a Range or a
// Softness. A finite double beyond the float range is undefined to convert in
// C++; it is rounded as the hardware would.
inline float NarrowToFloat(double value) {
  if (!std::isfinite(value) || std::fabs(value) <= double{FLT_MAX}) {
    return static_cast<float>(value);
  }
  constexpr double kHalfUlpPastMax = double{FLT_MAX} + 0x1p103;
  const float magnitude = std::fabs(value) < kHalfUlpPastMax ? FLT_MAX : INFINITY;
  return std::copysign(magnitude, static_cast<float>(value < 0 ? -1 : 1));
}

}  // namespace huesieve
