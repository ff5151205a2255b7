#include "testing/support/emulated_kernel.h"

#include <cstddef>
#include <cstdint>

#include "core/pixel_format_list.h"

namespace huesieve::testing_support {
namespace {

template <typename Format, RuleModes kModes>
RowClaims EmulatedWideRow(const std::byte* from, std::byte* to, std::int64_t pixels,
                          const FrameRule<Format>& rule, CellCache& cache) {
  return lanes::LaneRow<EmulatedLaneOps<16>, Format, kModes>(from, to, pixels, rule, cache);
}

}  // namespace

template <typename Format>
RowKernel<Format> EmulatedWideKernel(const RuleModes& modes) {
  return KernelForModes<Format>(modes, [](auto modes_constant) -> RowKernel<Format> {
    return &EmulatedWideRow<Format, decltype(modes_constant)::value>;
  });
}

#define HUESIEVE_INSTANTIATE(Format) \
  template RowKernel<Format> EmulatedWideKernel<Format>(const RuleModes&);
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve::testing_support
