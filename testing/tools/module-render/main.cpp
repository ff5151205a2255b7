// huesieve-module-render: renders an image through a built After Effects
// module, loaded from its file and driven by the lean module host as the
// compositing host drives it, to check a module build against the core. A
// test tool: built with the tests, never shipped.
// Usage: huesieve-module-render --module PATH [--enable]
//                               [--entry K:RRGGBB:RANGE:SOFTNESS[:off]]... INPUT OUTPUT
//        huesieve-module-render --module PATH --about | --list-params
// The image is read and written as huesieve-render reads and writes it: 8
// and 16-bit images only, 16-bit samples on the host's 0 to 32768 scale.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "effect/controls.h"
#include "effect/entry_argument.h"
#include "files/temporary_files.h"
#include "image/image_files.h"
#include "testing/tools/module-render/module_renderer.h"

namespace {

constexpr char kToolName[] = "huesieve-module-render";
constexpr char kUsage[] =
    "usage: huesieve-module-render --module PATH [--enable] "
    "[--entry K:RRGGBB:RANGE:SOFTNESS[:off]]... INPUT OUTPUT\n"
    "       huesieve-module-render --module PATH --about | --list-params";

// A mistake in the arguments; exit status 2, as huesieve-render has it.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Command { kRender, kAbout, kListParams };

struct Request {
  Command command = Command::kRender;
  std::string module_path;
  huesieve::ControlSettings settings;
  std::string input;
  std::string output;
};

Request Parse(int argc, char** argv) {
  Request request;
  std::vector<std::string> files;
  std::optional<Command> command;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const bool has_value = i + 1 < argc;
    if (argument == "--module" && has_value) {
      request.module_path = argv[++i];
    } else if (argument == "--about" || argument == "--list-params") {
      if (command) throw UsageError("--about and --list-params exclude each other");
      command = argument == "--about" ? Command::kAbout : Command::kListParams;
    } else if (argument == "--enable") {
      request.settings.enable_effect = true;
    } else if (argument == "--entry" && has_value) {
      const huesieve::EntryArgument entry = huesieve::ParseEntryArgument(argv[++i]);
      if (!entry.error.empty()) throw UsageError(entry.error);
      request.settings.entries[static_cast<std::size_t>(entry.number - 1)] = entry.settings;
    } else if (argument.starts_with("-")) {
      throw UsageError("unknown option or missing value: " + std::string(argument));
    } else {
      files.emplace_back(argument);
    }
  }
  if (request.module_path.empty()) throw UsageError("--module PATH is required");
  request.command = command.value_or(Command::kRender);
  const std::size_t expected = request.command == Command::kRender ? 2 : 0;
  if (files.size() != expected) throw UsageError(kUsage);
  if (expected == 2) {
    request.input = files[0];
    request.output = files[1];
  }
  return request;
}

void Render(const Request& request) {
  // The module is set up before the image is read, as a host loads an effect
  // before handing it frames: a module that does not load says so first.
  const huesieve::module_render::ModuleRenderer renderer(request.module_path, request.settings);
  huesieve::image::FrameBuffer frame;
  const huesieve::image::ImageHeader header =
      huesieve::image::ReadImageFile(request.input, huesieve::image::kDefaultMaxPixels, frame);
  renderer.Render(frame, request.input);
  huesieve::files::TemporaryFiles temporaries(1);
  huesieve::image::WriteImageFile(request.output, header, std::nullopt, frame, temporaries);
}

int Run(const Request& request) {
  switch (request.command) {
    case Command::kAbout:
      std::fputs(huesieve::module_render::ModuleAbout(request.module_path).c_str(), stdout);
      return 0;
    case Command::kListParams:
      std::fputs(huesieve::module_render::ModuleParams(request.module_path).c_str(), stdout);
      return 0;
    case Command::kRender:
      break;
  }
  Render(request);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(Parse(argc, argv));
  } catch (const UsageError& error) {
    std::fprintf(stderr, "%s: %s\n", kToolName, error.what());
    return 2;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "%s: out of memory\n", kToolName);
    return 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", kToolName, error.what());
    return 1;
  }
}
