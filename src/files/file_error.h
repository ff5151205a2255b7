// Why a file could not be opened or written.
#pragma once

#include <stdexcept>

namespace huesieve::files {

class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace huesieve::files
