// The colour entries of one frame, as the colour rule reads them.
#pragma once

#include <array>
#include <cstdint>

#include "host/pf_types.h"

namespace huesieve {

inline constexpr int kMaxColourEntries = 10;

struct ColourEntryTable {
  std::int32_t count = 0;
  std::array<std::uint8_t, kMaxColourEntries> enabled{};  // 0 or 1
  std::array<PF_Pixel, kMaxColourEntries> colours{};      // 8-bit at both depths; alpha unused
  std::array<float, kMaxColourEntries> ranges{};
  std::array<float, kMaxColourEntries> softness{};  // percent of the range that feathers
};

}  // namespace huesieve
