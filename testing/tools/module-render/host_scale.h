// 16-bit file samples (0 to 65535) to and from the After Effects host's
// 16-bit scale (0 to 32768), for driving a built module.
#pragma once

#include <cstdint>

namespace huesieve::module_render {

// The host's 16-bit channels run from 0 to 32768. Both directions round to
// the nearest value, so every host value survives the trip out and back.
// ToHost16 is (value × 32768 + 32767) / 65535, the division written as shifts
// and adds (exact for every 16-bit value), which vectorises where a division
// does not.
constexpr std::uint16_t ToHost16(std::uint16_t value) {
  const std::uint32_t scaled = std::uint32_t{value} * 32768u + 32767u;
  return static_cast<std::uint16_t>((scaled + (scaled >> 16) + 1u) >> 16);
}

// Values past 32768 do not arise from the host scale; they saturate.
constexpr std::uint16_t FromHost16(std::uint16_t value) {
  const std::uint32_t wide = (std::uint32_t{value} * 65535u + 16384u) / 32768u;
  return static_cast<std::uint16_t>(wide > 65535u ? 65535u : wide);
}

}  // namespace huesieve::module_render
