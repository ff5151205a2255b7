#include "tools/huesieve-render/frame_sequence.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>

#include "tools/huesieve-render/tool_errors.h"

namespace huesieve::cli {
namespace {

// More digits than this cannot be a frame number of ours.
constexpr std::size_t kMaxDigits = 18;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A field starting at `at`: its length and digits, or a length of 0.
struct Field {
  std::size_t length = 0;
  int digits = 1;
};

Field FieldAt(std::string_view text, std::size_t at) {
  if (text[at] == '#') {
    const std::size_t end = std::min(text.find_first_not_of('#', at), text.size());
    return {end - at, static_cast<int>(end - at)};
  }
  if (text[at] != '%') return {};
  if (text.substr(at, 2) == "%d") return {2, 1};
  // %0Nd
  std::size_t end = at + 1;
  if (end >= text.size() || text[end] != '0') return {};
  while (end < text.size() && IsDigit(text[end])) ++end;
  if (end == at + 2 || end >= text.size() || text[end] != 'd') return {};
  int digits = 0;
  std::from_chars(text.data() + at + 2, text.data() + end, digits);
  if (digits < 1 || static_cast<std::size_t>(digits) > kMaxDigits) return {};
  return {end + 1 - at, digits};
}

}  // namespace

std::optional<FramePattern> FramePattern::Parse(std::string_view text) {
  std::optional<FramePattern> pattern;
  for (std::size_t at = 0; at < text.size();) {
    const Field field = FieldAt(text, at);
    if (field.length == 0) {
      ++at;
      continue;
    }
    if (pattern) {
      throw UsageError(std::string(text) + ": more than one frame field");
    }
    const std::size_t slash = text.rfind('/');
    if (slash != std::string_view::npos && slash > at) {
      throw UsageError(std::string(text) + ": the frame field must be in the file name");
    }
    const std::size_t name = slash == std::string_view::npos ? 0 : slash + 1;
    pattern.emplace();
    pattern->text_ = text;
    pattern->directory_ = text.substr(0, name);
    pattern->prefix_ = text.substr(name, at - name);
    pattern->suffix_ = text.substr(at + field.length);
    pattern->digits_ = field.digits;
    at += field.length;
  }
  return pattern;
}

std::string FramePattern::Path(std::uint64_t frame) const {
  char number[32];
  std::snprintf(number, sizeof number, "%0*llu", digits_, static_cast<unsigned long long>(frame));
  return directory_ + prefix_ + number + suffix_;
}

std::optional<std::uint64_t> FramePattern::Match(std::string_view file_name) const {
  if (file_name.size() <= prefix_.size() + suffix_.size() || !file_name.starts_with(prefix_) ||
      !file_name.ends_with(suffix_)) {
    return std::nullopt;
  }
  const std::string_view digits =
      file_name.substr(prefix_.size(), file_name.size() - prefix_.size() - suffix_.size());
  if (digits.size() > kMaxDigits || !std::all_of(digits.begin(), digits.end(), IsDigit)) {
    return std::nullopt;
  }
  std::uint64_t frame = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), frame);
  if (Path(frame) != directory_ + std::string(file_name)) return std::nullopt;
  return frame;
}

std::string FramePattern::Directory() const { return directory_.empty() ? "." : directory_; }

std::vector<std::uint64_t> FindFrames(const FramePattern& input,
                                      const std::optional<FrameRange>& range) {
  std::vector<std::uint64_t> frames;
  if (range) {
    for (std::uint64_t frame = range->first; frame <= range->last; ++frame) {
      std::error_code error;
      if (!std::filesystem::exists(input.Path(frame), error)) {
        throw ToolError(input.Path(frame) + ": frame " + std::to_string(frame) + " of " +
                        std::to_string(range->first) + "-" + std::to_string(range->last) +
                        " is missing");
      }
      frames.push_back(frame);
    }
    return frames;
  }
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(input.Directory(), error)) {
    if (entry.is_directory()) continue;
    if (const auto frame = input.Match(entry.path().filename().string())) frames.push_back(*frame);
  }
  if (error) throw ToolError(input.Directory() + ": " + error.message());
  if (frames.empty()) throw ToolError("no files match " + input.text());
  std::sort(frames.begin(), frames.end());
  return frames;
}

}  // namespace huesieve::cli
