// Row-by-row PNG encoding of straight RGBA, so that nothing larger than a row
// is held besides the image being written.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "png/png_error.h"

namespace huesieve::png {

// Writes an RGBA PNG of 8 or 16 bits per channel. Rows are given as the
// reader produces them: 8-bit samples, or 16-bit samples in little-endian
// byte order.
class Writer {
 public:
  // Writes the header to `file`, which the caller keeps open. Throws PngError.
  Writer(std::FILE* file, std::uint32_t width, std::uint32_t height, int bit_depth);
  ~Writer();
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // The next row, width × 4 samples. Throws PngError.
  void WriteRow(const std::uint8_t* row);
  // Writes the end of the file once every row is in. Throws PngError.
  void Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace huesieve::png
