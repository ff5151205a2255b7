// Why a PNG could not be read or written.
#pragma once

#include <stdexcept>

namespace huesieve::png {

// Anything that makes a file unreadable or unwritable; the text says why.
class PngError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace huesieve::png
