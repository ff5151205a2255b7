// The rectangle of claimed pixels that the corner markers frame.
#pragma once

#include <cstdint>

namespace huesieve {

// `right` and `bottom` lie one past the last claimed column and row; with
// nothing claimed the rectangle is (0, 0, 1, 1), which the markers draw as a
// 2 × 2 square at the top left. The field order is the host's rectangle's.
struct SelectionBounds {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 1;
  std::int32_t bottom = 1;
  bool operator==(const SelectionBounds&) const = default;
};

}  // namespace huesieve
