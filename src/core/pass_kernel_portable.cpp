#include <cstring>

#include "core/pass_kernels.h"
#include "core/pixel_format_list.h"

namespace huesieve {

template <typename Format>
RowClaims PortableRow(const std::byte* from, std::byte* to, std::int64_t pixels,
                      const FrameRule<Format>& rule, CellCache& cache) {
  constexpr std::int64_t kPixelBytes = sizeof(typename Format::Pixel);
  if (from != to) std::memcpy(to, from, static_cast<std::size_t>(pixels * kPixelBytes));
  LastColourMemo<ColourFate> memo;
  RowClaims claims;
  for (std::int64_t column = 0; column < pixels; ++column) {
    if (ApplyRuleToPixel(to + column * kPixelBytes, rule, cache, memo)) claims.Note(column);
  }
  return claims;
}

#define HUESIEVE_INSTANTIATE(Format)                                         \
  template RowClaims PortableRow(const std::byte*, std::byte*, std::int64_t, \
                                 const FrameRule<Format>&, CellCache&);
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve
