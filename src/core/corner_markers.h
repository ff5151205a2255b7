// The opaque red pixels that mark the corners of the selection.
#pragma once

#include <cstdint>

#include "core/image_view.h"
#include "core/pixel_formats.h"
#include "core/selection_bounds.h"

namespace huesieve {

// Marker positions come from the input's walk but may land in a smaller
// output; `right` and `bottom` also lie one past the selection. A marker
// outside the view's rows or pixels is skipped: it would write past the
// buffer, or wrap into the first pixel of the next row.
template <typename Format>
void DrawCornerMarker(const ImageView& output, std::int64_t column, std::int64_t row) {
  if (row < 0 || row >= output.rows || column < 0 || column >= output.pixels_per_row) return;
  StorePixel<Format>(PixelAt<Format>(output, column, row), kMarker<Format>);
}

// In this order: top left, bottom left, top right, bottom right.
template <typename Format>
void DrawCornerMarkers(const ImageView& output, const SelectionBounds& bounds) {
  DrawCornerMarker<Format>(output, bounds.left, bounds.top);
  DrawCornerMarker<Format>(output, bounds.left, bounds.bottom);
  DrawCornerMarker<Format>(output, bounds.right, bounds.top);
  DrawCornerMarker<Format>(output, bounds.right, bounds.bottom);
}

// Only the markers that fall inside `window`, for a render that writes no
// more of the picture than that.
template <typename Format>
void DrawCornerMarkers(const ImageView& output, const SelectionBounds& bounds,
                       const PictureRect& window) {
  const std::int64_t corners[4][2] = {{bounds.left, bounds.top},
                                      {bounds.left, bounds.bottom},
                                      {bounds.right, bounds.top},
                                      {bounds.right, bounds.bottom}};
  for (const auto& [column, row] : corners) {
    if (window.Holds(column, row)) DrawCornerMarker<Format>(output, column, row);
  }
}

}  // namespace huesieve
