// Row-by-row PNG decoding: the caller hands out each row's storage as the
// decoder reaches it, so memory follows the data actually decoded, never what
// a header claims.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>

#include "png/png_error.h"

namespace huesieve::png {

// The tools refuse larger images unless told otherwise, before any pixel
// memory is taken.
inline constexpr std::uint64_t kDefaultMaxPixels = std::uint64_t{1} << 28;

// Throws PngError, giving the size and the limit, when width × height exceeds
// `max_pixels`.
void CheckPixelLimit(std::uint64_t width, std::uint64_t height, std::uint64_t max_pixels);

struct Header {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int bit_depth = 8;  // of the decoded samples: 16 for a 16-bit file, else 8
  bool interlaced = false;

  std::uint64_t pixels() const { return std::uint64_t{width} * height; }
  // Decoded bytes a row: four samples a pixel.
  std::size_t row_bytes() const { return std::size_t{width} * 4 * (bit_depth == 16 ? 2 : 1); }
};

// Decodes one PNG of any colour type, 1 to 16 bits, interlaced or not, into
// straight RGBA: 8-bit samples, or 16-bit samples in little-endian byte order
// on every machine (as raw rgba64le video is). tRNS becomes alpha; opaque
// alpha is added where the file has none; palette and depths below 8 come out
// at 8 bits. No gamma or colour-space conversion is applied.
namespace detail {
struct ByteSource;
}

class Reader {
 public:
  // Read the signature and the chunks before the image data. Throw PngError.
  Reader(const std::uint8_t* data, std::size_t size);
  explicit Reader(std::FILE* file);  // the caller keeps the file open
  ~Reader();
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  const Header& header() const;

  // Decodes the image, asking `row_at` for row r's storage (row_bytes()
  // bytes) just before decoding into it, rows in order. An interlaced image
  // visits every row once per pass, and each row's storage must still hold
  // what the earlier passes put there. Then reads the chunks after the image
  // data. Throws PngError, or whatever `row_at` throws.
  void ReadImage(const std::function<std::uint8_t*(std::uint32_t row)>& row_at);

 private:
  explicit Reader(const detail::ByteSource& source);

  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace huesieve::png
