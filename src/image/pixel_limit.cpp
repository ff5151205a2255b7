#include <string>

#include "files/file_error.h"
#include "image/image_header.h"

namespace huesieve::image {

void CheckPixelLimit(std::uint64_t width, std::uint64_t height, std::uint64_t max_pixels) {
  // Both sides come from 32-bit fields, so the product does not overflow.
  if (width * height > max_pixels) {
    throw files::FileError("image of " + std::to_string(width) + " x " + std::to_string(height) +
                           " pixels exceeds the limit of " + std::to_string(max_pixels) +
                           " pixels");
  }
}

}  // namespace huesieve::image
