// A plain model of one frame rendered by the OpenFX plug-in, for comparing
// the plug-in against: what the output image must hold for a source image
// and the controls' values, worked out in the image's own coordinates from
// the description of the effect, independently of the plug-in's code.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "hostsim/ofx/image.h"
#include "testing/reference/plain_colour_rule.h"

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

// A premultiplied pixel of partial alpha is judged on its straight colour and
// written back premultiplied: the straight colour rounded to the nearest
// integer sample (held within the scale), or divided in single precision for
// floats; a ramped pixel's straight colour multiplied by its new alpha, the
// same way, unless the ramp gives it its own alpha again.
inline bool PartialAlpha(double alpha, double full) { return alpha > 0.0 && alpha < full; }

inline double StraightSample(double sample, double alpha, double full, bool floats) {
  if (floats) return static_cast<float>(sample) / static_cast<float>(alpha);
  return std::min(full, std::floor(sample * full / alpha + 0.5));
}

inline double PremultipliedSample(double straight, double alpha, double full, bool floats) {
  if (floats) return static_cast<float>(straight) * static_cast<float>(alpha);
  return std::floor(straight * alpha / full + 0.5);
}

// What the output must hold after a frame rendered with `entries` from
// `source`: the source itself when switched off; else every pixel judged by
// the plain rule, the rows counted from the top of the picture (y2 - 1), and
// the four corner markers within the bounds.
inline Image ExpectedOutput(const Image& source, bool enable, const EntrySettings& entries) {
  Image expected(source.layout());
  const OfxRectI bounds = source.layout().bounds;
  const int width = source.width();
  const int height = source.height();
  for (int y = bounds.y1; y < bounds.y2; ++y) {
    std::memcpy(expected.PixelAddress(bounds.x1, y), source.PixelAddress(bounds.x1, y),
                static_cast<std::size_t>(width) * source.pixel_bytes());
  }
  if (!enable) return expected;

  std::array<plain_reference::Entry, 10> plain{};
  for (std::size_t k = 0; k < plain.size(); ++k) {
    plain[k] = {entries[k].enabled,
                ColourByte(entries[k].colour[0]),
                ColourByte(entries[k].colour[1]),
                ColourByte(entries[k].colour[2]),
                plain_reference::NearestFloat(entries[k].range),
                plain_reference::NearestFloat(entries[k].softness)};
  }
  const plain_reference::Scale scale = ScaleOf(source.layout().depth);
  const double full = plain_reference::Maximum(scale);
  const bool floats = source.layout().depth == PixelDepth::kFloat;
  const bool premultiplied = source.layout().premultiplication == kOfxImagePreMultiplied;
  bool any = false;
  int left = 0, top = 0, right = 0, bottom = 0;
  for (int row = 0; row < height; ++row) {
    const int y = bounds.y2 - 1 - row;
    for (int column = 0; column < width; ++column) {
      const int x = bounds.x1 + column;
      plain_reference::Pixel pixel{Sample(source, x, y, 3), Sample(source, x, y, 0),
                                   Sample(source, x, y, 1), Sample(source, x, y, 2)};
      const double alpha = pixel.alpha;
      const bool straighten = premultiplied && PartialAlpha(alpha, full);
      if (straighten) {
        pixel.red = StraightSample(pixel.red, pixel.alpha, full, floats);
        pixel.green = StraightSample(pixel.green, pixel.alpha, full, floats);
        pixel.blue = StraightSample(pixel.blue, pixel.alpha, full, floats);
      }
      const plain_reference::Outcome outcome =
          plain_reference::JudgeAt(pixel, plain.data(), 10, scale);
      if (outcome.cleared) {
        for (int channel = 0; channel < 4; ++channel) SetSample(expected, x, y, channel, 0.0);
      } else if (outcome.ramped && straighten && outcome.alpha != alpha) {
        SetSample(expected, x, y, 0, PremultipliedSample(pixel.red, outcome.alpha, full, floats));
        SetSample(expected, x, y, 1, PremultipliedSample(pixel.green, outcome.alpha, full, floats));
        SetSample(expected, x, y, 2, PremultipliedSample(pixel.blue, outcome.alpha, full, floats));
        SetSample(expected, x, y, 3, outcome.alpha);
      } else if (outcome.ramped && !straighten) {
        SetSample(expected, x, y, 3, outcome.alpha);
      }
      if (!outcome.matched) continue;
      if (!any) {
        left = right = column;
        top = row;
        any = true;
      }
      left = std::min(left, column);
      right = std::max(right, column);
      bottom = row;
    }
  }
  const int corners[4][2] = {{left, top}, {left, bottom + 1}, {right + 1, top},
                             {right + 1, bottom + 1}};
  for (const auto& [column, row] : corners) {
    if (column >= width || row >= height) continue;
    const int x = bounds.x1 + column;
    const int y = bounds.y2 - 1 - row;
    SetSample(expected, x, y, 0, full);
    SetSample(expected, x, y, 1, 0.0);
    SetSample(expected, x, y, 2, 0.0);
    SetSample(expected, x, y, 3, full);
  }
  return expected;
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
