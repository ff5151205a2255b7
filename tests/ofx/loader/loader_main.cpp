// Loads an OpenFX bundle as a host does and drives its first plug-in through
// the simulated host: describes it in every context both support, then
// renders a fixed set of frames at 8, 16 and 32-bit float, with the
// parameters at their defaults and at fixed values derived from their
// description; then again in each habit of real hosts the simulated host
// can take on, with a frame whose source is missing and one the host aborts.
// It prints the description and a digest of every output, and a digest of
// all of it.
//
// Built for Linux it loads Contents/Linux-x86-64; cross-built for Windows,
// Contents/Win64 under Wine. Both print the same text when the two binaries
// behave bit for bit alike.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "testing/hostsim/ofx/bundle.h"
#include "testing/hostsim/ofx/frame_pattern.h"
#include "testing/hostsim/ofx/host.h"
#include "testing/hostsim/ofx/image.h"
#include "testing/hostsim/ofx/instance.h"
#include "testing/hostsim/ofx/plugin.h"
#include "tests/loader/digest.h"

namespace {

using hostsim::ofx::Image;
using hostsim::ofx::Instance;
using hostsim::ofx::Param;
using hostsim::ofx::ParamValue;
using hostsim::ofx::ParamValueKind;
using hostsim::ofx::PixelDepth;
using hostsim::ofx::PropertySet;

void Say(const std::string& line) { std::fputs((line + "\n").c_str(), stdout); }

[[noreturn]] void Fail(const std::string& what) {
  std::fflush(stdout);
  std::fputs(("FAILED: " + what + "\n").c_str(), stderr);
  std::exit(1);
}

// A set's properties, one line each, less what differs between machines.
void SayProperties(const std::string& prefix, const PropertySet& properties,
                   loader::Digest& digest) {
  for (const std::string& line : properties.Describe()) {
    if (line.starts_with(kOfxPluginPropFilePath)) continue;
    Say(prefix + line);
    digest.Text(line);
  }
}

// A value in the parameter's range that is not its default, from its place
// in the list: the same on every platform, and the same for a parameter
// however the plug-in's code changes around it.
ParamValue DerivedValue(const Param& param, int index) {
  ParamValue value = param.Default();
  const double spread = 0.2 + 0.6 * std::fmod(index * 0.6180339887, 1.0);
  const std::string_view type = param.type().name;
  if (type == kOfxParamTypeBoolean) {
    value.numbers[0] = value.numbers[0] != 0.0 ? 0.0 : 1.0;
  } else if (type == kOfxParamTypeRGB || type == kOfxParamTypeRGBA) {
    for (std::size_t c = 0; c < value.numbers.size(); ++c) {
      value.numbers[c] = std::fmod(spread + 0.37 * static_cast<double>(c), 1.0);
    }
  } else if (type == kOfxParamTypeDouble) {
    const double low = param.properties().Double(kOfxParamPropMin);
    const double high = param.properties().Double(kOfxParamPropMax);
    value.numbers[0] =
        std::isfinite(high - low) ? low + spread * (high - low) : value.numbers[0] + 1.0;
  }
  return value;
}

void SetDerivedValues(Instance& instance) {
  int index = 0;
  for (const auto& param : instance.effect().params().params()) {
    ++index;
    const std::string_view type = param->type().name;
    if (type == kOfxParamTypeBoolean || type == kOfxParamTypeRGB || type == kOfxParamTypeRGBA ||
        type == kOfxParamTypeDouble) {
      param->SetValue(DerivedValue(*param, index));
    }
  }
}

struct FrameShape {
  OfxRectI bounds;
  int row_padding_samples;
  bool negative_row_bytes;
};

constexpr FrameShape kFrames[] = {
    {{0, 0, 37, 23}, 0, false},
    {{-5, 7, 26, 18}, 3, true},
    {{100, -40, 101, 1}, 1, false},
};

// A frame with no source image, and a frame the host aborts at its first
// question: their statuses and outputs.
void RenderOddFrames(Instance& instance, PixelDepth depth, loader::Digest& digest) {
  const FrameShape& shape = kFrames[0];
  Image source({.bounds = shape.bounds, .depth = depth});
  hostsim::ofx::FillPattern(source, 5);
  for (const bool missing : {true, false}) {
    Image output({.bounds = shape.bounds, .depth = depth});
    instance.AbortAfter(missing ? std::nullopt : std::optional<int>(0));
    const auto outcome =
        instance.Render({.time = 50.0, .source = missing ? nullptr : &source, .output = &output});
    digest.I32(outcome.status);
    if (!missing) continue;
    for (int y = shape.bounds.y1; y < shape.bounds.y2; ++y) {
      digest.Bytes(output.PixelAddress(shape.bounds.x1, y),
                   output.pixel_bytes() * static_cast<std::size_t>(output.width()));
    }
  }
  instance.AbortAfter(std::nullopt);
}

std::string RenderFrames(hostsim::ofx::Plugin& plugin, PixelDepth depth, bool derived,
                         bool odd_frames = false) {
  auto instance = plugin.CreateInstance({.depth = depth});
  if (instance == nullptr || instance->create_status() != kOfxStatOK) {
    Fail("cannot create an instance at " + std::string(hostsim::ofx::DepthName(depth)));
  }
  if (derived) SetDerivedValues(*instance);
  loader::Digest digest;
  int frame = 0;
  for (const FrameShape& shape : kFrames) {
    const int padding =
        shape.row_padding_samples * static_cast<int>(hostsim::ofx::SampleBytes(depth));
    Image source({.bounds = shape.bounds,
                  .depth = depth,
                  .row_padding = padding,
                  .negative_row_bytes = shape.negative_row_bytes});
    Image output({.bounds = shape.bounds, .depth = depth, .row_padding = padding});
    hostsim::ofx::FillPattern(source, static_cast<std::uint32_t>(17 * frame + 1));
    const auto outcome =
        instance->Render({.time = double(frame), .source = &source, .output = &output});
    digest.I32(outcome.status);
    digest.U8(outcome.identity ? 1 : 0);
    for (int y = shape.bounds.y1; y < shape.bounds.y2; ++y) {
      digest.Bytes(output.PixelAddress(shape.bounds.x1, y),
                   output.pixel_bytes() * static_cast<std::size_t>(output.width()));
    }
    Say("render " + std::string(hostsim::ofx::DepthName(depth)) +
        (derived ? " derived" : " defaults") + " frame " + std::to_string(frame) + ": status " +
        std::to_string(outcome.status) + (outcome.identity ? ", identity" : ""));
    ++frame;
  }
  if (odd_frames) RenderOddFrames(*instance, depth, digest);
  return digest.Hex();
}

struct HostHabit {
  const char* name;
  hostsim::ofx::HostConfig config;
};

const HostHabit kHabits[] = {
    {"without the 1.2 descriptor properties", {.lacks_1_2_descriptor_properties = true}},
    {"tiles from the instance", {.tiles_from_instance = true}},
    {"output label from clip preferences", {.output_label_from_clip_preferences = true}},
    {"missing images as null", {.missing_image_as_null = true}},
    {"interlaced", {.interlaced = true}},
};

// The bundle loaded afresh by a host with `habit`, its frames rendered with
// derived values at every depth; the count of the host's complaints, since a
// host without the 1.2 properties refuses what the plug-in sets best-effort.
std::string RenderInHabit(const std::string& path, const HostHabit& habit) {
  hostsim::ofx::Host host(habit.config);
  hostsim::ofx::Bundle bundle(host, path);
  if (!bundle.loaded()) Fail(bundle.error());
  auto plugin = bundle.LoadPlugin(bundle.ofx_plugin(0).pluginIdentifier);
  if (plugin == nullptr) Fail(std::string(habit.name) + ": " + bundle.error());
  loader::Digest digest;
  for (const PixelDepth depth : {PixelDepth::kByte, PixelDepth::kShort, PixelDepth::kFloat}) {
    digest.Text(RenderFrames(*plugin, depth, true, true));
  }
  const auto complaints = host.complaints();
  digest.I32(static_cast<std::int32_t>(complaints.size()));
  Say("host " + std::string(habit.name) + ": " + std::to_string(complaints.size()) + " complaints");
  return digest.Hex();
}

int Run(const std::vector<std::string>& args) {
  if (args.size() != 1) Fail("usage: huesieve_ofx_loader NAME.ofx.bundle");
  hostsim::ofx::Host host;
  hostsim::ofx::Bundle bundle(host, args[0]);
  if (!bundle.loaded()) Fail(bundle.error());
  if (bundle.plugin_count() < 1) Fail("the bundle holds no plug-in");
  const OfxPlugin& first = bundle.ofx_plugin(0);
  auto plugin = bundle.LoadPlugin(first.pluginIdentifier);
  if (plugin == nullptr) Fail(bundle.error());

  loader::Digest total;
  const auto section = [&total](const std::string& name, const std::string& hex) {
    total.Text(name);
    total.Text(hex);
    Say(name + " " + hex);
  };
  Say("plug-in " + plugin->identifier() + " " + std::to_string(first.pluginVersionMajor) + "." +
      std::to_string(first.pluginVersionMinor) + ", API " + first.pluginApi + " " +
      std::to_string(first.apiVersion) + ", OfxSetHost " +
      (bundle.exports_set_host() ? "exported" : "absent"));
  {
    loader::Digest digest;
    SayProperties("  ", plugin->descriptor().properties(), digest);
    section("description", digest.Hex());
  }
  for (const std::string& context : plugin->Contexts()) {
    const hostsim::ofx::Effect* described = plugin->DescribeInContext(context);
    if (described == nullptr) Fail("describing in " + context + " failed");
    loader::Digest digest;
    for (const auto& clip : described->clips()) {
      Say("  clip " + clip->name());
      SayProperties("    ", clip->properties(), digest);
    }
    for (const auto& param : described->params().params()) {
      Say("  parameter " + param->name());
      SayProperties("    ", param->properties(), digest);
    }
    section("context " + context, digest.Hex());
  }
  for (const PixelDepth depth : {PixelDepth::kByte, PixelDepth::kShort, PixelDepth::kFloat}) {
    for (const bool derived : {false, true}) {
      section(std::string("frames ") + hostsim::ofx::DepthName(depth) +
                  (derived ? " derived" : " defaults"),
              RenderFrames(*plugin, depth, derived));
    }
  }
  // The plug-in unloads from this host before the others load it: the
  // binary is loaded once, and keeps the host that set itself last.
  plugin.reset();
  for (const HostHabit& habit : kHabits) {
    section(std::string("habit ") + habit.name, RenderInHabit(args[0], habit));
  }
  const auto complaints = host.complaints();
  for (const auto& complaint : complaints) {
    Say("complaint: " + std::string(hostsim::ofx::KindName(complaint.kind)) + ": " +
        complaint.what);
  }
  Say("digest " + total.Hex());
  return complaints.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc)); }
