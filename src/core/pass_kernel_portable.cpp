#include <cstring>

#include "core/pass_kernels.h"
#include "core/pixel_format_list.h"

namespace huesieve {
namespace {

template <typename Format, RuleModes kModes>
RowClaims PortableRow(const std::byte* from, std::byte* to, std::int64_t pixels,
                      const FrameRule<Format>& rule, CellCache& cache) {
  constexpr std::int64_t kPixelBytes = sizeof(typename Format::Pixel);
  if (from != to) std::memcpy(to, from, static_cast<std::size_t>(pixels * kPixelBytes));
  const SrgbDecisionTables* srgb =
      kModes.judge == JudgeColours::kSrgbEncoded ? &SrgbTables() : nullptr;
  LastColourMemo<ColourOutcome> memo;
  RowClaims claims;
  for (std::int64_t column = 0; column < pixels; ++column) {
    if (ApplyRuleToPixel<Format, kModes>(to + column * kPixelBytes, rule, cache, memo, srgb)) {
      claims.Note(column);
    }
  }
  return claims;
}

}  // namespace

template <typename Format>
RowKernel<Format> PortableRowKernel(const RuleModes& modes) {
  return KernelForModes<Format>(modes, [](auto modes_constant) -> RowKernel<Format> {
    return &PortableRow<Format, decltype(modes_constant)::value>;
  });
}

#define HUESIEVE_INSTANTIATE(Format) \
  template RowKernel<Format> PortableRowKernel<Format>(const RuleModes&);
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve
