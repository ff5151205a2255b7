#include "core/pass_kernels.h"
#include "core/pixel_format_list.h"

namespace huesieve {

template <typename Format>
RowClaims PortableRow(std::byte* row, std::int64_t pixels, FrameRule<Format>& rule) {
  constexpr std::int64_t kPixelBytes = sizeof(typename Format::Pixel);
  FateMemo<Format> memo(rule);
  RowClaims claims;
  for (std::int64_t column = 0; column < pixels; ++column) {
    if (ApplyRuleToPixel(row + column * kPixelBytes, memo)) claims.Note(column);
  }
  return claims;
}

#define HUESIEVE_INSTANTIATE(Format) \
  template RowClaims PortableRow(std::byte*, std::int64_t, FrameRule<Format>&);
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve
