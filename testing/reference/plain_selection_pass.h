// The plain walk over the input, slot by slot through MatchPixel: what the
// module's selection pass must equal, pixel for pixel and in the bounds.
#pragma once

#include <algorithm>
#include <cstdint>

#include "render/colour_entry_table.h"
#include "render/colour_rule.h"
#include "render/image_rows.h"
#include "render/selection_pass.h"

namespace huesieve {

template <typename Pixel>
SelectionBounds PlainSelectionPass(const ImageRows<Pixel>& rows, A_long height,
                                   const ColourEntryTable& table) {
  const std::int64_t slots_per_row = rows.slots_per_row();
  bool any_claimed = false;
  std::int64_t first_row = 0;
  std::int64_t smallest_column = slots_per_row;
  std::int64_t largest_column = 0;
  std::int64_t largest_row = 0;

  for (std::int64_t row = 0; row < height; ++row) {
    std::byte* slot = rows.RowStart(row);
    for (std::int64_t column = 0; column < slots_per_row; ++column, slot += sizeof(Pixel)) {
      Pixel pixel = ImageRows<Pixel>::Load(slot);
      const bool claimed = MatchPixel(pixel, table);
      ImageRows<Pixel>::Store(slot, pixel);
      if (!claimed) continue;
      if (!any_claimed) first_row = row;
      any_claimed = true;
      smallest_column = std::min(smallest_column, column);
      largest_column = std::max(largest_column, column);
      largest_row = row;
    }
  }

  return SelectionBounds{
      static_cast<A_long>(any_claimed ? smallest_column : 0),
      static_cast<A_long>(any_claimed ? first_row : 0),
      static_cast<A_long>(largest_column + 1),
      static_cast<A_long>(largest_row + 1),
  };
}

}  // namespace huesieve
