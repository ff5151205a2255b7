// huesieve-render: loads the built effect module through its exported
// EffectMain, drives it through the simulated host exactly as the compositing
// host would (Global Setup, Params Setup, Render), and applies it to PNG files.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include "effect_controls.h"
#include "entry/effect_identity.h"
#include "host.h"
#include "options.h"
#include "png_io.h"

namespace huesieve::cli {
namespace {

// Every failure other than a usage mistake; the tool exits with status 1.
class ToolError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The module built beside the tool, wherever the build tree or the tool was
// moved: found from the tool's own path, not the working directory.
std::string ModuleBesideTool() {
  std::error_code error;
  const std::filesystem::path tool = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) throw ToolError("cannot find the tool's own path: " + error.message());
  return (tool.parent_path() / (std::string(kEffectName) + ".so")).string();
}

class Module {
 public:
  explicit Module(const std::string& path) : path_(path) {
    // A bare file name would send dlopen searching the library path; the user
    // means the file in the working directory.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    handle_ = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) throw ToolError("cannot load module " + path + ": " + ::dlerror());
    void* symbol = ::dlsym(handle_, kEntryPointName);
    if (symbol == nullptr) {
      ::dlclose(handle_);
      throw ToolError("module " + path + " does not export " + kEntryPointName);
    }
    effect_main_ = reinterpret_cast<hostsim::EffectMainFn>(symbol);
  }
  ~Module() { ::dlclose(handle_); }
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  hostsim::EffectMainFn effect_main() const { return effect_main_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  void* handle_ = nullptr;
  hostsim::EffectMainFn effect_main_ = nullptr;
};

void Check(PF_Err err, const Module& module, const std::string& command) {
  if (err != PF_Err_NONE) {
    throw ToolError("module " + module.path() + " failed " + command + ": host error code " +
                    std::to_string(err));
  }
}

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

hostsim::World ToWorld(const png::Image& image) {
  const bool deep = image.bit_depth == 16;
  hostsim::World world(deep ? hostsim::Depth::k16 : hostsim::Depth::k8,
                       static_cast<A_long>(image.width), static_cast<A_long>(image.height));
  for (std::uint32_t row = 0; row < image.height; ++row) {
    for (std::uint32_t column = 0; column < image.width; ++column) {
      const std::uint16_t* rgba = &image.rgba[image.Index(column, row)];
      const auto c = static_cast<A_long>(column);
      const auto r = static_cast<A_long>(row);
      if (deep) {
        world.Set(c, r,
                  PF_Pixel16{png::ToHost16(rgba[3]), png::ToHost16(rgba[0]), png::ToHost16(rgba[1]),
                             png::ToHost16(rgba[2])});
      } else {
        world.Set(c, r,
                  PF_Pixel{static_cast<A_u_char>(rgba[3]), static_cast<A_u_char>(rgba[0]),
                           static_cast<A_u_char>(rgba[1]), static_cast<A_u_char>(rgba[2])});
      }
    }
  }
  return world;
}

png::Image FromWorld(const hostsim::World& world, const png::Image& like) {
  png::Image image;
  image.width = like.width;
  image.height = like.height;
  image.bit_depth = like.bit_depth;
  image.rgba.resize(like.rgba.size());
  for (std::uint32_t row = 0; row < image.height; ++row) {
    for (std::uint32_t column = 0; column < image.width; ++column) {
      std::uint16_t* rgba = &image.rgba[image.Index(column, row)];
      const auto c = static_cast<A_long>(column);
      const auto r = static_cast<A_long>(row);
      if (image.bit_depth == 16) {
        const auto pixel = world.Get<PF_Pixel16>(c, r);
        rgba[0] = png::FromHost16(pixel.red);
        rgba[1] = png::FromHost16(pixel.green);
        rgba[2] = png::FromHost16(pixel.blue);
        rgba[3] = png::FromHost16(pixel.alpha);
      } else {
        const auto pixel = world.Get<PF_Pixel>(c, r);
        rgba[0] = pixel.red;
        rgba[1] = pixel.green;
        rgba[2] = pixel.blue;
        rgba[3] = pixel.alpha;
      }
    }
  }
  return image;
}

int Run(const Options& options) {
  if (options.command == Command::kHelp) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (options.command == Command::kVersion) {
    // The tool is versioned with the effect it ships with.
    std::printf("%s %d.%d.%d\n", kToolName, kMajorVersion, kMinorVersion, kBugFixVersion);
    return 0;
  }

  const Module module(options.module_path.empty() ? ModuleBesideTool() : options.module_path);
  hostsim::Host host(module.effect_main());
  Check(host.GlobalSetup(), module, "Global Setup");
  if (options.command == Command::kAbout) {
    Check(host.About(), module, "About");
    PrintAbout(host.out_data);
    return 0;
  }

  Check(host.ParamsSetup(), module, "Params Setup");
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

  const png::Image image = png::ReadPng(options.input);
  if (image.bit_depth == 16 && (host.out_data.out_flags & PF_OutFlag_DEEP_COLOR_AWARE) == 0) {
    throw ToolError(options.input + ": 16-bit image, but module " + module.path() +
                    " does not declare 16-bit rendering (flag 0x02000000)");
  }
  hostsim::World input = ToWorld(image);
  hostsim::World output(input.depth(), input.def().width, input.def().height);
  Check(host.Render(input, output), module, "to render " + options.input);
  png::WritePng(options.output, FromWorld(output, image));
  return 0;
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
