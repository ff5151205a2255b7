#include "testing/tools/module-render/module_renderer.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "testing/modulehost/image_record.h"
#include "testing/tools/module-render/effect_controls.h"
#include "testing/tools/module-render/host_pixels.h"

namespace huesieve::module_render {
namespace {

void SetUp(const Module& module, modulehost::Host& host) {
  module.Check(host.GlobalSetup(), "Global Setup");
  module.Check(host.ParamsSetup(), "Params Setup");
  if (host.out_data.num_params != static_cast<A_long>(host.param_count())) {
    throw ModuleError("module " + module.path() + " reports " +
                      std::to_string(host.out_data.num_params) + " parameters but added " +
                      std::to_string(host.added_params().size()));
  }
}

EffectControls ControlsOf(const Module& module, const modulehost::Host& host) {
  std::vector<PF_ParamDef> records;
  for (int slot = 0; slot < static_cast<int>(host.param_count()); ++slot) {
    records.push_back(host.description(slot));
  }
  try {
    return FindControls(records);
  } catch (const LayoutError& error) {
    throw ModuleError("module " + module.path() + ": " + error.what());
  }
}

void ApplySettings(const Module& module, modulehost::Host& host, const ControlSettings& settings) {
  const EffectControls controls = ControlsOf(module, host);
  host.param(controls.enable_effect).u.bd.value = settings.enable_effect ? 1 : 0;
  for (std::size_t k = 0; k < settings.entries.size(); ++k) {
    const EntrySettings& entry = settings.entries[k];
    if (k >= controls.entries.size()) {
      if (entry == EntrySettings{}) continue;
      throw ModuleError("module " + module.path() + " has colour entries 1 to " +
                        std::to_string(controls.entries.size()) + ", not " + std::to_string(k + 1));
    }
    const EntryControls& slots = controls.entries[k];
    host.param(slots.enable).u.bd.value = entry.enabled ? 1 : 0;
    PF_Pixel& colour = host.param(slots.colour).u.cd.value;
    colour.red = entry.colour.red;
    colour.green = entry.colour.green;
    colour.blue = entry.colour.blue;
    host.param(slots.range).u.fs_d.value = entry.range;
    host.param(slots.softness).u.fs_d.value = entry.softness;
  }
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

std::string ParamLine(int slot, const PF_ParamDef& def) {
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
  char line[256];
  std::snprintf(line, sizeof line, "%-3d %-3s %-13s %-16s %-11s %s\n", slot, id.c_str(),
                TypeName(def.param_type), name, limits, dephault);
  return line;
}

}  // namespace

ModuleRenderer::ModuleRenderer(const std::string& module_path, const ControlSettings& settings)
    : module_(module_path), host_(module_.effect_main()) {
  SetUp(module_, host_);
  ApplySettings(module_, host_, settings);
  deep_ = (host_.out_data.out_flags & PF_OutFlag_DEEP_COLOR_AWARE) != 0;
}

void ModuleRenderer::Render(image::FrameBuffer& frame, const std::string& what) const {
  if (frame.type() == image::SampleType::kFloat) {
    throw ModuleError(what + ": float image, but the After Effects module " + module_.path() +
                      " renders 8 and 16 bits only");
  }
  const bool deep = frame.type() == image::SampleType::kUint16;
  if (deep && !deep_) {
    throw ModuleError(what + ": 16-bit image, but module " + module_.path() +
                      " does not declare 16-bit rendering (flag 0x02000000)");
  }
  // The host's pixels are the frame's, alpha first and, at 16 bits, on the
  // host's scale: the module renders a copy from one into another, as its
  // host hands it an input and an output, and the result comes back.
  const std::size_t row_bytes = frame.row_bytes();
  std::vector<std::byte> host_input(frame.image_bytes());
  std::vector<std::byte> host_output(frame.image_bytes());
  for (std::uint32_t row = 0; row < frame.height(); ++row) {
    std::byte* at = host_input.data() + row * row_bytes;
    std::memcpy(at, frame.Row(row), row_bytes);
    RgbaToHost(at, frame.width(), deep);
  }
  const auto width = static_cast<A_long>(frame.width());
  const auto height = static_cast<A_long>(frame.height());
  const auto rowbytes = static_cast<A_long>(row_bytes);
  PF_LayerDef input_record =
      modulehost::ImageRecord(deep, host_input.data(), width, height, rowbytes);
  PF_LayerDef output_record =
      modulehost::ImageRecord(deep, host_output.data(), width, height, rowbytes);
  module_.Check(host_.Render(input_record, output_record), "to render " + what);

  for (std::uint32_t row = 0; row < frame.height(); ++row) {
    HostToRgba(host_output.data() + row * row_bytes,
               reinterpret_cast<std::uint8_t*>(frame.Row(row)), frame.width(), deep);
  }
}

std::string ModuleAbout(const std::string& module_path) {
  const Module module(module_path);
  modulehost::Host host(module.effect_main());
  module.Check(host.GlobalSetup(), "Global Setup");
  module.Check(host.About(), "About");
  const PF_OutData& out_data = host.out_data;
  // The host's Mac-style line ends become the terminal's.
  std::string text(out_data.return_msg, strnlen(out_data.return_msg, sizeof out_data.return_msg));
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  return text + "\n";
}

std::string ModuleParams(const std::string& module_path) {
  const Module module(module_path);
  modulehost::Host host(module.effect_main());
  SetUp(module, host);
  std::string lines;
  for (int slot = 0; slot < static_cast<int>(host.param_count()); ++slot) {
    lines += ParamLine(slot, host.description(slot));
  }
  return lines;
}

}  // namespace huesieve::module_render
