#include "files/input_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "files/file_error.h"

namespace huesieve::files {

InputFile OpenForReading(const std::string& path) {
  InputFile file(std::fopen(path.c_str(), "rb"));
  if (!file) throw FileError(path + ": " + std::strerror(errno));
  struct stat status {};
  if (::fstat(::fileno(file.get()), &status) == 0 && S_ISDIR(status.st_mode)) {
    throw FileError(path + ": " + std::strerror(EISDIR));
  }
  return file;
}

std::uint64_t FileSize(std::FILE* file) {
  struct stat status {};
  if (::fstat(::fileno(file), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0) {
    return 0;
  }
  return static_cast<std::uint64_t>(status.st_size);
}

}  // namespace huesieve::files
