// huesieve-render: loads the built effect module through its exported
// EffectMain, drives it through the simulated host exactly as the compositing
// host would (Global Setup, Params Setup, Render), and applies it to PNG
// files, image sequences and raw video streams.
#include <sched.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "tools/huesieve-render/effect_controls.h"
#include "effect/identity.h"
#include "png/files.h"
#include "tools/huesieve-render/frame_pipeline.h"
#include "tools/huesieve-render/frame_work.h"
#include "hostsim/host.h"
#include "tools/huesieve-render/module.h"
#include "tools/huesieve-render/options.h"
#include "png/png_reader.h"
#include "tools/huesieve-render/progress.h"
#include "tools/huesieve-render/raw_frames.h"
#include "tools/huesieve-render/settings_file.h"

namespace huesieve::cli {
namespace {

// The host's Mac-style line ends in the About text become the terminal's.
void PrintAbout(const PF_OutData& out_data) {
  std::string text(out_data.return_msg, strnlen(out_data.return_msg, sizeof out_data.return_msg));
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  std::printf("%s\n", text.c_str());
}

const char* TypeName(PF_ParamType type) {
  switch (type) {
    case PF_Param_LAYER:
      return "layer";
    case PF_Param_CHECKBOX:
      return "checkbox";
    case PF_Param_COLOR:
      return "color";
    case PF_Param_FLOAT_SLIDER:
      return "float-slider";
    case PF_Param_GROUP_START:
      return "group-start";
    case PF_Param_GROUP_END:
      return "group-end";
    default:
      return "unknown";
  }
}

// One line a slot: slot, identifier, type, name, limits, default.
void PrintParams(hostsim::Host& host) {
  for (int slot = 0; slot < static_cast<int>(host.param_count()); ++slot) {
    const PF_ParamDef& def = host.description(slot);
    const std::string id = slot == 0 ? "-" : std::to_string(def.uu.id);
    char name[sizeof def.name + 2] = "(input layer)";
    if (slot != 0) std::snprintf(name, sizeof name, "\"%.*s\"", int{sizeof def.name}, def.name);
    char limits[64] = "-";
    char dephault[64] = "-";
    switch (def.param_type) {
      case PF_Param_CHECKBOX:
        std::snprintf(dephault, sizeof dephault, "%s", def.u.bd.dephault != 0 ? "on" : "off");
        break;
      case PF_Param_COLOR:
        std::snprintf(dephault, sizeof dephault, "%02X%02X%02X alpha %d", def.u.cd.dephault.red,
                      def.u.cd.dephault.green, def.u.cd.dephault.blue, def.u.cd.dephault.alpha);
        break;
      case PF_Param_FLOAT_SLIDER:
        std::snprintf(limits, sizeof limits, "%g to %g", double{def.u.fs_d.valid_min},
                      double{def.u.fs_d.valid_max});
        std::snprintf(dephault, sizeof dephault, "%g", double{def.u.fs_d.dephault});
        break;
      default:
        break;
    }
    std::printf("%-3d %-3s %-13s %-16s %-11s %s\n", slot, id.c_str(), TypeName(def.param_type),
                name, limits, dephault);
  }
}

Limits SliderLimits(const PF_ParamDef& def) {
  return {double{def.u.fs_d.valid_min}, double{def.u.fs_d.valid_max}};
}

void ApplySettings(hostsim::Host& host, const EffectControls& controls, const Options& options) {
  host.param(controls.enable_effect).u.bd.value = options.enable_effect ? 1 : 0;
  for (const EntrySetting& entry : options.entries) {
    const EntryControls& slots = controls.entries[static_cast<std::size_t>(entry.number - 1)];
    host.param(slots.enable).u.bd.value = entry.enabled ? 1 : 0;
    PF_Pixel& colour = host.param(slots.colour).u.cd.value;
    colour.red = entry.red;
    colour.green = entry.green;
    colour.blue = entry.blue;
    host.param(slots.range).u.fs_d.value = entry.range;
    host.param(slots.softness).u.fs_d.value = entry.softness;
  }
}

int Processors() {
  cpu_set_t set;
  if (::sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  return std::max(1, CPU_COUNT(&set));
}

int Workers(const Options& options, std::uint64_t frames) {
  const std::uint64_t jobs =
      static_cast<std::uint64_t>(options.jobs > 0 ? options.jobs : Processors());
  return static_cast<int>(std::max<std::uint64_t>(1, std::min(jobs, frames)));
}

// Ends a run of frames: the progress line goes, and a failure becomes the
// tool's message (none for a broken pipe). Returns the exit status.
int Conclude(Progress& progress, const std::optional<FrameFailure>& failure) {
  progress.Finish(!failure);
  if (!failure) return 0;
  if (failure->quiet) return 1;
  throw ToolError(failure->message);
}

// A single image, or a sequence: each frame from its own file to its own.
int RenderFiles(const Options& options, const Renderer& renderer) {
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
  const bool shown = sequence && !options.quiet;
  Progress progress(stderr, shown && StandardErrorIsATerminal(), shown, inputs.size());
  const PipelineSettings settings{Workers(options, inputs.size()), false, inputs.size()};
  return Conclude(progress, RunFrames(
                                settings,
                                [&] {
                                  return std::make_unique<FileFrames>(renderer, inputs, outputs,
                                                                      options.max_pixels);
                                },
                                [&] { progress.FrameDone(); }));
}

// Raw frames from INPUT to OUTPUT, in order, until the input ends.
int RenderStream(const Options& options, const Renderer& renderer) {
  const RawFormat format{options.raw->width, options.raw->height, options.raw_depth == 16};
  try {
    png::CheckPixelLimit(format.width, format.height, options.max_pixels);
  } catch (const png::PngError& error) {
    throw ToolError("--raw " + std::to_string(format.width) + "x" + std::to_string(format.height) +
                    ": " + error.what());
  }
  const bool from_standard_input = options.input == kStandardStream;
  const std::string input_name = from_standard_input ? "standard input" : options.input;
  png::InputFile input_file;
  if (!from_standard_input) input_file = png::OpenForReading(options.input);

  const bool to_standard_output = options.output == kStandardStream;
  const std::string output_name = to_standard_output ? "standard output" : options.output;
  std::unique_ptr<png::ReplacingFile> output_file;
  try {
    if (!to_standard_output) output_file = std::make_unique<png::ReplacingFile>(options.output);
  } catch (const png::FileError& error) {
    throw ToolError(options.output + ": " + error.what());
  }

  RawReader reader(from_standard_input ? stdin : input_file.get(), input_name, format);
  RawWriter writer(to_standard_output ? stdout : output_file->file(), output_name, format);
  Progress progress(stderr, !options.quiet && StandardErrorIsATerminal(), !options.quiet,
                    std::nullopt);
  const PipelineSettings settings{Workers(options, UINT64_MAX), true, std::nullopt};
  const std::optional<FrameFailure> failure = RunFrames(
      settings,
      [&] { return std::make_unique<StreamFrames>(renderer, reader, writer, input_name); },
      [&] { progress.FrameDone(); });
  if (!failure && output_file) {
    try {
      output_file->Commit();
    } catch (const png::FileError& error) {
      progress.Finish(false);
      throw ToolError(options.output + ": " + error.what());
    }
  }
  return Conclude(progress, failure);
}

int Run(Options options) {
  if (options.command == Command::kHelp) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (options.command == Command::kVersion) {
    // The tool is versioned with the effect it ships with.
    std::printf("%s %d.%d.%d\n", kToolName, kMajorVersion, kMinorVersion, kBugFixVersion);
    return 0;
  }

  if (!options.settings_file.empty()) {
    CombineWithSettingsFile(ReadSettingsFile(options.settings_file), options);
  }

  const Module module(options.module_path.empty() ? ModuleBesideTool() : options.module_path);
  hostsim::Host host(module.effect_main());
  module.Check(host.GlobalSetup(), "Global Setup");
  if (options.command == Command::kAbout) {
    module.Check(host.About(), "About");
    PrintAbout(host.out_data);
    return 0;
  }

  module.Check(host.ParamsSetup(), "Params Setup");
  if (host.out_data.num_params != static_cast<A_long>(host.param_count())) {
    throw ToolError("module " + module.path() + " reports " +
                    std::to_string(host.out_data.num_params) + " parameters but added " +
                    std::to_string(host.added_params().size()));
  }
  if (options.command == Command::kListParams) {
    PrintParams(host);
    return 0;
  }

  std::vector<PF_ParamDef> records;
  for (int slot = 0; slot < static_cast<int>(host.param_count()); ++slot) {
    records.push_back(host.description(slot));
  }
  EffectControls controls;
  try {
    controls = FindControls(records);
  } catch (const LayoutError& error) {
    throw ToolError("module " + module.path() + ": " + error.what());
  }
  for (const EntrySetting& entry : options.entries) {
    const int entry_count = static_cast<int>(controls.entries.size());
    ValidateEntryNumber(entry, entry_count);
    const EntryControls& slots = controls.entries[static_cast<std::size_t>(entry.number - 1)];
    ValidateEntryValues(entry, SliderLimits(host.description(slots.range)),
                        SliderLimits(host.description(slots.softness)));
  }
  ApplySettings(host, controls, options);

  const Renderer renderer(host, module);
  return options.raw ? RenderStream(options, renderer) : RenderFiles(options, renderer);
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
