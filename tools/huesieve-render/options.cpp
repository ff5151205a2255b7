#include "tools/huesieve-render/options.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cstdio>
#include <set>

#include "effect/entry_argument.h"
#include "effect/setting_checks.h"
#include "tools/huesieve-render/tool_errors.h"

namespace huesieve::cli {
namespace {

constexpr std::uint64_t kMaxJobs = 256;
constexpr std::uint64_t kMaxThreads = 256;
// Beyond this an image could not be held on any workstation anyway.
constexpr std::uint64_t kMaxMaxPixels = std::uint64_t{1} << 40;

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

image::OutputType ParseOutputType(const std::string& text) {
  if (text == "uint8") return image::OutputType::kUint8;
  if (text == "uint16") return image::OutputType::kUint16;
  if (text == "half") return image::OutputType::kHalf;
  if (text == "float") return image::OutputType::kFloat;
  throw UsageError("--output-type " + text + ": uint8, uint16, half or float");
}

// INPUT and OUTPUT: single files, image sequences or raw streams, the two
// alike.
void CheckInputAndOutput(Options& options, bool raw_depth_given) {
  const bool standard = options.input == kStandardStream || options.output == kStandardStream;
  if (options.raw) {
    if (options.frames) throw UsageError("--frames applies to image sequences, not --raw");
    if (options.output_type) throw UsageError("--output-type applies to image files, not --raw");
    if (!options.layer.empty()) throw UsageError("--layer applies to OpenEXR files, not --raw");
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

// The option a parser's complaint names, as the user typed it: the parser
// names -j by its long name.
std::string OptionNamed(const std::string& complaint, const std::string& jobs_name) {
  std::string name = complaint.substr(0, complaint.find_first_of(": "));
  if (name.rfind('-', 0) != 0) name = "--" + name;
  return name == "--jobs" ? jobs_name : name;
}

// A choice's values checked as CLI11 parses them, by the row's value names:
// what the check reports, after CLI11's "--name: ", is the value and the
// names a user may give.
CLI::Validator ChoiceCheck(const ChoiceControl& control) {
  const CLI::Validator names = CLI::IsMember(
      std::vector<std::string>(control.value_names.begin(), control.value_names.end()));
  return CLI::Validator(
      [names, &control](std::string& text) {
        std::string value = text;  // IsMember may rewrite what it checks
        return names(value).empty() ? std::string() : text + ": " + ChoiceNamesText(control);
      },
      std::string(control.value_names[0]) + "|" + control.value_names[1]);
}

// As C++ streams print a double: "128", "0.5".
std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// A field of --entry as CLI11 checks it, by `check`: what the check
// reports is the field's fault.
CLI::Validator FieldCheck(std::string (*check)(std::string_view), std::string name) {
  return CLI::Validator([check](std::string& text) { return check(text); }, std::move(name));
}

// A slider's field, by its row: a plain decimal within its limits.
CLI::Validator SliderCheck(const SliderControl& slider) {
  return CLI::Validator([&slider](std::string& text) { return CheckSliderField(slider, text); },
                        slider.argument_name);
}

// --entry's form, as --help names it.
constexpr char kEntryHead[] = "K:RRGGBB:RANGE:SOFTNESS[:off]";

// --entry's values checked as CLI11 parses them, every value given, each
// field by the validator its control's row makes: what the check reports,
// after CLI11's "--entry: ", is the value and the first field's fault.
CLI::Validator EntryCheck() {
  const std::array<CLI::Validator, 5> fields{
      FieldCheck(CheckEntryNumberField, "K"), FieldCheck(CheckColourField, "RRGGBB"),
      SliderCheck(kRange), SliderCheck(kSoftness), FieldCheck(CheckSwitchField, kEntryOffName)};
  return CLI::Validator(
      [fields](std::string& text) {
        const std::vector<std::string_view> parts = EntryFields(text);
        if (parts.size() != 4 && parts.size() != 5) return text + ": " + kEntryForm;
        for (std::size_t i = 0; i < parts.size(); ++i) {
          std::string part(parts[i]);
          const std::string fault = fields[i](part);
          if (!fault.empty()) return text + ": " + fault;
        }
        return std::string();
      },
      kEntryHead);
}

// The values of every option, in the order given; the choices and the
// entries checked by CLI11, the other checks and the words of the messages ours.
struct Given {
  std::vector<std::string> files;
  std::vector<std::string> entries;
  std::vector<std::string> settings;
  std::vector<std::string> frames;
  std::vector<std::string> jobs;
  std::vector<std::string> threads;
  std::vector<std::string> raw;
  std::vector<std::string> raw_depth;
  std::vector<std::string> max_pixels;
  std::vector<std::string> output_type;
  std::vector<std::string> layer;
  std::array<std::vector<std::string>, kChoiceControlCount> choices;  // as kChoiceControls
  bool enable = false;
  bool quiet = false;
  std::vector<std::string> unknown;
};

Given Collect(std::span<const char* const> args, const std::string& jobs_name) {
  Given given;
  CLI::App app;
  app.set_help_flag();  // asked for before parsing, whatever else the line holds
  app.allow_extras();
  for (const char* command : {"--version", "--about", "--list-params"}) {
    app.add_flag(command)->disable_flag_override();
  }
  app.add_flag("--enable", given.enable)->disable_flag_override();
  app.add_flag("-q,--quiet", given.quiet)->disable_flag_override();
  const auto value = [&](const char* names, std::vector<std::string>& values) {
    return app.add_option(names, values)->allow_extra_args(false);
  };
  value("--entry", given.entries)->check(EntryCheck());
  value("--settings", given.settings);
  value("--frames", given.frames);
  value("-j,--jobs", given.jobs);
  value("--threads", given.threads);
  value("--raw", given.raw);
  value("--raw-depth", given.raw_depth);
  value("--max-pixels", given.max_pixels);
  value("--output-type", given.output_type);
  value("--layer", given.layer);
  for (std::size_t c = 0; c < kChoiceControls.size(); ++c) {
    value(kChoiceControls[c]->option_name, given.choices[c])
        ->check(ChoiceCheck(*kChoiceControls[c]));
  }
  app.add_option("files", given.files);

  std::vector<const char*> argv = {kToolName};
  argv.insert(argv.end(), args.begin(), args.end());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::ArgumentMismatch& mismatch) {
    const std::string complaint = mismatch.what();
    if (complaint.find("flag override") != std::string::npos) {
      throw UsageError(OptionNamed(complaint, jobs_name) + " takes no value");
    }
    throw UsageError(OptionNamed(complaint, jobs_name) + " needs a value");
  } catch (const CLI::ValidationError& invalid) {
    // "--judge: linear: stored or srgb" as our messages say it: "--judge linear: ..."
    // (and --entry's alike).
    std::string complaint = invalid.what();
    const std::size_t colon = complaint.find(": ");
    if (colon != std::string::npos) complaint.replace(colon, 2, " ");
    throw UsageError(complaint);
  } catch (const CLI::ParseError& error) {
    throw UsageError(error.what());
  }
  for (const std::string& extra : app.remaining()) {
    if (extra != "--") given.unknown.push_back(extra);
  }
  return given;
}

}  // namespace

Options ParseOptions(std::span<const char* const> args) {
  Options options;
  // Help wins over everything else on the line, mistakes included; and the
  // commands in the order given.
  std::vector<std::string> commands;
  std::string jobs_name = "--jobs";  // as typed, for messages
  for (const char* arg : args) {
    const std::string_view flag = arg;
    if (flag == "--") break;
    if (flag.rfind("-j", 0) == 0) jobs_name = "-j";
    if (flag.rfind("--jobs", 0) == 0) jobs_name = "--jobs";
    if (flag == "-h" || flag == "--help") {
      options.command = Command::kHelp;
      return options;
    }
    if (flag == "--version" || flag == "--about" || flag == "--list-params") {
      commands.emplace_back(flag);
    }
  }
  const Given given = Collect(args, jobs_name);
  if (!given.unknown.empty()) throw UsageError("unknown option " + given.unknown.front());
  for (const std::string& command : commands) {
    if (command != commands.front()) {
      throw UsageError(command + " cannot be combined with another command");
    }
  }
  if (!commands.empty()) {
    options.command = commands.front() == "--version" ? Command::kVersion
                      : commands.front() == "--about" ? Command::kAbout
                                                      : Command::kListParams;
  }

  options.enable_effect = given.enable;
  std::set<int> numbers;
  for (const std::string& text : given.entries) {
    EntryArgument entry = ParseEntryArgument(text);
    if (!entry.error.empty()) throw UsageError(entry.error);
    if (!numbers.insert(entry.number).second) {
      throw UsageError("--entry " + text + ": entry " + std::to_string(entry.number) +
                       " is given more than once");
    }
    options.entries.push_back(std::move(entry));
  }
  if (given.settings.size() > 1) throw UsageError("--settings is given more than once");
  if (!given.settings.empty()) {
    options.settings_file = given.settings.front();
    if (options.settings_file.empty()) throw UsageError("--settings needs a file name");
  }

  std::string render_only;  // an option that applies only to rendering
  const auto last = [&](const std::vector<std::string>& values, const char* name) {
    if (!values.empty() && render_only.empty()) render_only = name;
    return values.empty() ? std::optional<std::string>() : values.back();
  };
  if (const auto text = last(given.frames, "--frames")) options.frames = ParseFrameRange(*text);
  if (const auto text = last(given.jobs, jobs_name.c_str())) {
    options.jobs = static_cast<int>(ParseWhole(jobs_name, *text, 1, kMaxJobs));
  }
  if (const auto text = last(given.threads, "--threads")) {
    options.threads = static_cast<int>(ParseWhole("--threads", *text, 1, kMaxThreads));
  }
  if (const auto text = last(given.raw, "--raw")) options.raw = ParseRawSize(*text);
  const auto raw_depth = last(given.raw_depth, "--raw-depth");
  if (raw_depth) {
    if (*raw_depth != "8" && *raw_depth != "16") {
      throw UsageError("--raw-depth " + *raw_depth + ": 8 or 16");
    }
    options.raw_depth = *raw_depth == "16" ? 16 : 8;
  }
  if (const auto text = last(given.max_pixels, "--max-pixels")) {
    options.max_pixels = ParseWhole("--max-pixels", *text, 1, kMaxMaxPixels);
  }
  if (const auto text = last(given.output_type, "--output-type")) {
    options.output_type = ParseOutputType(*text);
  }
  if (const auto text = last(given.layer, "--layer")) {
    if (text->empty()) throw UsageError("--layer needs a layer's name");
    options.layer = *text;
  }
  for (std::size_t c = 0; c < kChoiceControls.size(); ++c) {
    const ChoiceControl& control = *kChoiceControls[c];
    if (const auto text = last(given.choices[c], control.option_name)) {
      options.choices[c] = ChoiceValueOf(control, *text);  // CLI11 has checked the name
    }
  }
  options.quiet = given.quiet;
  if (given.quiet && render_only.empty()) render_only = "--quiet";

  if (options.command == Command::kRender) {
    if (given.files.size() != 2) {
      throw UsageError(given.files.size() < 2 ? "expected INPUT and OUTPUT"
                                              : "too many arguments: " + given.files[2]);
    }
    options.input = given.files[0];
    options.output = given.files[1];
    CheckInputAndOutput(options, raw_depth.has_value());
  } else {
    if (!given.files.empty()) throw UsageError("unexpected argument " + given.files[0]);
    if (options.enable_effect || !options.entries.empty() || !options.settings_file.empty()) {
      throw UsageError("--enable, --entry and --settings apply only when rendering an image");
    }
    if (!render_only.empty()) throw UsageError(render_only + " applies only when rendering");
  }
  return options;
}

namespace {

// `text` in lines of at most 79 characters, the first after `head` (padded
// to the description column when shorter), the rest indented to it.
std::string OptionHelp(const std::string& head, const std::string& text) {
  constexpr std::size_t kColumn = 24;
  constexpr std::size_t kWidth = 79;
  std::string out = "  " + head;
  std::size_t line_length = out.size();
  if (line_length + 1 >= kColumn) {
    out += "\n";
    line_length = 0;
  }
  out += std::string(kColumn - line_length, ' ');
  line_length = kColumn;
  std::size_t at = 0;
  bool first = true;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find(' ', at), text.size());
    const std::string word = text.substr(at, end - at);
    if (!first && line_length + 1 + word.size() > kWidth) {
      out += '\n';
      out += std::string(kColumn, ' ');
      line_length = kColumn;
      first = true;
    }
    if (!first) {
      out += ' ';
      ++line_length;
    }
    out += word;
    line_length += word.size();
    first = false;
    at = end + 1;
  }
  return out + "\n";
}

// --entry, its limits and defaults from the controls' table.
std::string EntryOptionHelp() {
  const auto limits = [](const SliderControl& slider) {
    return Number(slider.after_effects.min) + " to " + Number(slider.after_effects.max);
  };
  return OptionHelp(
      std::string("--entry ") + kEntryHead,
      "set colour entry K (1 to " + std::to_string(kColourEntryCount) +
          "): its colour as six hex digits; RANGE (" + limits(kRange) +
          "), how far a pixel's colour may lie from it (weighted RGB distance on 8-bit values); "
          "SOFTNESS (" +
          limits(kSoftness) +
          "), the outer percent of the Range over which alpha fades out; both decimal numbers. "
          "The entry is enabled, or disabled with ':off': it then clears what lies within its "
          "Range. Entries are tried in order; the first that claims a pixel decides. Repeatable; "
          "entries not given keep their defaults (" +
          (kEnableColour.default_value ? "on" : "off") + ", Range " + Number(kRange.default_value) +
          ")");
}

// The choices' options, from the controls' table: values, meaning, default.
std::string ChoiceOptionsHelp() {
  std::string text;
  for (const ChoiceControl* control : kChoiceControls) {
    const std::string values = std::string(control->value_names[0]) + "|" + control->value_names[1];
    text += OptionHelp(std::string(control->option_name) + " " + values,
                       std::string("\"") + control->label + "\": " + control->help + " (default " +
                           control->value_names[static_cast<std::size_t>(control->default_value)] +
                           ")");
  }
  return text;
}

}  // namespace

std::string UsageText() {
  return std::string(R"(Usage: huesieve-render [options] INPUT OUTPUT
  or:  huesieve-render [--settings FILE] [options] INPUT OUTPUT
  or:  huesieve-render [options] [--frames FIRST-LAST] IN.%04d.exr OUT.%04d.exr
  or:  huesieve-render [options] --raw WIDTHxHEIGHT [--raw-depth 16] INPUT OUTPUT
  or:  huesieve-render --about | --list-params | --help | --version

Applies the Huesieve colour-isolation effect to images, image sequences or raw
video. Pixels near one of the chosen colours are kept (feathered in the outer
Softness percent of the Range), everything else becomes transparent, and four
red pixels mark the corners of the selection (when nothing is claimed, a 2 x 2
block at the top left).

Images are PNG, OpenEXR, TIFF, DPX or JPEG, the format chosen by the file
name's extension; the output is any of them but JPEG, which holds no alpha.
Every sample is rendered at the file's own data type (8-bit, 16-bit, half or
float) and written back at it: a pixel the effect keeps, and every pixel when
the effect is off, comes out exactly as it went in. Premultiplied images
(OpenEXR, TIFF with associated alpha) are judged on their straight colour and
written back premultiplied. The output always carries alpha.

Effect:
  --enable              turn on "Enable Effect"; without it the output is a
                        copy of the input
)") + EntryOptionHelp() +
         R"(  --settings FILE       read "Enable Effect" and the colour entries from a
                        JSON settings file, as the tuner saves it; --enable
                        turns the switch on whatever the file says, each
                        --entry K replaces the file's entry K, and --judge and
                        --feathered-alpha the file's choices
)" + ChoiceOptionsHelp() +
         R"(
Files and footage:
  IN.%04d.exr, IN.####.exr
                        an image sequence: the frame number, zero-padded to
                        the field's digits (%d: not padded; one # a digit).
                        INPUT and OUTPUT are both sequences or both single
                        files; each output frame keeps its input's number
  --frames FIRST-LAST   render these frames, every one of which must exist;
                        without it, every file that matches INPUT
  --output-type TYPE    write uint8, uint16, half or float samples instead of
                        the input's type
  --layer NAME          key the OpenEXR layer NAME (channels NAME.R, NAME.G,
                        NAME.B and NAME.A) instead of R, G, B and A; every
                        other channel and part passes through
  --raw WIDTHxHEIGHT    INPUT and OUTPUT are raw video streams of frames of
                        this size, RGBA 8-bit (ffmpeg's rgba); - is standard
                        input or output. Frames are written in input order
  --raw-depth 16        raw frames are RGBA 16-bit little-endian (rgba64le)
  -j, --jobs N          render N frames at once; each frame in flight holds
                        its input and output images
  --threads N           share each frame's rows between N threads. By default
                        the two share the processors the tool may run on:
                        frames first (one a processor while a sequence or
                        stream has frames enough), the rest to each frame's
                        threads (a single image: one thread a processor);
                        given one, the other takes what it leaves
  -q, --quiet           no progress line and no summary
  --max-pixels N        refuse images of more than N pixels (default 268435456,
                        2^28; at most 1099511627776, 2^40), from their header,
                        before any memory is taken

Information:
  --about               print the effect's About text
  --list-params         print the effect's controls, one a line: name, type,
                        label, limits, default
  -h, --help            show this help
  --version             print the tool's version

While a sequence or stream renders and standard error is a terminal, one line
shows the frames done, frames per second and time left; a finished run prints
a summary line.

Examples: keep the reds and the greens of a picture, of a plate sequence, of a
video; key a linear OpenEXR plate picked on its sRGB view, its soft edges faded
(each example is one command, its lines to be copied together)

  huesieve-render --enable --entry 1:DB2924:110:60 --entry 2:29B33D:100:50 \
  in.png out.png

  huesieve-render --settings key.json plate.####.exr key.####.exr

  ffmpeg -i in.mov -f rawvideo -pix_fmt rgba - |
  huesieve-render --raw 1920x1080 --enable --entry 1:DB2924:110:60 - - |
  ffmpeg -f rawvideo -pix_fmt rgba -s 1920x1080 -r 25 -i - -c:v png out.mov

  huesieve-render --judge srgb --feathered-alpha fades --enable \
  --entry 1:FF4737:40:30 plate.####.exr key.####.exr

Outputs: a file is written beside itself and renamed over the old one when
complete, so it is whole or not there; through a symbolic link, the file the
link leads to is replaced and the link stays. A device or a FIFO is written
into as the bytes come. An OUTPUT that is the INPUT, or a frame of the input
sequence, by any name or link, is refused before any work.

Exit status: 0 on success, 2 for a mistake in the arguments, 1 for any other
failure, 130 or 143 when stopped by SIGINT or SIGTERM: frames finished stay,
temporary files are removed.
)";
}

}  // namespace huesieve::cli
