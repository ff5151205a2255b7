// The lane kernel on AVX2, 8 slots at a time.
#include "render/pass_kernels.h"

#ifdef HUESIEVE_X86_KERNELS

#include "render/lane_ops_avx2.h"

#define HUESIEVE_LANES_TARGET __attribute__((target("avx2")))
#include "render/lane_kernel.h"

namespace huesieve {

template <>
HUESIEVE_LANES_TARGET RowClaims Avx2Row(std::byte* row, std::int64_t slots,
                                        FrameRule<PF_Pixel>& rule) {
  return lanes::LaneRow<Avx2Ops>(row, slots, rule);
}

template <>
HUESIEVE_LANES_TARGET RowClaims Avx2Row(std::byte* row, std::int64_t slots,
                                        FrameRule<PF_Pixel16>& rule) {
  return lanes::LaneRow<Avx2Ops>(row, slots, rule);
}

}  // namespace huesieve

#endif
