// The lane kernel on AVX-512, 16 slots at a time.
#include "render/pass_kernels.h"

#ifdef HUESIEVE_X86_KERNELS

#include "render/lane_ops_avx512.h"

#define HUESIEVE_LANES_TARGET __attribute__((target("avx512f,avx512bw,avx512vl,avx2")))

// GCC 12's AVX-512 intrinsics start from a deliberately undefined register and
// then warn about it where they are inlined.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

#include "render/lane_kernel.h"

namespace huesieve {

const LaneKernels kAvx512Kernels{&lanes::LaneRow<Avx512Ops, PF_Pixel>,
                                 &lanes::LaneRow<Avx512Ops, PF_Pixel16>};

}  // namespace huesieve

#endif
