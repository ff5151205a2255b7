#include "tools/huesieve-render/write_notes.h"

#include "tools/huesieve-render/options.h"

namespace huesieve::cli {

void WriteNotes::Tell(const std::string& path, const std::vector<std::string>& notes) {
  if (notes.empty()) return;
  const std::lock_guard<std::mutex> lock(mutex_);
  for (const std::string& note : notes) {
    if (!told_.insert(note).second) continue;
    std::fprintf(out_, "%s: %s: %s\n", kToolName, path.c_str(), note.c_str());
  }
}

}  // namespace huesieve::cli
