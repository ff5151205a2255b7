// Input files opened for reading with a message that names them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace huesieve::files {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` for reading. Throws FileError "PATH: reason", also for a
// directory, which fopen would open.
InputFile OpenForReading(const std::string& path);

// The size of the regular file `file` is, or 0 for anything else.
std::uint64_t FileSize(std::FILE* file);

}  // namespace huesieve::files
