#include "core/kernel_dispatch.h"

#include <array>
#include <cstddef>

#include "core/pixel_format_list.h"

namespace huesieve {
namespace {

template <typename Format>
RowKernels<Format> KernelsOf(KernelIsa isa) {
  switch (KernelIsaRuns(isa) ? isa : KernelIsa::kPortable) {
#ifdef HUESIEVE_X86_KERNELS
    case KernelIsa::kAvx512:
      return RowKernels<Format>::Of(&Avx512RowKernel<Format>);
    case KernelIsa::kAvx2:
      return RowKernels<Format>::Of(&Avx2RowKernel<Format>);
#endif
#ifdef HUESIEVE_WASM_KERNELS
    case KernelIsa::kWasmSimd:
      return RowKernels<Format>::Of(&WasmSimdRowKernel<Format>);
#endif
    default:
      return RowKernels<Format>::Of(&PortableRowKernel<Format>);
  }
}

}  // namespace

template <typename Format>
const RowKernels<Format>& RowKernelsOf(KernelIsa isa) {
  static const std::array<RowKernels<Format>, 4> kEveryIsa{
      KernelsOf<Format>(KernelIsa::kPortable), KernelsOf<Format>(KernelIsa::kAvx2),
      KernelsOf<Format>(KernelIsa::kAvx512), KernelsOf<Format>(KernelIsa::kWasmSimd)};
  static_assert(static_cast<std::size_t>(KernelIsa::kWasmSimd) + 1 ==
                std::tuple_size_v<decltype(kEveryIsa)>);
  return kEveryIsa[static_cast<std::size_t>(isa)];
}

template <typename Format>
const RowKernels<Format>& BestRowKernels() {
  static const RowKernels<Format>& kBest = RowKernelsOf<Format>(BestKernelIsa());
  return kBest;
}

#define HUESIEVE_INSTANTIATE(Format)                                      \
  template const RowKernels<Format>& RowKernelsOf<Format>(KernelIsa isa); \
  template const RowKernels<Format>& BestRowKernels<Format>();
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve
