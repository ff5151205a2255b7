// A picture in memory as the core walks it: rows from the top, each holding
// `pixels_per_row` pixels of one format, `row_stride` bytes after the one
// above it. The stride may be negative (rows stored bottom-up) or not a
// multiple of the pixel size, so pixels are read and written bytewise rather
// than through a possibly misaligned pointer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace huesieve {

struct ImageView {
  std::byte* first_row = nullptr;  // the picture's top row
  std::int64_t row_stride = 0;     // in bytes; negative when rows run up in memory
  std::int64_t pixels_per_row = 0;
  std::int64_t rows = 0;

  std::byte* Row(std::int64_t row) const { return first_row + row * row_stride; }
};

// A rectangle of a picture: columns from `left` up to `right`, rows from `top`
// up to `bottom`, rows counted from the top; the far edges lie one past.
struct PictureRect {
  std::int64_t left = 0;
  std::int64_t top = 0;
  std::int64_t right = 0;
  std::int64_t bottom = 0;
  bool operator==(const PictureRect&) const = default;

  bool Holds(std::int64_t column, std::int64_t row) const {
    return column >= left && column < right && row >= top && row < bottom;
  }
};

template <typename Format>
typename Format::Pixel LoadPixel(const std::byte* at) {
  typename Format::Pixel pixel;
  std::memcpy(&pixel, at, sizeof pixel);
  return pixel;
}

template <typename Format>
void StorePixel(std::byte* at, const typename Format::Pixel& pixel) {
  std::memcpy(at, &pixel, sizeof pixel);
}

// The address of the pixel at `column` of `row`.
template <typename Format>
std::byte* PixelAt(const ImageView& image, std::int64_t column, std::int64_t row) {
  return image.Row(row) + column * std::int64_t{sizeof(typename Format::Pixel)};
}

}  // namespace huesieve
