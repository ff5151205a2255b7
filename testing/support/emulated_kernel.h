// The lane kernel over the emulated 16-lane operations: a row kernel the tests
// walk frames with (forced_walk.h), on any processor, as the AVX-512 kernel
// runs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "testing/support/emulated_lane_ops.h"

// Plain code: no instruction set to enable.
#define HUESIEVE_LANES_TARGET
#include "core/lane_kernel.h"
#undef HUESIEVE_LANES_TARGET

namespace huesieve::testing_support {

inline constexpr const char* kEmulatedWideName = "emulated-avx512";

template <typename Format, RuleModes kModes = RuleModes{}>
RowClaims EmulatedWideRow(const std::byte* from, std::byte* to, std::int64_t pixels,
                          const FrameRule<Format>& rule, CellCache& cache) {
  return lanes::LaneRow<EmulatedLaneOps<16>, Format, kModes>(from, to, pixels, rule, cache);
}

template <typename Format>
RowKernel<Format> EmulatedWideKernel(const RuleModes& modes) {
  return KernelForModes<Format>(modes, [](auto modes_constant) -> RowKernel<Format> {
    return &EmulatedWideRow<Format, decltype(modes_constant)::value>;
  });
}

}  // namespace huesieve::testing_support
