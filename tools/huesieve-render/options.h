// What the user asked for on the command line, checked for form: the
// controls' values through the effect's own table, the files, the footage.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "effect/entry_argument.h"
#include "image/frame_buffer.h"
#include "image/image_header.h"
#include "tools/huesieve-render/frame_sequence.h"
#include "tools/huesieve-render/tool_errors.h"

namespace huesieve::cli {

inline constexpr char kToolName[] = "huesieve-render";

// Raw frames may be no wider or taller than this.
inline constexpr std::uint32_t kMaxRawSide = 1000000;

// `-` as INPUT or OUTPUT of a raw stream.
inline constexpr char kStandardStream[] = "-";

enum class Command { kRender, kAbout, kListParams, kHelp, kVersion };

// `--raw WIDTHxHEIGHT` and `--raw-depth`.
struct RawSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

struct Options {
  Command command = Command::kRender;
  bool enable_effect = false;
  std::vector<EntryArgument> entries;  // each checked, in the order given
  // Each choice of the controls' table (kChoiceControls), as its option gave
  // it: the position of its value; the settings file's or the default when
  // not given.
  std::array<std::optional<int>, kChoiceControlCount> choices;
  std::string settings_file;           // --settings FILE; empty when not given
  std::string input;
  std::string output;
  // Set when INPUT and OUTPUT name image sequences.
  std::optional<FramePattern> input_frames;
  std::optional<FramePattern> output_frames;
  std::optional<FrameRange> frames;  // --frames FIRST-LAST
  std::optional<RawSize> raw;        // INPUT and OUTPUT are raw streams
  int raw_depth = 8;
  std::optional<image::OutputType> output_type;  // --output-type; otherwise the input's
  int jobs = 0;                           // 0: shared with --threads (processor_share.h)
  int threads = 0;                        // 0: shared with --jobs
  bool quiet = false;
  std::uint64_t max_pixels = image::kDefaultMaxPixels;  // --max-pixels
  std::string layer;  // --layer NAME: the OpenEXR layer keyed; empty for R, G, B, A
};

// `args` excludes the program name. Throws UsageError.
Options ParseOptions(std::span<const char* const> args);

std::string UsageText();

}  // namespace huesieve::cli
