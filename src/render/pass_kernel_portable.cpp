#include "render/pass_kernels.h"

namespace huesieve {

template <typename Pixel>
RowClaims PortableRow(std::byte* row, std::int64_t slots, FrameRule<Pixel>& rule) {
  FateMemo<Pixel> memo(rule);
  RowClaims claims;
  for (std::int64_t column = 0; column < slots; ++column) {
    if (ApplyRuleToSlot(row + column * std::int64_t{sizeof(Pixel)}, memo)) claims.Note(column);
  }
  return claims;
}

template RowClaims PortableRow(std::byte*, std::int64_t, FrameRule<PF_Pixel>&);
template RowClaims PortableRow(std::byte*, std::int64_t, FrameRule<PF_Pixel16>&);

}  // namespace huesieve
