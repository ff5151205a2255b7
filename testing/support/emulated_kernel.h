// The lane kernel over the emulated 16-lane operations: a row kernel the tests
// run the selection pass with, on any processor, as the AVX-512 kernel runs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/emulated_lane_ops.h"

// Plain code: no instruction set to enable.
#define HUESIEVE_LANES_TARGET
#include "render/lane_kernel.h"
#undef HUESIEVE_LANES_TARGET

namespace huesieve::testing_support {

inline constexpr const char* kEmulatedWideName = "emulated-avx512";

template <typename Pixel>
RowClaims EmulatedWideRow(std::byte* row, std::int64_t slots, FrameRule<Pixel>& rule) {
  return lanes::LaneRow<EmulatedLaneOps<16>>(row, slots, rule);
}

}  // namespace huesieve::testing_support
