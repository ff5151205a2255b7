// huesieve-render: applies the effect to image files, image sequences and raw
// video streams through the core's one effect call.
#include <sched.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "effect/controls.h"
#include "effect/identity.h"
#include "effect/setting_checks.h"
#include "files/file_error.h"
#include "files/input_file.h"
#include "files/output_file.h"
#include "files/temporary_files.h"
#include "tools/huesieve-render/core_renderer.h"
#include "tools/huesieve-render/frame_pipeline.h"
#include "tools/huesieve-render/frame_work.h"
#include "image/image_files.h"
#include "tools/huesieve-render/interrupt_cleanup.h"
#include "tools/huesieve-render/options.h"
#include "tools/huesieve-render/processor_share.h"
#include "tools/huesieve-render/output_check.h"
#include "tools/huesieve-render/progress.h"
#include "tools/huesieve-render/raw_frames.h"
#include "tools/huesieve-render/settings_file.h"
#include "tools/huesieve-render/write_notes.h"

namespace huesieve::cli {
namespace {

// As the After Effects module words it: the name and version, then the
// description after its two line feeds.
std::string AboutText() {
  return std::string(kEffectName) + " v" + kVersionText + "\n" + kDescription + "\n";
}

std::string LimitsText(const ControlLimits& limits) {
  return NumberText(limits.min) + " to " + NumberText(limits.max);
}

// The controls as the effect's table has them, one a line: name (as OpenFX
// hosts know it), type, label, limits, default.
std::string ControlsText() {
  std::string lines;
  const auto line = [&](const std::string& name, const char* type, const char* label,
                        const std::string& limits, const std::string& dephault) {
    char quoted[40];
    std::snprintf(quoted, sizeof quoted, "\"%s\"", label);
    char text[160];
    std::snprintf(text, sizeof text, "%-15s %-9s %-18s %-29s %s\n", name.c_str(), type, quoted,
                  limits.c_str(), dephault.c_str());
    lines += text;
  };
  const auto on_off = [](bool value) { return std::string(value ? "on" : "off"); };
  const auto slider_limits = [](const SliderControl& slider) {
    const std::string after_effects = LimitsText(slider.after_effects);
    const std::string openfx = LimitsText(slider.openfx);
    return after_effects == openfx ? after_effects
                                   : after_effects + " (OpenFX " + openfx + ")";
  };
  line(kEnableEffect.openfx_name, "checkbox", kEnableEffect.label, "-",
       on_off(kEnableEffect.default_value));
  for (int k = 0; k < kColourEntryCount; ++k) {
    const std::string n = std::to_string(k + 1);
    const Rgb8 white = kColour.default_value;
    char colour[8];
    std::snprintf(colour, sizeof colour, "%02X%02X%02X", white.red, white.green, white.blue);
    line(kEntryGroup.openfx_name + n, "group", kEntryGroup.labels[k], "-", "-");
    line(kEnableColour.openfx_name + n, "checkbox", kEnableColour.label, "-",
         on_off(kEnableColour.default_value));
    line(kColour.openfx_name + n, "color", kColour.label, "-", colour);
    for (const SliderControl* slider : {&kRange, &kSoftness}) {
      line(slider->openfx_name + n, "slider", slider->label, slider_limits(*slider),
           NumberText(slider->default_value));
    }
  }
  for (const ChoiceControl* choice : kChoiceControls) {
    line(choice->openfx_name, "choice", choice->label,
         std::string(choice->value_names[0]) + " or " + choice->value_names[1],
         choice->value_names[static_cast<std::size_t>(choice->default_value)]);
  }
  return lines;
}

int Processors() {
  cpu_set_t set;
  if (::sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  return std::max(1, CPU_COUNT(&set));
}

ProcessorShare ShareFor(const Options& options, std::uint64_t frames) {
  return ShareProcessors(Processors(), frames, options.jobs, options.threads);
}

// Renders with the core, each frame on `threads` threads.
using MakeRenderer = std::function<std::unique_ptr<FrameRenderer>(int threads)>;

// Ends a run of frames: the progress line goes, and a failure becomes the
// tool's message (none for a broken pipe). Returns the exit status.
int Conclude(Progress& progress, const std::optional<FrameFailure>& failure) {
  progress.Finish(!failure);
  if (!failure) return 0;
  if (failure->quiet) return 1;
  throw ToolError(failure->message);
}

// A single image, or a sequence: each frame from its own file to its own.
int RenderFiles(const Options& options, const MakeRenderer& make_renderer,
                files::TemporaryFiles& temporaries) {
  std::vector<std::string> inputs = {options.input};
  std::vector<std::string> outputs = {options.output};
  const bool sequence = options.input_frames.has_value();
  if (sequence) {
    inputs.clear();
    outputs.clear();
    for (const std::uint64_t frame : FindFrames(*options.input_frames, options.frames)) {
      inputs.push_back(options.input_frames->Path(frame));
      outputs.push_back(options.output_frames->Path(frame));
    }
  }
  RefuseInputsAsOutputs(inputs, outputs);
  image::ReadOptions read_options;
  read_options.max_pixels = options.max_pixels;
  read_options.layer = options.layer;
  const bool shown = sequence && !options.quiet;
  Progress progress(stderr, shown && StandardErrorIsATerminal(), shown, inputs.size());
  const ProcessorShare share = ShareFor(options, inputs.size());
  const std::unique_ptr<FrameRenderer> renderer = make_renderer(share.threads);
  const PipelineSettings settings{share.jobs, false, inputs.size()};
  WriteNotes notes(stderr);
  return Conclude(progress, RunFrames(
                                settings,
                                [&] {
                                  return std::make_unique<FileFrames>(
                                      *renderer, inputs, outputs, read_options,
                                      options.output_type, temporaries, notes);
                                },
                                [&] { progress.FrameDone(); }));
}

// A regular file of raw frames holds a whole number of them: a wrong --raw
// size is found before a single sheared frame is written. A pipe or a
// device says nothing of its length, and its last frame is checked as it
// comes.
void RequireWholeFrames(std::FILE* file, const std::string& name, const RawFormat& format) {
  struct stat status {};
  if (::fstat(::fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) return;
  const auto bytes = static_cast<std::uint64_t>(status.st_size);
  if (bytes % format.frame_bytes() == 0) return;
  throw ToolError(name + ": " + std::to_string(bytes) + " bytes is not a whole number of " +
                  std::to_string(format.width) + "x" + std::to_string(format.height) +
                  " frames of " + std::to_string(format.frame_bytes()) +
                  " bytes; is --raw the stream's size?");
}

// Raw frames from INPUT to OUTPUT, in order, until the input ends.
int RenderStream(const Options& options, const MakeRenderer& make_renderer,
                 files::TemporaryFiles& temporaries) {
  const ProcessorShare share = ShareFor(options, UINT64_MAX);
  const std::unique_ptr<FrameRenderer> renderer = make_renderer(share.threads);
  const RawFormat format{options.raw->width, options.raw->height, options.raw_depth == 16};
  try {
    image::CheckPixelLimit(format.width, format.height, options.max_pixels);
  } catch (const files::FileError& error) {
    throw ToolError("--raw " + std::to_string(format.width) + "x" + std::to_string(format.height) +
                    ": " + error.what());
  }
  RefuseInputsAsOutputs({options.input}, {options.output});
  const bool from_standard_input = options.input == kStandardStream;
  const std::string input_name = from_standard_input ? "standard input" : options.input;
  files::InputFile input_file;
  if (!from_standard_input) {
    input_file = files::OpenForReading(options.input);
    RequireWholeFrames(input_file.get(), options.input, format);
  }

  const bool to_standard_output = options.output == kStandardStream;
  const std::string output_name = to_standard_output ? "standard output" : options.output;
  std::unique_ptr<files::OutputFile> output_file;
  try {
    if (!to_standard_output) {
      output_file = std::make_unique<files::OutputFile>(options.output, temporaries);
    }
  } catch (const files::FileError& error) {
    throw ToolError(options.output + ": " + error.what());
  }

  RawReader reader(from_standard_input ? stdin : input_file.get(), input_name, format);
  RawWriter writer(to_standard_output ? stdout : output_file->file(), output_name, format);
  Progress progress(stderr, !options.quiet && StandardErrorIsATerminal(), !options.quiet,
                    std::nullopt);
  const PipelineSettings settings{share.jobs, true, std::nullopt};
  const std::optional<FrameFailure> failure = RunFrames(
      settings,
      [&] { return std::make_unique<StreamFrames>(*renderer, reader, writer, input_name); },
      [&] { progress.FrameDone(); });
  if (!failure && output_file) {
    try {
      output_file->Commit();
    } catch (const files::FileError& error) {
      progress.Finish(false);
      throw ToolError(options.output + ": " + error.what());
    }
  }
  return Conclude(progress, failure);
}

int Run(const Options& options) {
  switch (options.command) {
    case Command::kHelp:
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    case Command::kVersion:
      // The tool is versioned with the effect it ships with.
      std::printf("%s %d.%d.%d\n", kToolName, kMajorVersion, kMinorVersion, kBugFixVersion);
      return 0;
    case Command::kAbout:
      std::fputs(AboutText().c_str(), stdout);
      return 0;
    case Command::kListParams:
      std::fputs(ControlsText().c_str(), stdout);
      return 0;
    case Command::kRender:
      break;
  }
  // One temporary file a worker at most; the signals are taken before any
  // thread starts.
  files::TemporaryFiles temporaries(
      static_cast<std::size_t>(ShareFor(options, UINT64_MAX).jobs) + 1);
  const InterruptCleanup interrupt_cleanup(temporaries);
  const std::string first_output =
      options.output_frames ? options.output_frames->Path(0) : options.output;
  if (!options.raw) {
    const std::string problem = image::OutputFormatProblem(first_output);
    if (!problem.empty()) throw UsageError(problem);
  }
  RequireOutputFolder(first_output);
  const ControlSettings settings = SettingsOf(options);
  const MakeRenderer make_renderer = [&](int threads) -> std::unique_ptr<FrameRenderer> {
    return std::make_unique<CoreRenderer>(settings, threads);
  };
  return options.raw ? RenderStream(options, make_renderer, temporaries)
                     : RenderFiles(options, make_renderer, temporaries);
}

}  // namespace
}  // namespace huesieve::cli

int main(int argc, char* argv[]) {
  using namespace huesieve::cli;
  const auto fail = [](int status, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kToolName, message.c_str());
    if (status == 2) std::fprintf(stderr, "Try '%s --help'.\n", kToolName);
    return status;
  };
  // A reader that goes away shows as a failed write, which ends the run
  // quietly, instead of as a signal.
  std::signal(SIGPIPE, SIG_IGN);
  try {
    const Options options =
        ParseOptions(std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc - 1)));
    return Run(options);
  } catch (const UsageError& error) {
    return fail(2, error.what());
  } catch (const std::bad_alloc&) {
    return fail(1, "out of memory");
  } catch (const std::exception& error) {
    return fail(1, error.what());
  }
}
