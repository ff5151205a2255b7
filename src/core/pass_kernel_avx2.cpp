// The lane kernel on AVX2, 8 pixels at a time.
#include "core/pass_kernels.h"

#ifdef HUESIEVE_X86_KERNELS

#include "core/lane_ops_avx2.h"
#include "core/pixel_format_list.h"

#define HUESIEVE_LANES_TARGET __attribute__((target("avx2")))
#include "core/lane_kernel.h"

namespace huesieve {

template <typename Format>
RowKernel<Format> Avx2RowKernel(const RuleModes& modes) {
  return KernelForModes<Format>(modes, [](auto modes_constant) -> RowKernel<Format> {
    return &lanes::LaneRow<Avx2Ops, Format, decltype(modes_constant)::value>;
  });
}

#define HUESIEVE_INSTANTIATE(Format) \
  template RowKernel<Format> Avx2RowKernel<Format>(const RuleModes&);
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve

#endif
