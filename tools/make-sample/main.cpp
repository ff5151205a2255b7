// make-sample: draws Huesieve's demonstration frame, and composites an RGBA
// result over a grey checkerboard so that its transparent areas can be seen.
//
//   make-sample [--depth 8|16] OUTPUT.png
//   make-sample --checkerboard INPUT.png OUTPUT.png
//
// The frame is computed with additions, multiplications, divisions and square
// roots only, all exactly rounded, so it comes out identical on every machine.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "files/temporary_files.h"
#include "image/frame_buffer.h"
#include "image/image_files.h"

namespace {

constexpr std::uint32_t kWidth = 640;
constexpr std::uint32_t kHeight = 360;

struct Colour {
  double red;
  double green;
  double blue;
};

Colour Mix(const Colour& under, const Colour& over, double coverage) {
  return {under.red + (over.red - under.red) * coverage,
          under.green + (over.green - under.green) * coverage,
          under.blue + (over.blue - under.blue) * coverage};
}

// Coverage from a signed distance (negative inside): a soft edge `feather`
// pixels wide, smoothed at both ends.
double Coverage(double distance, double feather) {
  const double t = std::clamp(0.5 - distance / feather, 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

double DiscDistance(double x, double y, double cx, double cy, double radius) {
  return std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) - radius;
}

double BoxDistance(double x, double y, double left, double top, double right, double bottom,
                   double corner) {
  const double dx = std::max({left + corner - x, x - (right - corner), 0.0});
  const double dy = std::max({top + corner - y, y - (bottom - corner), 0.0});
  const double inside =
      std::min(0.0, std::max(std::max(left - x, x - right), std::max(top - y, y - bottom)));
  return std::sqrt(dx * dx + dy * dy) - corner + inside;
}

// A fully saturated hue, 0 to 6 round the colour wheel, piecewise linear.
Colour Hue(double h) {
  const double f = h - std::floor(h);
  const int sector = static_cast<int>(std::floor(h)) % 6;
  switch (sector) {
    case 0:
      return {1.0, f, 0.0};
    case 1:
      return {1.0 - f, 1.0, 0.0};
    case 2:
      return {0.0, 1.0, f};
    case 3:
      return {0.0, 1.0 - f, 1.0};
    case 4:
      return {f, 0.0, 1.0};
    default:
      return {1.0, 0.0, 1.0 - f};
  }
}

// A small integer hash for film grain, so the background is not flat.
double Grain(std::uint32_t x, std::uint32_t y) {
  std::uint32_t h = x * 374761393u + y * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<double>(h & 0xFFu) / 255.0 - 0.5;
}

Colour Background(double x, double y) {
  // Dusk blue at the top to a warm grey at the bottom, with faint diagonal
  // bands and a darker rim.
  const double v = y / kHeight;
  Colour colour = Mix({0.20, 0.24, 0.34}, {0.46, 0.42, 0.38}, v);
  const double band = std::fmod(x + y * 0.6, 80.0) < 40.0 ? 0.025 : -0.025;
  const double dx = (x - kWidth / 2.0) / kWidth;
  const double dy = (y - kHeight / 2.0) / kHeight;
  const double rim = 1.0 - 0.7 * (dx * dx + dy * dy);
  colour = {(colour.red + band) * rim, (colour.green + band) * rim, (colour.blue + band) * rim};
  return colour;
}

Colour SamplePixel(std::uint32_t px, std::uint32_t py) {
  const double x = px + 0.5;
  const double y = py + 0.5;
  Colour c = Background(x, y);
  const double grain = Grain(px, py) * 0.03;
  c = {c.red + grain, c.green + grain, c.blue + grain};

  // Saturated shapes, some overlapping, most with soft edges.
  c = Mix(c, {0.86, 0.16, 0.14}, Coverage(DiscDistance(x, y, 120, 120, 78), 10));  // red
  c = Mix(c, {0.16, 0.70, 0.24}, Coverage(DiscDistance(x, y, 250, 175, 62), 3));   // green
  c = Mix(c, {0.15, 0.30, 0.86}, Coverage(DiscDistance(x, y, 520, 105, 64), 24));  // blue
  c = Mix(c, {0.95, 0.82, 0.15},                                                   // yellow
          Coverage(BoxDistance(x, y, 360, 40, 440, 200, 14), 2));
  c = Mix(c, {0.90, 0.45, 0.10}, Coverage(DiscDistance(x, y, 430, 215, 40), 2));  // orange
  c = Mix(c, {0.80, 0.20, 0.70}, Coverage(DiscDistance(x, y, 590, 215, 26), 8));  // magenta
  c = Mix(c, {0.65, 0.12, 0.12}, Coverage(DiscDistance(x, y, 215, 70, 22), 2));   // dark red
  c = Mix(c, {0.55, 0.85, 0.30}, Coverage(DiscDistance(x, y, 330, 255, 24), 2));  // lime

  // A hue wheel unrolled, and below it red fading to grey.
  if (y >= 280 && y < 315 && x >= 20 && x < 620) {
    c = Mix(c, Hue((x - 20) / 600 * 6), Coverage(BoxDistance(x, y, 20, 280, 620, 315, 4), 1.5));
  }
  if (y >= 322 && y < 346 && x >= 20 && x < 620) {
    const double t = (x - 20) / 600;
    c = Mix(c, Mix({0.86, 0.16, 0.14}, {0.50, 0.50, 0.50}, t),
            Coverage(BoxDistance(x, y, 20, 322, 620, 346, 4), 1.5));
  }
  return c;
}

std::uint16_t Quantise(double value, double maximum) {
  return static_cast<std::uint16_t>(std::lround(std::clamp(value, 0.0, 1.0) * maximum));
}

using huesieve::image::FrameBuffer;
using huesieve::image::SampleType;

// Sample `index` of a row of 8 or 16-bit samples.
std::uint16_t SampleOf(const std::byte* row, std::size_t index, SampleType type) {
  if (type == SampleType::kUint8) return std::to_integer<std::uint16_t>(row[index]);
  std::uint16_t value;
  std::memcpy(&value, row + 2 * index, sizeof value);
  return value;
}

void SetSample(std::byte* row, std::size_t index, SampleType type, std::uint16_t value) {
  if (type == SampleType::kUint8) {
    row[index] = static_cast<std::byte>(value);
  } else {
    std::memcpy(row + 2 * index, &value, sizeof value);
  }
}

void MakeSample(int depth, FrameBuffer& frame) {
  const SampleType type = depth == 16 ? SampleType::kUint16 : SampleType::kUint8;
  frame.Reset(type, kWidth, kHeight);
  const double maximum = depth == 16 ? 65535.0 : 255.0;
  for (std::uint32_t y = 0; y < kHeight; ++y) {
    std::byte* row = frame.Row(y);
    for (std::uint32_t x = 0; x < kWidth; ++x) {
      const Colour c = SamplePixel(x, y);
      const std::size_t at = std::size_t{x} * 4;
      SetSample(row, at, type, Quantise(c.red, maximum));
      SetSample(row, at + 1, type, Quantise(c.green, maximum));
      SetSample(row, at + 2, type, Quantise(c.blue, maximum));
      SetSample(row, at + 3, type, static_cast<std::uint16_t>(maximum));
    }
  }
}

// Straight alpha over 8-pixel squares of two greys; an opaque
// 8-bit result.
void OverCheckerboard(FrameBuffer& image, FrameBuffer& out) {
  if (image.type() == SampleType::kFloat || image.premultiplied()) {
    throw std::runtime_error("the input must be an 8 or 16-bit image of straight alpha");
  }
  out.Reset(SampleType::kUint8, image.width(), image.height());
  const double maximum = image.type() == SampleType::kUint16 ? 65535.0 : 255.0;
  for (std::uint32_t y = 0; y < image.height(); ++y) {
    const std::byte* in = image.Row(y);
    std::byte* row = out.Row(y);
    for (std::uint32_t x = 0; x < image.width(); ++x) {
      const std::size_t at = std::size_t{x} * 4;
      const double grey = ((x / 8 + y / 8) % 2 == 0) ? 0.60 : 0.40;
      const double alpha = SampleOf(in, at + 3, image.type()) / maximum;
      for (std::size_t channel = 0; channel < 3; ++channel) {
        const double value = SampleOf(in, at + channel, image.type()) / maximum;
        SetSample(row, at + channel, SampleType::kUint8,
                  Quantise(value * alpha + grey * (1.0 - alpha), 255.0));
      }
      SetSample(row, at + 3, SampleType::kUint8, 255);
    }
  }
}

// Writes `frame` as an RGBA PNG of its depth.
void WritePng(const std::string& path, FrameBuffer& frame) {
  huesieve::image::ImageHeader header;
  header.format = huesieve::image::FileFormat::kPng;
  header.stored_type = frame.type() == SampleType::kUint16 ? huesieve::image::OutputType::kUint16
                                                           : huesieve::image::OutputType::kUint8;
  huesieve::files::TemporaryFiles temporaries(1);
  huesieve::image::WriteImageFile(path, header, std::nullopt, frame, temporaries);
}

int Usage() {
  std::fputs(
      "usage: make-sample [--depth 8|16] OUTPUT.png\n"
      "       make-sample --checkerboard INPUT.png OUTPUT.png\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  try {
    if (argc == 4 && std::string_view(argv[1]) == "--checkerboard") {
      FrameBuffer image;
      huesieve::image::ReadImageFile(argv[2], huesieve::image::kDefaultMaxPixels, image);
      FrameBuffer out;
      OverCheckerboard(image, out);
      WritePng(argv[3], out);
      return 0;
    }
    int depth = 8;
    if (argc == 4 && std::string_view(argv[1]) == "--depth") {
      const std::string_view value = argv[2];
      if (value != "8" && value != "16") return Usage();
      depth = value == "16" ? 16 : 8;
    } else if (argc != 2) {
      return Usage();
    }
    FrameBuffer frame;
    MakeSample(depth, frame);
    WritePng(argv[argc - 1], frame);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make-sample: %s\n", error.what());
    return 1;
  }
}
