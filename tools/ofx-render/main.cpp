// huesieve-ofx-render: renders a PNG image through the OpenFX plug-in, loaded
// from its bundle by the simulated OpenFX host as an OpenFX host loads it,
// with huesieve-render's --enable and --entry options. The demo renders the
// sample through it and through huesieve-render, and the two files must be
// the same: one effect, the same pixels in every host.
// Usage: huesieve-ofx-render BUNDLE [--enable] [--entry K:RRGGBB:RANGE:SOFTNESS[:off]]...
//                            INPUT.png OUTPUT.png
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "hostsim/ofx/image.h"
#include "hostsim/ofx/instance.h"
#include "hostsim/ofx/loaded_plugin.h"
#include "effect/entry_argument.h"
#include "ofx/plugin_identity.h"
#include "png/png_io.h"

namespace {

using hostsim::ofx::Image;
using hostsim::ofx::PixelDepth;

struct Request {
  std::string bundle;
  bool enable = false;
  std::vector<huesieve::EntryArgument> entries;
  std::string input;
  std::string output;
};

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
    } else {
      files.emplace_back(argument);
    }
  }
  if (files.size() != 3) {
    throw std::runtime_error(
        "usage: huesieve-ofx-render BUNDLE [--enable] [--entry K:RRGGBB:RANGE:SOFTNESS[:off]]... "
        "INPUT.png OUTPUT.png");
  }
  request.bundle = files[0];
  request.input = files[1];
  request.output = files[2];
  return request;
}

void Render(const Request& request) {
  const huesieve::png::Image picture = huesieve::png::ReadPng(request.input);
  const bool deep = picture.bit_depth == 16;
  const auto width = static_cast<int>(picture.width);
  const auto height = static_cast<int>(picture.height);

  hostsim::ofx::LoadedPlugin loaded(request.bundle, huesieve::ofx::kPluginIdentifier);
  if (loaded.plugin == nullptr) {
    throw std::runtime_error("cannot load the plug-in: " + loaded.bundle.error());
  }
  const PixelDepth depth = deep ? PixelDepth::kShort : PixelDepth::kByte;
  auto instance = loaded.plugin->CreateInstance({.depth = depth});
  instance->SetBoolean("enable", request.enable);
  for (const huesieve::EntryArgument& entry : request.entries) {
    const std::string k = std::to_string(entry.number);
    const huesieve::EntrySettings& settings = entry.settings;
    instance->SetBoolean("enable" + k, settings.enabled);
    instance->SetRGB("color" + k, settings.colour.red / 255.0, settings.colour.green / 255.0,
                     settings.colour.blue / 255.0);
    instance->SetDouble("range" + k, settings.range);
    instance->SetDouble("softness" + k, settings.softness);
  }
  // OpenFX rows run bottom-up: the picture's first row is the top one.
  const hostsim::ofx::ImageLayout layout{.bounds = {0, 0, width, height},
                                         .depth = depth,
                                         .premultiplication = kOfxImageUnPreMultiplied};
  Image source(layout);
  Image output(layout);
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      for (int channel = 0; channel < 4; ++channel) {
        const std::uint16_t sample = picture.rgba[picture.Index(static_cast<std::uint32_t>(column),
                                                                static_cast<std::uint32_t>(row)) +
                                                  static_cast<std::size_t>(channel)];
        if (deep) {
          source.Set<std::uint16_t>(column, height - 1 - row, channel, sample);
        } else {
          source.Set<std::uint8_t>(column, height - 1 - row, channel,
                                   static_cast<std::uint8_t>(sample));
        }
      }
    }
  }
  const OfxStatus status = instance->Render({.source = &source, .output = &output}).status;
  if (status != kOfxStatOK) {
    throw std::runtime_error("the render failed with status " + std::to_string(status));
  }
  if (!loaded.host.complaints().empty()) {
    throw std::runtime_error("the host complained: " + loaded.host.complaints()[0].what);
  }

  huesieve::png::Image rendered{picture.width, picture.height, picture.bit_depth,
                                std::vector<std::uint16_t>(picture.rgba.size())};
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      for (int channel = 0; channel < 4; ++channel) {
        rendered.rgba[rendered.Index(static_cast<std::uint32_t>(column),
                                     static_cast<std::uint32_t>(row)) +
                      static_cast<std::size_t>(channel)] =
            deep ? output.Get<std::uint16_t>(column, height - 1 - row, channel)
                 : output.Get<std::uint8_t>(column, height - 1 - row, channel);
      }
    }
  }
  huesieve::png::WritePng(request.output, rendered);
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
