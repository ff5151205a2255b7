// What the written files do not keep of their inputs (a data type, an
// OpenEXR file's other channels), told on standard error as
// "huesieve-render: PATH: note": each note once a run, with the first file
// it concerns, so that a sequence does not repeat it for every frame.
#pragma once

#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace huesieve::cli {

class WriteNotes {
 public:
  explicit WriteNotes(std::FILE* out) : out_(out) {}

  // Thread-safe: workers call it as they write.
  void Tell(const std::string& path, const std::vector<std::string>& notes);

 private:
  std::FILE* out_;
  std::mutex mutex_;
  std::set<std::string> told_;
};

}  // namespace huesieve::cli
