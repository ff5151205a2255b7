// Every instruction set the core has kernels for, and their names, for tests
// and benchmarks that take each in turn; the shipped code asks only which
// one runs.
#pragma once

#include <array>

#include "core/kernel_isa.h"

namespace huesieve {

inline constexpr std::array<KernelIsa, 4> kAllKernelIsas{KernelIsa::kPortable, KernelIsa::kAvx2,
                                                         KernelIsa::kAvx512, KernelIsa::kWasmSimd};

constexpr const char* KernelIsaName(KernelIsa isa) {
  switch (isa) {
    case KernelIsa::kPortable:
      return "portable";
    case KernelIsa::kAvx2:
      return "avx2";
    case KernelIsa::kAvx512:
      return "avx512";
    case KernelIsa::kWasmSimd:
      return "wasm-simd";
  }
  return "unknown";
}

}  // namespace huesieve
