// Files for the tools: inputs opened with a message that names them, and
// outputs that appear whole or not at all.
#pragma once

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

namespace huesieve::png {

// Why a file could not be opened or written.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` for reading. Throws FileError "PATH: reason", also for a
// directory.
InputFile OpenForReading(const std::string& path);

// The data goes to a temporary file beside the target, renamed over it once
// complete.
class ReplacingFile {
 public:
  // Creates the temporary file, with the mode a plain create would give.
  // Throws FileError with the reason alone; the caller names the file.
  explicit ReplacingFile(const std::string& target);
  // Removes the temporary file unless it was committed.
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  std::FILE* file() const { return file_; }

  // Flushes, closes and renames the temporary file over the target. Throws
  // FileError; the target is then left as it was.
  void Commit();

 private:
  std::string target_;
  std::string path_;
  std::FILE* file_ = nullptr;
  bool committed_ = false;
};

}  // namespace huesieve::png
