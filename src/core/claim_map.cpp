#include "core/claim_map.h"

#include "core/cell_cache.h"
#include "core/colour_rule.h"
#include "core/frame_rule.h"
#include "core/last_colour_memo.h"
#include "core/pass_kernels.h"
#include "core/pixel_format_list.h"

namespace huesieve {
namespace {

std::uint8_t ClaimCode(const Claim& claim) {
  if (claim.entry < 0) return 0;
  return static_cast<std::uint8_t>(1 + claim.entry + (claim.feathered ? kFeatheredClaim : 0));
}

}  // namespace

template <typename Format>
SelectionBounds MapClaims(const ImageView& image, const ColourEntryTable& table,
                          std::uint8_t* codes) {
  const FrameRule<Format> rule(table);
  CellCache cache(rule.cells());
  ClaimedRectangle rectangle(image.pixels_per_row);
  LastColourMemo<std::uint8_t> memo;
  const auto code_of = [&rule, &cache](Rgb8 colour) {
    return ClaimCode(rule.ClaimOf(cache, colour));
  };
  for (std::int64_t row = 0; row < image.rows; ++row) {
    RowClaims claims;
    for (std::int64_t column = 0; column < image.pixels_per_row; ++column, ++codes) {
      *codes = memo.For(ColourOf<Format>(LoadPixel<Format>(PixelAt<Format>(image, column, row))),
                        code_of);
      if (*codes != 0) claims.Note(column);
    }
    if (claims.first >= 0) rectangle.NoteRow(row, claims.first, claims.last);
  }
  return rectangle.Bounds();
}

#define HUESIEVE_INSTANTIATE(Format)                                                    \
  template SelectionBounds MapClaims<Format>(const ImageView&, const ColourEntryTable&, \
                                             std::uint8_t*);
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve
