// Numbered image sequences: a path whose file name holds one frame field,
// printf style (`shot.%04d.png`, `shot.%d.png`) or a run of `#`, one a digit
// (`shot.####.png`). Numbers are zero-padded to the field's digits and may run
// longer, as printf writes them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace huesieve::cli {

struct FrameRange {
  std::uint64_t first = 0;
  std::uint64_t last = 0;
};

class FramePattern {
 public:
  // The pattern in `text`, or nothing when `text` holds no frame field.
  // Throws UsageError for two fields or a field outside the file name.
  static std::optional<FramePattern> Parse(std::string_view text);

  const std::string& text() const { return text_; }
  // The path of `frame`.
  std::string Path(std::uint64_t frame) const;
  // The frame whose path has this file name, if any: only the name Path
  // writes counts (for `%04d`, "0012" and "12345" but not "012" or "12").
  std::optional<std::uint64_t> Match(std::string_view file_name) const;
  // Where the frames lie: the directory part, "." when there is none.
  std::string Directory() const;

 private:
  std::string text_;
  std::string directory_;  // up to and including the last '/'
  std::string prefix_;     // the file name before the field
  std::string suffix_;     // and after it
  int digits_ = 1;
};

// The frames to render, in order: with `range`, each frame in it, all of
// which must exist; without, every existing file the pattern matches. Throws
// ToolError naming a missing frame, or when nothing matches.
std::vector<std::uint64_t> FindFrames(const FramePattern& input,
                                      const std::optional<FrameRange>& range);

}  // namespace huesieve::cli
