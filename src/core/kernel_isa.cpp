#include "core/kernel_isa.h"

namespace huesieve {

bool KernelIsaRuns(KernelIsa isa) {
  switch (isa) {
    case KernelIsa::kPortable:
      return true;
#if defined(__x86_64__) || defined(__i386__)
    // The compiler's runtime checks the OS saves the wide registers as well.
    case KernelIsa::kAvx2:
      return __builtin_cpu_supports("avx2") != 0;
    case KernelIsa::kAvx512:
      return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0 &&
             __builtin_cpu_supports("avx512vl") != 0;
#else
    case KernelIsa::kAvx2:
    case KernelIsa::kAvx512:
      return false;
#endif
    // Fixed when the module is compiled: a browser without SIMD refuses the
    // whole module rather than a kernel.
    case KernelIsa::kWasmSimd:
#ifdef __wasm_simd128__
      return true;
#else
      return false;
#endif
  }
  return false;
}

KernelIsa BestKernelIsa() {
  if (KernelIsaRuns(KernelIsa::kWasmSimd)) return KernelIsa::kWasmSimd;
  if (KernelIsaRuns(KernelIsa::kAvx512)) return KernelIsa::kAvx512;
  if (KernelIsaRuns(KernelIsa::kAvx2)) return KernelIsa::kAvx2;
  return KernelIsa::kPortable;
}

}  // namespace huesieve
