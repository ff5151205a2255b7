// An output file as the user named it. A regular file, or a name that does
// not exist yet, is written to a temporary file beside it and renamed over it
// once complete, so that it appears whole or not at all; through a symbolic
// link (or a chain of them) it is the file the link leads to that is
// replaced, and the link stays. A device or a FIFO is written straight into,
// as the bytes come: renaming over one would replace the device node itself.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "files/temporary_files.h"

namespace huesieve::files {

class OutputFile {
 public:
  // Opens `path` for writing (a FIFO's open waits for its reader). Throws
  // FileError with the reason alone; the caller names the file.
  OutputFile(const std::string& path, TemporaryFiles& temporaries);
  // Removes the temporary file unless it was committed.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  std::FILE* file() const { return file_; }
  // False for a device or a FIFO, which take their bytes in order, once.
  bool seekable() const { return slot_.has_value(); }

  // Flushes and closes the file and renames the temporary file over the
  // target. Throws FileError; a replaced target is then left as it was.
  void Commit();

 private:
  TemporaryFiles& temporaries_;
  std::string target_;  // past any symbolic links
  std::optional<std::size_t> slot_;
  std::FILE* file_ = nullptr;
  bool committed_ = false;
};

// The path that `path` leads to through any symbolic links, which need not
// exist; a relative link is read from the directory holding it. Throws
// FileError for a loop.
std::string FollowLinks(const std::string& path);

}  // namespace huesieve::files
