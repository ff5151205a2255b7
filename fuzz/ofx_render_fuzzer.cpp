// Drives the OpenFX plug-in's render through the simulated OpenFX host with
// image descriptions and parameter values a host could send, hostile ones
// included: any depth, bounds, origin, row padding and order, premultiplied
// or not, images missing, mislabelled or of different bounds, any slider
// values. Every frame must leave the host without a complaint (no stray
// write, no image kept), and every frame the plug-in renders must hold
// exactly what the plain model of an OpenFX frame says.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "fuzz/fuzz_values.h"
#include "hostsim/ofx/faults.h"
#include "hostsim/ofx/host.h"
#include "hostsim/ofx/instance.h"
#include "hostsim/ofx/loaded_plugin.h"
#include "ofx/plugin_identity.h"
#include "testing/reference/plain_ofx_render.h"

namespace {

using hostsim::ofx::Image;
using hostsim::ofx::PixelDepth;
using plain_reference::ofx::EntrySettings;

using hostsim::ofx::LoadedPlugin;

LoadedPlugin& Plugin() {
  static LoadedPlugin* loaded = [] {
    auto* made = new LoadedPlugin(HUESIEVE_OFX_BUNDLE, huesieve::ofx::kPluginIdentifier);
    if (made->plugin == nullptr) {
      std::fprintf(stderr, "cannot load the plug-in: %s\n", made->bundle.error().c_str());
      std::abort();
    }
    return made;
  }();
  return *loaded;
}

hostsim::ofx::ImageLayout ConsumeLayout(FuzzedDataProvider& data, PixelDepth depth) {
  constexpr const char* kPremultiplication[] = {kOfxImagePreMultiplied, kOfxImageUnPreMultiplied,
                                                kOfxImageOpaque};
  const int x1 = data.ConsumeIntegralInRange<int>(-40, 40);
  const int y1 = data.ConsumeIntegralInRange<int>(-40, 40);
  const int sample = static_cast<int>(hostsim::ofx::SampleBytes(depth));
  return {.bounds = {x1, y1, x1 + data.ConsumeIntegralInRange<int>(0, 48),
                     y1 + data.ConsumeIntegralInRange<int>(0, 24)},
          .depth = depth,
          .row_padding = sample * data.ConsumeIntegralInRange<int>(0, 5),
          .negative_row_bytes = data.ConsumeBool(),
          .premultiplication = kPremultiplication[data.ConsumeIntegralInRange<int>(0, 2)]};
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  LoadedPlugin& loaded = Plugin();
  constexpr PixelDepth kDepths[] = {PixelDepth::kByte, PixelDepth::kShort, PixelDepth::kFloat};
  const PixelDepth depth = kDepths[data.ConsumeIntegralInRange<int>(0, 2)];
  auto instance = loaded.plugin->CreateInstance({.depth = depth});
  const bool enable = data.ConsumeBool();
  const EntrySettings entries = ConsumeEntries(data);
  plain_reference::ofx::SetEntries(*instance, enable, entries);

  Image source(ConsumeLayout(data, depth));
  hostsim::ofx::ImageLayout output_layout = source.layout();
  // Now and then the host misbehaves.
  hostsim::ofx::faults::ImageFaults faults;
  bool well_formed = true;
  switch (data.ConsumeIntegralInRange<int>(0, 15)) {
    case 0:
      output_layout.bounds.y2 += 1;
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
      faults.FailFetch(kOfxImageEffectSimpleSourceClipName);
      well_formed = false;
      break;
    default:
      break;
  }
  faults.InstallOn(*instance);
  Image output(output_layout);
  FillPixels(data, source);
  const OfxStatus status =
      instance->Render({.time = 0, .source = &source, .output = &output}).status;

  if (!loaded.host.complaints().empty()) {
    for (const auto& complaint : loaded.host.complaints()) {
      std::fprintf(stderr, "host complaint: %s\n", complaint.what.c_str());
    }
    std::abort();
  }
  const bool empty = source.width() == 0 || source.height() == 0;
  if (well_formed && !empty) {
    if (status != kOfxStatOK) {
      std::fprintf(stderr, "a well-formed frame failed with status %d\n", status);
      std::abort();
    }
    const std::string difference = plain_reference::ofx::FirstDifference(
        output, plain_reference::ofx::ExpectedOutput(source, enable, entries));
    if (!difference.empty()) {
      std::fprintf(stderr, "the output differs from the plain model at %s\n", difference.c_str());
      std::abort();
    }
  } else if (status == kOfxStatOK) {
    std::fprintf(stderr, "bad input was rendered as if it were good\n");
    std::abort();
  }
  return 0;
}
