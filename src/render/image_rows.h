// Addressing of pixel slots in a host image, shared by the selection pass and
// the corner markers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "host/pf_types.h"

namespace huesieve {

// Row r starts r × rowbytes bytes from the first pixel and holds
// |rowbytes| / pixel size slots. The stride may be negative (rows stored
// bottom-up) or not a multiple of the pixel size, so slots are read and written
// bytewise rather than through a possibly misaligned pixel pointer.
template <typename Pixel>
class ImageRows {
 public:
  ImageRows(void* first_pixel, A_long rowbytes)
      : first_(static_cast<std::byte*>(first_pixel)),
        rowbytes_(rowbytes),
        slots_per_row_((rowbytes < 0 ? -std::int64_t{rowbytes} : std::int64_t{rowbytes}) /
                       static_cast<std::int64_t>(sizeof(Pixel))) {}

  std::int64_t slots_per_row() const { return slots_per_row_; }

  std::byte* RowStart(std::int64_t row) const { return first_ + row * rowbytes_; }

  static Pixel Load(const std::byte* slot) {
    Pixel pixel;
    std::memcpy(&pixel, slot, sizeof pixel);
    return pixel;
  }

  static void Store(std::byte* slot, const Pixel& pixel) { std::memcpy(slot, &pixel, sizeof pixel); }

 private:
  std::byte* first_;
  std::int64_t rowbytes_;
  std::int64_t slots_per_row_;
};

}  // namespace huesieve
