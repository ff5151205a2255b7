// The colour entries of one frame, as the colour rule reads them.
#pragma once

#include <array>
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

}  // namespace huesieve
