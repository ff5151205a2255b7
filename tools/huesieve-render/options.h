// The command line: what the user asked for, checked for form before the
// module is loaded, and the entry values checked against the limits the module
// registers.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/huesieve-render/frame_sequence.h"
#include "tools/huesieve-render/tool_errors.h"

namespace huesieve::cli {

inline constexpr char kToolName[] = "huesieve-render";

// The largest image the tool takes unless told otherwise (--max-pixels).
inline constexpr std::uint64_t kDefaultMaxPixels = std::uint64_t{1} << 28;

// Raw frames may be no wider or taller than a PNG (libpng's own limit).
inline constexpr std::uint32_t kMaxRawSide = 1000000;

// `-` as INPUT or OUTPUT of a raw stream.
inline constexpr char kStandardStream[] = "-";

enum class Command { kRender, kAbout, kListParams, kHelp, kVersion };

// One `--entry K:RRGGBB:RANGE:SOFTNESS[:off]`.
struct EntrySetting {
  int number = 0;  // K, counted from 1 as the host names the groups
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  double range = 0.0;
  double softness = 0.0;
  bool enabled = true;
  // Where the entry was given, for messages: "--entry K:RRGGBB:..." or
  // "FILE: entry K".
  std::string source;
  // A settings file may leave an entry's Range at 0, the module's initial
  // value, below the slider's minimum: such an entry claims nothing.
  bool zero_range_allowed = false;
};

// `--raw WIDTHxHEIGHT` and `--raw-depth`.
struct RawSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

struct Options {
  Command command = Command::kRender;
  bool enable_effect = false;
  std::vector<EntrySetting> entries;
  std::string settings_file;  // --settings FILE; empty when not given
  std::string module_path;    // empty: the module built beside the tool
  std::string input;
  std::string output;
  // Set when INPUT and OUTPUT name image sequences.
  std::optional<FramePattern> input_frames;
  std::optional<FramePattern> output_frames;
  std::optional<FrameRange> frames;  // --frames FIRST-LAST
  std::optional<RawSize> raw;        // INPUT and OUTPUT are raw streams
  int raw_depth = 8;
  int jobs = 0;  // 0: one a processor
  bool quiet = false;
  std::uint64_t max_pixels = kDefaultMaxPixels;
};

// Throws UsageError.
EntrySetting ParseEntry(std::string_view argument);

// Sets the entry's colour from RRGGBB or #RRGGBB. Throws UsageError naming
// `entry.source`.
void ParseEntryColour(std::string_view text, EntrySetting& entry);

// `args` excludes the program name. Throws UsageError.
Options ParseOptions(std::span<const char* const> args);

// The accepted limits of a slider, as the module registered them.
struct Limits {
  double min = 0.0;
  double max = 0.0;
};

// Throws UsageError when the module has fewer than K colour entries.
void ValidateEntryNumber(const EntrySetting& entry, int entry_count);

// Throws UsageError when RANGE or SOFTNESS lies outside its accepted limits.
void ValidateEntryValues(const EntrySetting& entry, const Limits& range, const Limits& softness);

std::string UsageText();

}  // namespace huesieve::cli
