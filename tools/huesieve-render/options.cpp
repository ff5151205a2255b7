#include "tools/huesieve-render/options.h"

#include <charconv>
#include <cmath>
#include <set>
#include <sstream>

namespace huesieve::cli {
namespace {

constexpr std::uint64_t kMaxJobs = 256;
// Beyond this an image could not be held on any workstation anyway.
constexpr std::uint64_t kMaxMaxPixels = std::uint64_t{1} << 40;

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t colon; (colon = text.find(separator, start)) != std::string_view::npos;
       start = colon + 1) {
    fields.push_back(text.substr(start, colon - start));
  }
  fields.push_back(text.substr(start));
  return fields;
}

[[noreturn]] void Fail(std::string_view source, std::string_view why) {
  throw UsageError(std::string(source) + ": " + std::string(why));
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Plain decimal notation only: digits with at most one point, an optional
// minus sign (so that a negative value is reported as out of range rather
// than as malformed). No exponent, no "inf" or "nan".
bool ParseDecimal(std::string_view text, double& value) {
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
  bool seen_digit = false;
  int points = 0;
  for (char c : digits) {
    if (c >= '0' && c <= '9') {
      seen_digit = true;
    } else if (c == '.') {
      ++points;
    } else {
      return false;
    }
  }
  if (!seen_digit || points > 1) return false;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  return error == std::errc{} && end == text.data() + text.size() && std::isfinite(value);
}

// A whole number from `min` to `max`, digits only.
std::uint64_t ParseWhole(std::string_view option, std::string_view text, std::uint64_t min,
                         std::uint64_t max) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || text.front() == '-' || error != std::errc{} ||
      end != text.data() + text.size() || value < min || value > max) {
    throw UsageError(std::string(option) + " " + std::string(text) +
                     ": expected a whole number from " + std::to_string(min) + " to " +
                     std::to_string(max));
  }
  return value;
}

// Two whole numbers around `separator`, as in FIRST-LAST or WIDTHxHEIGHT.
std::pair<std::string_view, std::string_view> SplitPair(std::string_view option,
                                                        std::string_view text, char separator,
                                                        std::string_view form) {
  const std::size_t at = text.find(separator);
  if (at == std::string_view::npos) {
    throw UsageError(std::string(option) + " " + std::string(text) + ": expected " +
                     std::string(form));
  }
  return {text.substr(0, at), text.substr(at + 1)};
}

FrameRange ParseFrameRange(std::string_view text) {
  const auto [first, last] = SplitPair("--frames", text, '-', "FIRST-LAST");
  constexpr std::uint64_t kLastFrame = 999'999'999'999'999'999;
  FrameRange range{ParseWhole("--frames", first, 0, kLastFrame),
                   ParseWhole("--frames", last, 0, kLastFrame)};
  if (range.first > range.last) {
    throw UsageError("--frames " + std::string(text) + ": FIRST is after LAST");
  }
  return range;
}

RawSize ParseRawSize(std::string_view text) {
  const auto [width, height] = SplitPair("--raw", text, 'x', "WIDTHxHEIGHT");
  return {static_cast<std::uint32_t>(ParseWhole("--raw", width, 1, kMaxRawSide)),
          static_cast<std::uint32_t>(ParseWhole("--raw", height, 1, kMaxRawSide))};
}

// INPUT and OUTPUT: single files, image sequences or raw streams, the two
// alike.
void CheckInputAndOutput(Options& options, bool raw_depth_given) {
  const bool standard = options.input == kStandardStream || options.output == kStandardStream;
  if (options.raw) {
    if (options.frames) throw UsageError("--frames applies to image sequences, not --raw");
    for (const std::string& path : {options.input, options.output}) {
      if (FramePattern::Parse(path)) {
        throw UsageError(path + ": --raw reads and writes streams, not image sequences");
      }
    }
    return;
  }
  if (raw_depth_given) throw UsageError("--raw-depth needs --raw");
  if (standard) throw UsageError("- (standard input or output) needs --raw");
  options.input_frames = FramePattern::Parse(options.input);
  options.output_frames = FramePattern::Parse(options.output);
  if (options.input_frames.has_value() != options.output_frames.has_value()) {
    const std::string& sequence = options.input_frames.has_value() ? options.input : options.output;
    throw UsageError("INPUT and OUTPUT must both be image sequences or both single images; " +
                     sequence + " is a sequence");
  }
  if (options.frames && !options.input_frames) {
    throw UsageError("--frames needs INPUT and OUTPUT to be image sequences");
  }
}

std::string FormatNumber(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

}  // namespace

void ParseEntryColour(std::string_view text, EntrySetting& entry) {
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  int channels[3] = {};
  bool hex = text.size() == 6;
  for (std::size_t i = 0; hex && i < 6; i += 2) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    hex = high >= 0 && low >= 0;
    channels[i / 2] = high * 16 + low;
  }
  if (!hex) Fail(entry.source, "the colour must be six hexadecimal digits, RRGGBB");
  entry.red = static_cast<std::uint8_t>(channels[0]);
  entry.green = static_cast<std::uint8_t>(channels[1]);
  entry.blue = static_cast<std::uint8_t>(channels[2]);
}

EntrySetting ParseEntry(std::string_view argument) {
  EntrySetting entry;
  entry.source = "--entry " + std::string(argument);
  const std::string_view source = entry.source;
  const std::vector<std::string_view> fields = Split(argument, ':');
  if (fields.size() != 4 && fields.size() != 5) {
    Fail(source, "expected K:RRGGBB:RANGE:SOFTNESS or K:RRGGBB:RANGE:SOFTNESS:off");
  }

  const std::string_view number = fields[0];
  const auto [end, error] =
      std::from_chars(number.data(), number.data() + number.size(), entry.number);
  if (number.empty() || number.front() == '-' || error != std::errc{} ||
      end != number.data() + number.size() || entry.number < 1) {
    Fail(source, "the entry number K must be a whole number from 1");
  }

  ParseEntryColour(fields[1], entry);
  if (!ParseDecimal(fields[2], entry.range)) Fail(source, "RANGE must be a decimal number");
  if (!ParseDecimal(fields[3], entry.softness)) Fail(source, "SOFTNESS must be a decimal number");

  if (fields.size() == 5) {
    if (fields[4] != "off") Fail(source, "the last field may only be 'off'");
    entry.enabled = false;
  }
  return entry;
}

Options ParseOptions(std::span<const char* const> args) {
  Options options;
  std::vector<std::string> positional;
  std::set<int> numbers;
  bool command_given = false;
  bool options_ended = false;
  bool raw_depth_given = false;
  std::string render_only;  // the first option that applies only to rendering

  auto set_command = [&](Command command, std::string_view flag) {
    if (command_given && options.command != command) {
      throw UsageError(std::string(flag) + " cannot be combined with another command");
    }
    options.command = command;
    command_given = true;
  };

  // Help wins over everything else on the line, mistakes included.
  for (const char* arg : args) {
    const std::string_view flag = arg;
    if (flag == "--") break;
    if (flag == "-h" || flag == "--help") {
      options.command = Command::kHelp;
      return options;
    }
  }

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (options_ended || arg.size() < 2 || arg.front() != '-') {
      positional.emplace_back(arg);
      continue;
    }
    // `--name value` or `--name=value`.
    const std::size_t equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    auto value = [&]() -> std::string {
      if (equals != std::string_view::npos) return std::string(arg.substr(equals + 1));
      if (i + 1 >= args.size()) throw UsageError(std::string(name) + " needs a value");
      return args[++i];
    };
    auto no_value = [&] {
      if (equals != std::string_view::npos) {
        throw UsageError(std::string(name) + " takes no value");
      }
    };

    if (arg == "--") {
      options_ended = true;
    } else if (name == "--version") {
      no_value();
      set_command(Command::kVersion, name);
    } else if (name == "--about") {
      no_value();
      set_command(Command::kAbout, name);
    } else if (name == "--list-params") {
      no_value();
      set_command(Command::kListParams, name);
    } else if (name == "--enable") {
      no_value();
      options.enable_effect = true;
    } else if (name == "--entry") {
      EntrySetting entry = ParseEntry(value());
      if (!numbers.insert(entry.number).second) {
        throw UsageError(entry.source + ": entry " + std::to_string(entry.number) +
                         " is given more than once");
      }
      options.entries.push_back(std::move(entry));
    } else if (name == "--settings") {
      if (!options.settings_file.empty()) throw UsageError("--settings is given more than once");
      options.settings_file = value();
      if (options.settings_file.empty()) throw UsageError("--settings needs a file name");
    } else if (name == "--module") {
      options.module_path = value();
      if (options.module_path.empty()) throw UsageError("--module needs a path");
    } else if (name == "--frames") {
      options.frames = ParseFrameRange(value());
      render_only = name;
    } else if (name == "--jobs" || name == "-j") {
      options.jobs = static_cast<int>(ParseWhole(name, value(), 1, kMaxJobs));
      render_only = name;
    } else if (name == "--quiet" || name == "-q") {
      no_value();
      options.quiet = true;
      render_only = name;
    } else if (name == "--raw") {
      options.raw = ParseRawSize(value());
      render_only = name;
    } else if (name == "--raw-depth") {
      const std::string depth = value();
      if (depth != "8" && depth != "16") throw UsageError("--raw-depth " + depth + ": 8 or 16");
      options.raw_depth = depth == "16" ? 16 : 8;
      raw_depth_given = true;
      render_only = name;
    } else if (name == "--max-pixels") {
      options.max_pixels = ParseWhole(name, value(), 1, kMaxMaxPixels);
      render_only = name;
    } else {
      throw UsageError("unknown option " + std::string(arg));
    }
  }

  if (options.command == Command::kRender) {
    if (positional.size() != 2) {
      throw UsageError(positional.size() < 2 ? "expected INPUT.png and OUTPUT.png"
                                             : "too many arguments: " + positional[2]);
    }
    options.input = positional[0];
    options.output = positional[1];
    CheckInputAndOutput(options, raw_depth_given);
  } else {
    if (!positional.empty()) throw UsageError("unexpected argument " + positional[0]);
    if (options.enable_effect || !options.entries.empty() || !options.settings_file.empty()) {
      throw UsageError("--enable, --entry and --settings apply only when rendering an image");
    }
    if (!render_only.empty()) throw UsageError(render_only + " applies only when rendering");
  }
  return options;
}

void ValidateEntryNumber(const EntrySetting& entry, int entry_count) {
  if (entry.number > entry_count) {
    Fail(entry.source, "the module has colour entries 1 to " + std::to_string(entry_count));
  }
}

void ValidateEntryValues(const EntrySetting& entry, const Limits& range, const Limits& softness) {
  auto check = [&](const char* what, double value, const Limits& limits) {
    if (value < limits.min || value > limits.max) {
      Fail(entry.source, std::string(what) + " " + FormatNumber(value) + " is outside " +
                             FormatNumber(limits.min) + " to " + FormatNumber(limits.max));
    }
  };
  if (!(entry.zero_range_allowed && entry.range == 0.0)) check("RANGE", entry.range, range);
  check("SOFTNESS", entry.softness, softness);
}

std::string UsageText() {
  return R"(Usage: huesieve-render [options] INPUT.png OUTPUT.png
       huesieve-render [options] [--frames FIRST-LAST] IN.%04d.png OUT.%04d.png
       huesieve-render [options] --raw WIDTHxHEIGHT [--raw-depth 16] INPUT OUTPUT
       huesieve-render --about | --list-params | --help | --version

Applies the Huesieve colour-isolation effect to PNG images, image sequences or
raw video, loading the effect module and driving it as the compositing host
does. Pixels near one of the chosen colours are kept (feathered in the outer
Softness percent of the Range), everything else becomes transparent, and four
red pixels mark the corners of the selection. An 8-bit PNG is rendered at 8
bits, a 16-bit PNG at 16 bits; the output is an RGBA PNG of the same size and
bit depth.

Effect:
  --enable              turn on "Enable Effect"; without it the output is a
                        copy of the input
  --entry K:RRGGBB:RANGE:SOFTNESS[:off]
                        set colour entry K (1 to 10): its colour as six hex
                        digits; RANGE, how far a pixel's colour may lie from it
                        (weighted RGB distance on 8-bit values); SOFTNESS, the
                        outer percent of the Range over which alpha fades out.
                        Both are decimal numbers within the limits the module
                        registers (see --list-params). The entry is enabled,
                        or disabled with ':off': it then clears what lies
                        within its Range. Entries are tried in order; the
                        first that claims a pixel decides. Repeatable; entries
                        not given keep their defaults (off, Range 0)
  --settings FILE       read "Enable Effect" and the colour entries from a
                        JSON settings file, as the tuner saves it; --enable
                        turns the switch on whatever the file says, and each
                        --entry K replaces the file's entry K
  --module PATH         load this build of the module instead of the
                        Huesieve.so beside the tool

Footage:
  IN.%04d.png, IN.####.png
                        an image sequence: the frame number, zero-padded to
                        the field's digits (%d: not padded; one # a digit).
                        INPUT and OUTPUT are both sequences or both single
                        files; each output frame keeps its input's number
  --frames FIRST-LAST   render these frames, every one of which must exist;
                        without it, every file that matches INPUT
  --raw WIDTHxHEIGHT    INPUT and OUTPUT are raw video streams of frames of
                        this size, RGBA 8-bit (ffmpeg's rgba); - is standard
                        input or output. Frames are written in input order
  --raw-depth 16        raw frames are RGBA 16-bit little-endian (rgba64le)
  -j, --jobs N          render N frames at once (default: one a processor);
                        each frame in flight holds its input and output images
  -q, --quiet           no progress line and no summary
  --max-pixels N        refuse images of more than N pixels (default 268435456,
                        2^28), before any memory is taken for them

Information:
  --about               print the module's About text
  --list-params         print the module's parameters as the host sees them,
                        one a line: slot, identifier, type, name, accepted
                        limits, default
  -h, --help            show this help
  --version             print the tool's version

While a sequence or stream renders and standard error is a terminal, one line
shows the frames done, frames per second and time left; a finished run prints
a summary line.

Examples: keep the reds and the greens of a picture, of a sequence, of a video
  huesieve-render --enable --entry 1:DB2924:110:60 --entry 2:29B33D:100:50 \
      in.png out.png
  huesieve-render --enable --entry 1:DB2924:110:60 shot.####.png key.####.png
  ffmpeg -i in.mov -f rawvideo -pix_fmt rgba - |
    huesieve-render --raw 1920x1080 --enable --entry 1:DB2924:110:60 - - |
    ffmpeg -f rawvideo -pix_fmt rgba -s 1920x1080 -r 25 -i - -c:v png out.mov

Exit status: 0 on success, 2 for a mistake in the arguments, 1 for any other
failure. Each output file is written whole or not at all.
)";
}

}  // namespace huesieve::cli
