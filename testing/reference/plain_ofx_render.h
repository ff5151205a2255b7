// A plain model of one frame rendered by the OpenFX plug-in, for comparing
// the plug-in against: what the output image must hold for a source image,
// the controls' values and the render window, worked out in the image's own
// coordinates from the description of the effect (the plain effect model),
// independently of the plug-in's code.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "testing/hostsim/ofx/image.h"
#include "testing/reference/plain_colour_rule.h"
#include "testing/reference/plain_effect.h"

namespace plain_reference::ofx {

using hostsim::ofx::Image;
using hostsim::ofx::PixelDepth;

// One colour entry as the user sets it: an RGB value from 0 to 1.
struct EntrySetting {
  bool enabled = false;
  std::array<double, 3> colour{1.0, 1.0, 1.0};
  double range = 0.0;
  double softness = 0.0;
};
using EntrySettings = std::array<EntrySetting, 10>;

inline std::string Name(const char* stem, int k) {
  std::string name = stem;
  name += std::to_string(k + 1);
  return name;
}

template <typename Instance>
void SetEntries(Instance& instance, bool enable, const EntrySettings& entries) {
  instance.SetBoolean("enable", enable);
  for (int k = 0; k < 10; ++k) {
    const EntrySetting& entry = entries[static_cast<std::size_t>(k)];
    instance.SetBoolean(Name("enable", k), entry.enabled);
    instance.SetRGB(Name("color", k), entry.colour[0], entry.colour[1], entry.colour[2]);
    instance.SetDouble(Name("range", k), entry.range);
    instance.SetDouble(Name("softness", k), entry.softness);
  }
}

// The two choices, by their OpenFX names: colours judged sRGB-encoded, a
// feather band that fades.
struct Choices {
  bool srgb = false;
  bool fades = false;
};

template <typename Instance>
void SetChoices(Instance& instance, const Choices& choices) {
  instance.SetInteger("judgeColours", choices.srgb ? 1 : 0);
  instance.SetInteger("featheredAlpha", choices.fades ? 1 : 0);
}

inline plain_reference::Scale ScaleOf(PixelDepth depth) {
  switch (depth) {
    case PixelDepth::kShort:
      return plain_reference::Scale::kShort;
    case PixelDepth::kFloat:
      return plain_reference::Scale::kFloat;
    default:
      return plain_reference::Scale::kByte;
  }
}

// A channel of the image as a double, and back.
inline double Sample(const Image& image, int x, int y, int channel) {
  switch (image.layout().depth) {
    case PixelDepth::kShort:
      return image.Get<std::uint16_t>(x, y, channel);
    case PixelDepth::kFloat:
      return image.Get<float>(x, y, channel);
    default:
      return image.Get<std::uint8_t>(x, y, channel);
  }
}

inline void SetSample(Image& image, int x, int y, int channel, double value) {
  switch (image.layout().depth) {
    case PixelDepth::kShort:
      image.Set<std::uint16_t>(x, y, channel, static_cast<std::uint16_t>(value));
      break;
    case PixelDepth::kFloat:
      image.Set<float>(x, y, channel, static_cast<float>(value));
      break;
    default:
      image.Set<std::uint8_t>(x, y, channel, static_cast<std::uint8_t>(value));
      break;
  }
}

// An entry's colour channel as the user's RGB value comes to the 8-bit
// scale: rounded half up, held within the scale, NaN as 0.
inline std::uint32_t ColourByte(double channel) {
  const double scaled = channel * 255.0 + 0.5;
  if (!(scaled >= 0.0)) return 0;
  return scaled > 255.0 ? 255u : static_cast<std::uint32_t>(std::floor(scaled));
}

inline bool Holds(const OfxRectI& area, int x, int y) {
  return x >= area.x1 && x < area.x2 && y >= area.y1 && y < area.y2;
}

// What the output must hold after a frame rendered with `entries`, given the
// output as it was (`before`) and the source image (null: the source clip
// had no image). Only the render window, within the output's bounds, is
// written. In it: transparent black where there is no source; elsewhere the
// source itself when switched off, else every pixel judged by the plain
// rule, straight or premultiplied as the source is labelled, with the four
// corner markers of the claims of the whole source image, rows counted from
// its top (y2 - 1) and columns from x1.
// An entry's colour is in the image's space: judged sRGB-encoded, each of its
// channels is encoded as a float sample is.
inline Image ExpectedOutput(const Image* source, const Image& before, bool enable,
                            const EntrySettings& entries, const OfxRectI& render_window,
                            const Choices& choices = {}) {
  Image expected = before;
  const OfxRectI out = before.layout().bounds;
  for (int y = out.y1; y < out.y2; ++y) {
    for (int x = out.x1; x < out.x2; ++x) {
      const bool covered = source != nullptr && Holds(source->layout().bounds, x, y);
      if (!Holds(render_window, x, y) || covered) continue;
      for (int channel = 0; channel < 4; ++channel) SetSample(expected, x, y, channel, 0.0);
    }
  }
  if (source == nullptr) return expected;

  const auto colour_byte = [&choices](double channel) {
    return choices.srgb ? static_cast<std::uint32_t>(
                              plain_reference::SrgbToByte(channel, plain_reference::Scale::kFloat))
                        : ColourByte(channel);
  };
  std::array<plain_reference::Entry, 10> plain{};
  for (std::size_t k = 0; k < plain.size(); ++k) {
    plain[k] = {entries[k].enabled,
                colour_byte(entries[k].colour[0]),
                colour_byte(entries[k].colour[1]),
                colour_byte(entries[k].colour[2]),
                plain_reference::NearestFloat(entries[k].range),
                plain_reference::NearestFloat(entries[k].softness)};
  }
  const OfxRectI bounds = source->layout().bounds;
  const auto y_of = [&](int row) { return bounds.y2 - 1 - row; };
  plain_reference::Picture picture(source->width(), source->height());
  plain_reference::Picture result = picture;
  for (int row = 0; row < picture.height; ++row) {
    for (int column = 0; column < picture.width; ++column) {
      const int x = bounds.x1 + column;
      const int y = y_of(row);
      picture.At(column, row) = {Sample(*source, x, y, 3), Sample(*source, x, y, 0),
                                 Sample(*source, x, y, 1), Sample(*source, x, y, 2)};
    }
  }
  const plain_reference::Window window{render_window.x1 - bounds.x1, bounds.y2 - render_window.y2,
                                       render_window.x2 - bounds.x1, bounds.y2 - render_window.y1};
  const plain_reference::EffectModel model{
      enable,
      plain.data(),
      10,
      ScaleOf(source->layout().depth),
      source->layout().premultiplication == kOfxImagePreMultiplied,
      choices.srgb ? plain_reference::Judged::kSrgb : plain_reference::Judged::kAsStored,
      choices.fades};
  plain_reference::ApplyEffect(picture, result, model, window);
  for (int row = 0; row < picture.height; ++row) {
    for (int column = 0; column < picture.width; ++column) {
      const int x = bounds.x1 + column;
      const int y = y_of(row);
      if (!Holds(render_window, x, y) || !Holds(out, x, y)) continue;
      const plain_reference::Pixel& pixel = result.At(column, row);
      // What the model passes through is the source's bytes.
      const std::uint8_t passed = result.passed[result.Index(column, row)];
      const double channels[4] = {pixel.red, pixel.green, pixel.blue, pixel.alpha};
      const std::size_t sample_bytes = source->pixel_bytes() / 4;
      for (int channel = 0; channel < 4; ++channel) {
        const auto from_source =
            channel == 3 ? plain_reference::kAlphaPassed : plain_reference::kColourPassed;
        if ((passed & from_source) != 0) {
          const auto offset = static_cast<std::size_t>(channel) * sample_bytes;
          std::memcpy(expected.PixelAddress(x, y) + offset, source->PixelAddress(x, y) + offset,
                      sample_bytes);
        } else {
          SetSample(expected, x, y, channel, channels[channel]);
        }
      }
    }
  }
  return expected;
}

// The whole frame rendered from `source` into an output of its layout.
inline Image ExpectedOutput(const Image& source, bool enable, const EntrySettings& entries,
                            const Choices& choices = {}) {
  const Image before(source.layout());
  return ExpectedOutput(&source, before, enable, entries, source.layout().bounds, choices);
}

// The first pixel where two images of one layout differ, or empty.
inline std::string FirstDifference(const Image& actual, const Image& expected) {
  const OfxRectI bounds = expected.layout().bounds;
  for (int y = bounds.y1; y < bounds.y2; ++y) {
    for (int x = bounds.x1; x < bounds.x2; ++x) {
      if (std::memcmp(actual.PixelAddress(x, y), expected.PixelAddress(x, y),
                      expected.pixel_bytes()) == 0) {
        continue;
      }
      // Appended piece by piece: GCC 12 at -O3 takes a chain of + for an
      // overlapping copy.
      std::string text = "pixel (";
      text += std::to_string(x);
      text += ", ";
      text += std::to_string(y);
      text += "): got";
      for (int channel = 0; channel < 4; ++channel) {
        text += ' ';
        text += std::to_string(Sample(actual, x, y, channel));
      }
      text += ", expected";
      for (int channel = 0; channel < 4; ++channel) {
        text += ' ';
        text += std::to_string(Sample(expected, x, y, channel));
      }
      return text;
    }
  }
  return "";
}

}  // namespace plain_reference::ofx
