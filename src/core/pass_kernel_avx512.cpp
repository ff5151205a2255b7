// The lane kernel on AVX-512, 16 pixels at a time.
#include "core/pass_kernels.h"

#ifdef HUESIEVE_X86_KERNELS

#include "core/lane_ops_avx512.h"
#include "core/pixel_format_list.h"

#define HUESIEVE_LANES_TARGET __attribute__((target("avx512f,avx512bw,avx512vl,avx2")))

// GCC 12's AVX-512 intrinsics start from a deliberately undefined register and
// then warn about it where they are inlined.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

#include "core/lane_kernel.h"

namespace huesieve {

template <typename Format>
RowKernel<Format> Avx512RowKernel(const RuleModes& modes) {
  return KernelForModes<Format>(modes, [](auto modes_constant) -> RowKernel<Format> {
    return &lanes::LaneRow<Avx512Ops, Format, decltype(modes_constant)::value>;
  });
}

#define HUESIEVE_INSTANTIATE(Format) \
  template RowKernel<Format> Avx512RowKernel<Format>(const RuleModes&);
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve

#endif
