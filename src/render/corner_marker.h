// The opaque red pixels that mark the corners of the selection in the output.
#pragma once

#include "render/image_rows.h"
#include "render/pixel_traits.h"

namespace huesieve {

// Marker positions come from the input's walk but land in the output, which
// may be smaller; `right` and `bottom` also lie one past the selection. A
// marker outside the output's rows or slots is skipped: it would write past
// the buffer, or wrap into the first slot of the next row.
template <typename Pixel>
void DrawCornerMarker(const ImageRows<Pixel>& output_rows, A_long output_height, A_long column,
                      A_long row) {
  if (row < 0 || row >= output_height || column < 0 || column >= output_rows.slots_per_row()) {
    return;
  }
  ImageRows<Pixel>::Store(output_rows.RowStart(row) + column * std::int64_t{sizeof(Pixel)},
                          PixelTraits<Pixel>::kMarker);
}

}  // namespace huesieve
