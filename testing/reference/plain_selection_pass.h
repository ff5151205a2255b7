// The plain walk over a picture, pixel by pixel through MatchPixel: what the
// core's selection pass must equal, pixel for pixel and in the bounds.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/colour_entry_table.h"
#include "core/image_view.h"
#include "core/selection_bounds.h"
#include "testing/reference/match_pixel.h"

namespace huesieve {

template <typename Format>
SelectionBounds PlainSelectionPass(const ImageView& image, const ColourEntryTable& table,
                                   const RuleModes& modes = {}) {
  bool any_claimed = false;
  std::int64_t first_row = 0;
  std::int64_t smallest_column = image.pixels_per_row;
  std::int64_t largest_column = 0;
  std::int64_t largest_row = 0;

  for (std::int64_t row = 0; row < image.rows; ++row) {
    for (std::int64_t column = 0; column < image.pixels_per_row; ++column) {
      std::byte* at = PixelAt<Format>(image, column, row);
      typename Format::Pixel pixel = LoadPixel<Format>(at);
      const bool claimed = MatchPixel<Format>(pixel, table, modes);
      StorePixel<Format>(at, pixel);
      if (!claimed) continue;
      if (!any_claimed) first_row = row;
      any_claimed = true;
      smallest_column = std::min(smallest_column, column);
      largest_column = std::max(largest_column, column);
      largest_row = row;
    }
  }

  return SelectionBounds{
      static_cast<std::int32_t>(any_claimed ? smallest_column : 0),
      static_cast<std::int32_t>(any_claimed ? first_row : 0),
      static_cast<std::int32_t>(largest_column + 1),
      static_cast<std::int32_t>(largest_row + 1),
  };
}

}  // namespace huesieve
