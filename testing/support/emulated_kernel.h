// The lane kernel over the emulated 16-lane operations: a row kernel the tests
// walk frames with (forced_walk.h), on any processor, as the AVX-512 kernel
// runs.
#pragma once

#include "core/pass_kernels.h"
#include "core/rule_modes.h"
#include "testing/support/emulated_lane_ops.h"

// Plain code: no instruction set to enable.
#define HUESIEVE_LANES_TARGET
#include "core/lane_kernel.h"
#undef HUESIEVE_LANES_TARGET

namespace huesieve::testing_support {

inline constexpr const char* kEmulatedWideName = "emulated-avx512";

// Compiled once (emulated_kernel.cpp): the kernel for every format and mode
// is a large instantiation, too slow to repeat in every test that walks with
// it, above all under the sanitizers.
template <typename Format>
RowKernel<Format> EmulatedWideKernel(const RuleModes& modes);

}  // namespace huesieve::testing_support
