#include "core/claim_map.h"

#include "core/colour_rule.h"
#include "core/frame_rule.h"
#include "core/pass_kernels.h"
#include "core/pixel_format_list.h"

namespace huesieve {

template <typename Format>
SelectionBounds MapClaims(const ImageView& image, const ColourEntryTable& table,
                          std::uint8_t* codes) {
  FrameRule<Format> rule(table);
  ClaimedRectangle rectangle(image.pixels_per_row);
  // Footage has long runs of one colour: a run costs one decision.
  std::uint32_t last_key = ~0u;
  std::uint8_t last_code = 0;
  for (std::int64_t row = 0; row < image.rows; ++row) {
    RowClaims claims;
    for (std::int64_t column = 0; column < image.pixels_per_row; ++column, ++codes) {
      const Rgb8 colour = ColourOf<Format>(LoadPixel<Format>(PixelAt<Format>(image, column, row)));
      const auto key = static_cast<std::uint32_t>(colour.red << 16 | colour.green << 8 | colour.blue);
      if (key != last_key) {
        last_key = key;
        const Claim claim = rule.ClaimOf(colour.red, colour.green, colour.blue);
        last_code = claim.entry < 0 ? 0
                                    : static_cast<std::uint8_t>(1 + claim.entry +
                                                                (claim.feathered ? kFeatheredClaim : 0));
      }
      *codes = last_code;
      if (last_code != 0) claims.Note(column);
    }
    if (claims.first >= 0) rectangle.NoteRow(row, claims.first, claims.last);
  }
  return rectangle.Bounds();
}

#define HUESIEVE_INSTANTIATE(Format)                                                      \
  template SelectionBounds MapClaims<Format>(const ImageView&, const ColourEntryTable&, \
                                             std::uint8_t*);
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve
