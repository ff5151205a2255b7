// The lane kernel on WebAssembly SIMD, 16 pixels at a time in four 128-bit
// vectors; built only by emscripten with -msimd128, for the tuner. The
// kernel's work per vector (the one-cell test, the strategy, the branches)
// weighs less per pixel as the vector grows, until the lanes' own work
// outgrows it and the vectors no longer stay in registers; the lane counts
// measured are in docs/tuner.md.
#include "core/pass_kernels.h"

#ifdef HUESIEVE_WASM_KERNELS

#include "core/lane_ops_paired.h"
#include "core/lane_ops_wasm.h"
#include "core/pixel_format_list.h"

// The whole module is compiled for SIMD: no target attribute is needed.
#define HUESIEVE_LANES_TARGET
#include "core/lane_kernel.h"

namespace huesieve {

template <typename Format>
RowKernel<Format> WasmSimdRowKernel(const RuleModes& modes) {
  return KernelForModes<Format>(modes, [](auto modes_constant) -> RowKernel<Format> {
    return &lanes::LaneRow<PairedOps<PairedOps<WasmSimdOps>>, Format, decltype(modes_constant)::value>;
  });
}

#define HUESIEVE_INSTANTIATE(Format) \
  template RowKernel<Format> WasmSimdRowKernel<Format>(const RuleModes&);
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve

#endif
