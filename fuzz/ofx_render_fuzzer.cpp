// Drives the OpenFX plug-in's render through the simulated OpenFX host with
// image descriptions and parameter values a host could send, hostile ones
// included: any depth, bounds, origin, row padding and order, premultiplied
// or not, images missing, mislabelled or of different bounds, any render
// window, any slider values, in any of the host habits the simulated host
// has, with or without an abort. Every frame must leave the host without a
// complaint (no stray write, no image kept), and every frame the plug-in
// renders must hold exactly what the plain model of an OpenFX frame says.
//
// The plug-in stays loaded in one host a habit, and an instance stays made
// for each depth and source premultiplication, across inputs, as a host
// keeps them for a session: an input costs a frame, not a load.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "fuzz/fuzz_values.h"
#include "ofx/plugin_identity.h"
#include "testing/hostsim/ofx/faults.h"
#include "testing/hostsim/ofx/host.h"
#include "testing/hostsim/ofx/instance.h"
#include "testing/hostsim/ofx/loaded_plugin.h"
#include "testing/reference/plain_ofx_render.h"

namespace {

using hostsim::ofx::Image;
using hostsim::ofx::PixelDepth;
using plain_reference::ofx::EntrySettings;

using hostsim::ofx::HostConfig;
using hostsim::ofx::Instance;
using hostsim::ofx::LoadedPlugin;

constexpr PixelDepth kDepths[] = {PixelDepth::kByte, PixelDepth::kShort, PixelDepth::kFloat};
constexpr const char* kPremultiplication[] = {kOfxImagePreMultiplied, kOfxImageUnPreMultiplied,
                                              kOfxImageOpaque};
constexpr std::size_t kModes = 6;

HostConfig ModeConfig(std::size_t mode) {
  switch (mode) {
    case 1:
      return {.lacks_1_2_descriptor_properties = true};
    case 2:
      return {.tiles_from_instance = true};
    case 3:
      return {.output_label_from_clip_preferences = true};
    case 4:
      return {.missing_image_as_null = true};
    case 5:
      return {.interlaced = true};
    default:
      return {};
  }
}

struct Session {
  std::unique_ptr<LoadedPlugin> loaded;
  std::unique_ptr<Instance> instances[std::size(kDepths)][std::size(kPremultiplication)];
};

// A host habit's session, made when first wanted and kept; the refusals of
// a host without the 1.2 properties, which the plug-in lets go, are part of
// loading it.
Session* Sessions() {
  static Session* sessions = new Session[kModes];
  return sessions;
}

Session& SessionFor(std::size_t mode) {
  Session& session = Sessions()[mode];
  if (session.loaded == nullptr) {
    session.loaded = std::make_unique<LoadedPlugin>(
        HUESIEVE_OFX_BUNDLE, huesieve::ofx::kPluginIdentifier, ModeConfig(mode));
    if (session.loaded->plugin == nullptr) {
      std::fprintf(stderr, "cannot load the plug-in: %s\n", session.loaded->bundle.error().c_str());
      std::abort();
    }
    session.loaded->host.complaint_log().Clear();
  }
  return session;
}

Instance& InstanceFor(Session& session, std::size_t depth, std::size_t premultiplication) {
  auto& instance = session.instances[depth][premultiplication];
  if (instance == nullptr) {
    instance = session.loaded->plugin->CreateInstance(
        {.depth = kDepths[depth], .premultiplication = kPremultiplication[premultiplication]});
    if (instance->create_status() != kOfxStatOK) {
      std::fprintf(stderr, "creating an instance failed with %d\n", instance->create_status());
      std::abort();
    }
  }
  return *instance;
}

hostsim::ofx::ImageLayout ConsumeLayout(FuzzedDataProvider& data, PixelDepth depth,
                                        const char* premultiplication) {
  const int x1 = data.ConsumeIntegralInRange<int>(-40, 40);
  const int y1 = data.ConsumeIntegralInRange<int>(-40, 40);
  const int sample = static_cast<int>(hostsim::ofx::SampleBytes(depth));
  return {.bounds = {x1, y1, x1 + data.ConsumeIntegralInRange<int>(0, 48),
                     y1 + data.ConsumeIntegralInRange<int>(0, 24)},
          .depth = depth,
          .row_padding = sample * data.ConsumeIntegralInRange<int>(0, 5),
          .negative_row_bytes = data.ConsumeBool(),
          .premultiplication = premultiplication};
}

// Every byte of the pixels from a repeating pattern out of the input.
void FillPixels(FuzzedDataProvider& data, Image& image) {
  const std::vector<std::uint8_t> pattern =
      data.ConsumeBytes<std::uint8_t>(data.ConsumeIntegralInRange<std::size_t>(1, 96));
  if (pattern.empty()) return;
  std::size_t at = 0;
  const OfxRectI bounds = image.layout().bounds;
  for (int y = bounds.y1; y < bounds.y2; ++y) {
    std::byte* row = image.PixelAddress(bounds.x1, y);
    for (std::size_t i = 0; i < image.pixel_bytes() * static_cast<std::size_t>(image.width());
         ++i) {
      row[i] = static_cast<std::byte>(pattern[at++ % pattern.size()]);
    }
  }
}

EntrySettings ConsumeEntries(FuzzedDataProvider& data) {
  EntrySettings entries;
  for (auto& entry : entries) {
    entry.enabled = data.ConsumeBool();
    for (double& channel : entry.colour) {
      channel = data.ConsumeBool() ? data.ConsumeIntegralInRange<int>(0, 255) / 255.0
                                   : huesieve_fuzz::ConsumeSliderValue(data);
    }
    entry.range = huesieve_fuzz::ConsumeSliderValue(data);
    entry.softness = huesieve_fuzz::ConsumeSliderValue(data);
  }
  return entries;
}

// A window within the output's bounds and a little beyond, or none.
std::optional<OfxRectI> ConsumeWindow(FuzzedDataProvider& data, const OfxRectI& bounds) {
  if (data.ConsumeBool()) return std::nullopt;
  const auto coordinate = [&](int low, int high) {
    return data.ConsumeIntegralInRange<int>(low - 3, high + 3);
  };
  const int x1 = coordinate(bounds.x1, bounds.x2);
  const int y1 = coordinate(bounds.y1, bounds.y2);
  return OfxRectI{x1, y1, std::max(x1, coordinate(bounds.x1, bounds.x2)),
                  std::max(y1, coordinate(bounds.y1, bounds.y2))};
}

void Fail(const char* what, const std::string& detail = "") {
  std::fprintf(stderr, "%s%s\n", what, detail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const std::size_t mode = data.ConsumeIntegralInRange<std::size_t>(0, kModes - 1);
  const std::size_t depth_index = data.ConsumeIntegralInRange<std::size_t>(0, 2);
  const std::size_t label = data.ConsumeIntegralInRange<std::size_t>(0, 2);
  Session& session = SessionFor(mode);
  Instance& instance = InstanceFor(session, depth_index, label);
  const PixelDepth depth = kDepths[depth_index];
  const bool enable = data.ConsumeBool();
  const EntrySettings entries = ConsumeEntries(data);
  plain_reference::ofx::SetEntries(instance, enable, entries);

  Image source(ConsumeLayout(data, depth, kPremultiplication[label]));
  hostsim::ofx::ImageLayout output_layout = source.layout();
  // Now and then the host misbehaves, or has no source image.
  hostsim::ofx::faults::ImageFaults faults;
  bool well_formed = true;
  bool has_source = true;
  switch (data.ConsumeIntegralInRange<int>(0, 17)) {
    case 0:
      output_layout.bounds.y2 = std::max(output_layout.bounds.y1, output_layout.bounds.y2 - 1);
      well_formed = false;
      break;
    case 1:
      faults.Relabel(kOfxImageEffectSimpleSourceClipName, kOfxImageEffectPropComponents,
                     kOfxImageComponentRGB);
      well_formed = false;
      break;
    case 2:
      faults.Relabel(kOfxImageEffectOutputClipName, kOfxImageEffectPropPixelDepth,
                     kOfxBitDepthHalf);
      well_formed = false;
      break;
    case 3:
      faults.FailFetch(kOfxImageEffectSimpleSourceClipName, kOfxStatErrMemory);
      well_formed = false;
      break;
    case 4:
      has_source = false;
      break;
    case 5:
      // The source does not cover the output.
      output_layout.bounds.x1 -= data.ConsumeIntegralInRange<int>(0, 3);
      output_layout.bounds.y2 += data.ConsumeIntegralInRange<int>(0, 3);
      break;
    default:
      break;
  }
  faults.InstallOn(instance);
  const std::optional<int> abort_after =
      data.ConsumeIntegralInRange<int>(0, 7) == 0
          ? std::optional<int>(data.ConsumeIntegralInRange<int>(0, 2))
          : std::nullopt;
  instance.AbortAfter(abort_after);
  Image output(output_layout);
  const Image before = output;
  const std::optional<OfxRectI> window = ConsumeWindow(data, output_layout.bounds);
  FillPixels(data, source);
  const auto outcome = instance.Render({.time = 0,
                                        .source = has_source ? &source : nullptr,
                                        .output = &output,
                                        .render_window = window});

  const auto complaints = session.loaded->host.complaints();
  if (!complaints.empty()) {
    for (const auto& complaint : complaints) {
      std::fprintf(stderr, "host complaint: %s\n", complaint.what.c_str());
    }
    std::abort();
  }
  // The kept hosts' records are let go within the input: what an input
  // allocates it frees, so that the leak check, which runs after any input
  // that does not, stays quiet and the fuzzer fast. Every host's: the
  // plug-in binary is loaded once, and fetches its suites through the host
  // that loaded it last.
  for (std::size_t other = 0; other < kModes; ++other) {
    if (Sessions()[other].loaded == nullptr) continue;
    Sessions()[other].loaded->host.ForgetRecords();
    Sessions()[other].loaded->plugin->ForgetActions();
  }
  instance.set_fetch_hook({});
  // A frame whose render the host aborted is discarded; an identity frame
  // is the host's own copy.
  if (abort_after || outcome.identity) return 0;
  const bool empty = output.width() == 0 || output.height() == 0 ||
                     (has_source && (source.width() == 0 || source.height() == 0));
  if (well_formed && !empty) {
    if (outcome.status != kOfxStatOK) {
      Fail("a well-formed frame failed with status ", std::to_string(outcome.status));
    }
    const std::string difference = plain_reference::ofx::FirstDifference(
        output,
        plain_reference::ofx::ExpectedOutput(has_source ? &source : nullptr, before, enable,
                                             entries, window.value_or(output_layout.bounds)));
    if (!difference.empty()) Fail("the output differs from the plain model at ", difference);
  } else if (well_formed && empty) {
    if (outcome.status == kOfxStatOK) Fail("an empty image was rendered as if it were good");
  } else if (outcome.status == kOfxStatOK) {
    Fail("bad input was rendered as if it were good");
  }
  return 0;
}
