// The lane kernel on AVX2, 8 slots at a time.
#include "render/pass_kernels.h"

#ifdef HUESIEVE_X86_KERNELS

#include "render/lane_ops_avx2.h"

#define HUESIEVE_LANES_TARGET __attribute__((target("avx2")))
#include "render/lane_kernel.h"

namespace huesieve {

const LaneKernels kAvx2Kernels{&lanes::LaneRow<Avx2Ops, PF_Pixel>,
                               &lanes::LaneRow<Avx2Ops, PF_Pixel16>};

}  // namespace huesieve

#endif
