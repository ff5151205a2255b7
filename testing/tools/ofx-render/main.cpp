// huesieve-ofx-render: renders an image through the OpenFX plug-in, loaded
// from its bundle by the simulated OpenFX host as an OpenFX host loads it,
// with huesieve-render's --enable, --entry, --judge and --feathered-alpha
// options. The demo renders the
// sample through it and through huesieve-render, and the two files must be
// the same: one effect, the same pixels in every host.
// The image is read and written as huesieve-render reads and writes it.
// Usage: huesieve-ofx-render BUNDLE [--enable] [--entry K:RRGGBB:RANGE:SOFTNESS[:off]]...
//                            [--judge stored|srgb] [--feathered-alpha replaces|fades]
//                            INPUT OUTPUT
// Judged sRGB-encoded, an entry's display colour is given to the plug-in as
// the linear colour a host working in linear light would hold for it, which
// the plug-in encodes back.
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "testing/hostsim/ofx/image.h"
#include "testing/hostsim/ofx/instance.h"
#include "testing/hostsim/ofx/loaded_plugin.h"
#include "effect/controls.h"
#include "effect/entry_argument.h"
#include "effect/setting_checks.h"
#include "image/image_files.h"
#include "ofx/plugin_identity.h"

namespace {

using hostsim::ofx::Image;
using hostsim::ofx::PixelDepth;

struct Request {
  std::string bundle;
  bool enable = false;
  std::vector<huesieve::EntryArgument> entries;
  std::array<int, huesieve::kChoiceControlCount> choices{huesieve::ControlSettings{}.choices};
  std::string input;
  std::string output;
};

// The position in the table of the choice whose option is `argument`, or -1.
int ChoiceNamed(std::string_view argument) {
  for (std::size_t c = 0; c < huesieve::kChoiceControls.size(); ++c) {
    if (argument == huesieve::kChoiceControls[c]->option_name) return static_cast<int>(c);
  }
  return -1;
}

// An sRGB-encoded channel, 0 to 255, decoded to linear light.
double Decoded(std::uint8_t channel) {
  const double encoded = channel / 255.0;
  return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

Request Parse(int argc, char** argv) {
  Request request;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--enable") {
      request.enable = true;
    } else if (argument == "--entry" && i + 1 < argc) {
      huesieve::EntryArgument entry = huesieve::ParseEntryArgument(argv[++i]);
      if (!entry.error.empty()) throw std::runtime_error(entry.error);
      request.entries.push_back(std::move(entry));
    } else if (const int c = ChoiceNamed(argument); c >= 0 && i + 1 < argc) {
      const huesieve::ChoiceControl& control = *huesieve::kChoiceControls[std::size_t(c)];
      const int value = huesieve::ChoiceValueOf(control, argv[++i]);
      if (value < 0) {
        throw std::runtime_error(std::string(control.option_name) + ": " +
                                 huesieve::ChoiceNamesText(control));
      }
      request.choices[std::size_t(c)] = value;
    } else {
      files.emplace_back(argument);
    }
  }
  if (files.size() != 3) {
    throw std::runtime_error(
        "usage: huesieve-ofx-render BUNDLE [--enable] [--entry K:RRGGBB:RANGE:SOFTNESS[:off]]... "
        "INPUT OUTPUT");
  }
  request.bundle = files[0];
  request.input = files[1];
  request.output = files[2];
  return request;
}

PixelDepth DepthOf(huesieve::image::SampleType type) {
  switch (type) {
    case huesieve::image::SampleType::kUint8:
      return PixelDepth::kByte;
    case huesieve::image::SampleType::kUint16:
      return PixelDepth::kShort;
    case huesieve::image::SampleType::kFloat:
      break;
  }
  return PixelDepth::kFloat;
}

void Render(const Request& request) {
  huesieve::image::FrameBuffer frame;
  const huesieve::image::ImageHeader header =
      huesieve::image::ReadImageFile(request.input, huesieve::image::kDefaultMaxPixels, frame);
  const auto width = static_cast<int>(frame.width());
  const auto height = static_cast<int>(frame.height());

  hostsim::ofx::LoadedPlugin loaded(request.bundle, huesieve::ofx::kPluginIdentifier);
  if (loaded.plugin == nullptr) {
    throw std::runtime_error("cannot load the plug-in: " + loaded.bundle.error());
  }
  const PixelDepth depth = DepthOf(frame.type());
  auto instance = loaded.plugin->CreateInstance({.depth = depth});
  instance->SetBoolean("enable", request.enable);
  for (std::size_t c = 0; c < huesieve::kChoiceControls.size(); ++c) {
    instance->SetInteger(huesieve::kChoiceControls[c]->openfx_name, request.choices[c]);
  }
  huesieve::ControlSettings controls;
  controls.choices = request.choices;
  const bool linear = huesieve::ModesOf(controls).judge == huesieve::JudgeColours::kSrgbEncoded;
  const auto channel = [linear](std::uint8_t byte) { return linear ? Decoded(byte) : byte / 255.0; };
  for (const huesieve::EntryArgument& entry : request.entries) {
    const std::string k = std::to_string(entry.number);
    const huesieve::EntrySettings& settings = entry.settings;
    instance->SetBoolean("enable" + k, settings.enabled);
    instance->SetRGB("color" + k, channel(settings.colour.red), channel(settings.colour.green),
                     channel(settings.colour.blue));
    instance->SetDouble("range" + k, settings.range);
    instance->SetDouble("softness" + k, settings.softness);
  }
  const hostsim::ofx::ImageLayout layout{
      .bounds = {0, 0, width, height},
      .depth = depth,
      .premultiplication =
          frame.premultiplied() ? kOfxImagePreMultiplied : kOfxImageUnPreMultiplied};
  Image source(layout);
  Image output(layout);
  // OpenFX rows run bottom-up: the picture's first row is the top one. The
  // frame's pixels are the plug-in's, RGBA at the same type.
  const std::size_t row_bytes = frame.row_bytes();
  for (int row = 0; row < height; ++row) {
    std::memcpy(source.PixelAddress(0, height - 1 - row),
                frame.Row(static_cast<std::uint32_t>(row)), row_bytes);
  }
  const OfxStatus status = instance->Render({.source = &source, .output = &output}).status;
  if (status != kOfxStatOK) {
    throw std::runtime_error("the render failed with status " + std::to_string(status));
  }
  if (!loaded.host.complaints().empty()) {
    throw std::runtime_error("the host complained: " + loaded.host.complaints()[0].what);
  }
  for (int row = 0; row < height; ++row) {
    std::memcpy(frame.Row(static_cast<std::uint32_t>(row)),
                output.PixelAddress(0, height - 1 - row), row_bytes);
  }
  huesieve::files::TemporaryFiles temporaries(1);
  huesieve::image::WriteImageFile(request.output, header, std::nullopt, frame, temporaries);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    Render(Parse(argc, argv));
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "huesieve-ofx-render: %s\n", error.what());
    return 1;
  }
}
