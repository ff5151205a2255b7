// The tool against a plain second implementation of the effect, written
// straight from the rule (distance, first claiming entry, feather ramp,
// bounds, corner markers, the 16-bit scale), on random frames and settings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "tests/cli/png_fixtures.h"
#include "png/png_io.h"
#include "tests/cli/tool_runner.h"

namespace {

struct ReferenceEntry {
  bool enabled = false;
  int red = 255, green = 255, blue = 255;
  float range = 0.0f;
  float softness = 0.0f;
};

// One pixel in host units (alpha, red, green, blue), judged in place.
bool ReferenceMatch(int (&argb)[4], const std::vector<ReferenceEntry>& entries, bool deep) {
  int red = argb[1], green = argb[2], blue = argb[3];
  if (deep) {
    red = std::min(255, (red * 255 + 16384) / 32768);
    green = std::min(255, (green * 255 + 16384) / 32768);
    blue = std::min(255, (blue * 255 + 16384) / 32768);
  }
  for (const ReferenceEntry& entry : entries) {
    const int mean = (red + entry.red) / 2;
    const int dr = red - entry.red, dg = green - entry.green, db = blue - entry.blue;
    const int sum = (((mean + 512) * dr * dr) >> 8) + 4 * dg * dg + (((767 - mean) * db * db) >> 8);
    const double distance = std::sqrt(double(sum));
    if (!(distance < double(entry.range))) continue;
    if (!entry.enabled) {
      argb[0] = argb[1] = argb[2] = argb[3] = 0;
      return true;
    }
    const float percent = float(distance / double(entry.range) * 100.0);
    if (entry.softness > 0.0f && percent >= 100.0f - entry.softness) {
      const float maximum = deep ? 32768.0f : 255.0f;
      const float part = entry.softness / 100.0f * entry.range;
      const float band = entry.range - (entry.range - part);
      float value = (entry.range - float(distance)) / band;
      value = value * 100.0f / 100.0f * maximum;
      // Past the maximum or not a number only for a Softness of a sliver of a
      // percent; the module clamps such values.
      argb[0] = value > 0.0f ? int(std::min(value, maximum)) : 0;
    }
    return true;
  }
  argb[0] = argb[1] = argb[2] = argb[3] = 0;
  return false;
}

// The frame in file units, as the tool should write it.
std::vector<std::uint16_t> ReferenceRender(const huesieve::png::Image& image,
                                           const std::vector<ReferenceEntry>& entries) {
  const bool deep = image.bit_depth == 16;
  const int width = int(image.width), height = int(image.height);
  std::vector<std::array<int, 4>> host(std::size_t(width) * std::size_t(height));
  int left = width, right = 0, top = 0, bottom = 0;
  bool any = false;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint16_t* p =
          &image.rgba[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4];
      int argb[4];
      for (int c = 0; c < 4; ++c) {
        const int v = p[(c + 3) % 4];
        argb[c] = deep ? int((std::uint32_t(v) * 32768 + 32767) / 65535) : v;
      }
      if (ReferenceMatch(argb, entries, deep)) {
        if (!any) top = y;
        any = true;
        left = std::min(left, x);
        right = std::max(right, x);
        bottom = y;
      }
      host[std::size_t(y * width + x)] = {argb[0], argb[1], argb[2], argb[3]};
    }
  }
  if (!any) left = 0;
  ++right;
  ++bottom;
  const int full = deep ? 32768 : 255;
  for (auto [x, y] : {std::pair{left, top}, {left, bottom}, {right, top}, {right, bottom}}) {
    if (x < width && y < height) host[std::size_t(y * width + x)] = {full, full, 0, 0};
  }
  std::vector<std::uint16_t> out;
  for (const auto& argb : host) {
    for (int c : {1, 2, 3, 0}) {
      const int h = argb[std::size_t(c)];
      out.push_back(deep ? std::uint16_t(std::min(65535, (h * 65535 + 16384) / 32768))
                         : std::uint16_t(h));
    }
  }
  return out;
}

std::string Hex(int red, int green, int blue) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", red, green, blue);
  return text;
}

class ReferenceComparison : public ::testing::TestWithParam<int> {};

TEST_P(ReferenceComparison, RandomFramesAgreeBitForBit) {
  const int depth = GetParam();
  std::mt19937 random(20261207u + unsigned(depth));
  auto uniform = [&](int low, int high) {
    return std::uniform_int_distribution(low, high)(random);
  };
  const cli_test::ScratchDir dir;
  int kept = 0;       // pixels the reference keeps
  int feathered = 0;  // ... with an alpha the ramp rewrote

  for (int trial = 0; trial < 100; ++trial) {
    std::vector<ReferenceEntry> entries(10);
    std::vector<std::string> args = {"--enable"};
    for (int k = 0; k < 10; ++k) {
      if (uniform(0, 2) == 0) continue;
      ReferenceEntry& entry = entries[std::size_t(k)];
      entry = {uniform(0, 5) != 0, uniform(0, 255), uniform(0, 255), uniform(0, 255)};
      // Decimal text; both sides read the same text. Whole numbers often, as
      // users type them: they put distances exactly on the band's edges.
      const bool whole = uniform(0, 2) == 0;
      const std::string range =
          whole ? std::to_string(uniform(1, 40))
                : std::to_string(uniform(1, 127)) + "." + std::to_string(uniform(0, 99));
      const int softness_choice = uniform(0, 5);
      const std::string softness =
          softness_choice == 0   ? "0"
          : softness_choice == 1 ? "100"
          : whole                ? std::to_string(5 * uniform(1, 19))
                  : std::to_string(uniform(0, 99)) + "." + std::to_string(uniform(0, 99));
      entry.range = float(std::strtod(range.c_str(), nullptr));
      entry.softness = float(std::strtod(softness.c_str(), nullptr));
      args.push_back("--entry");
      args.push_back(std::to_string(k + 1) + ":" + Hex(entry.red, entry.green, entry.blue) + ":" +
                     range + ":" + softness + (entry.enabled ? "" : ":off"));
    }

    huesieve::png::Image image;
    image.width = std::uint32_t(uniform(1, 64));
    image.height = std::uint32_t(uniform(1, 48));
    image.bit_depth = depth;
    const int maximum = depth == 16 ? 65535 : 255;
    for (std::uint32_t i = 0; i < image.width * image.height; ++i) {
      // Most pixels near some entry's colour, so that claims, feathers and
      // first-entry-wins all happen; some differ in green alone, which puts
      // them at a whole-number distance (twice the difference); the rest lie
      // anywhere.
      const ReferenceEntry& near = entries[std::size_t(uniform(0, 9))];
      const int kind = uniform(0, 3);
      const int green_step = uniform(-12, 12);
      for (int channel = 0; channel < 3; ++channel) {
        const int base = channel == 0 ? near.red : channel == 1 ? near.green : near.blue;
        const int spread = kind == 0 ? 255 : 40;
        const int value = kind == 1 ? std::clamp(base + (channel == 1 ? green_step : 0), 0, 255)
                                    : std::clamp(base + uniform(-spread, spread), 0, 255);
        // At 16 bits, a sample that maps to `value` on the 8-bit scale.
        image.rgba.push_back(std::uint16_t(depth == 16 ? value * 257 : value));
      }
      image.rgba.push_back(std::uint16_t(uniform(0, maximum)));
    }
    const std::string in = (dir / "in.png").string(), out = (dir / "out.png").string();
    huesieve::png::WritePng(in, image);
    args.push_back(in);
    args.push_back(out);

    const cli_test::ToolResult result = cli_test::RunTool(args);
    ASSERT_EQ(result.status, 0) << result.err;
    const huesieve::png::Image rendered = huesieve::png::ReadPng(out);
    const std::vector<std::uint16_t> expected = ReferenceRender(image, entries);
    ASSERT_EQ(rendered.rgba.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(rendered.rgba[i], expected[i])
          << "trial " << trial << ", pixel " << i / 4 << ", channel " << i % 4;
    }
    for (std::size_t i = 3; i < expected.size(); i += 4) {
      kept += expected[i] != 0;
      feathered += expected[i] != 0 && expected[i] != maximum && expected[i] != image.rgba[i];
    }
  }
  // The random settings must exercise the rule, not just clear everything.
  EXPECT_GT(kept, 1000);
  EXPECT_GT(feathered, 100);
}

INSTANTIATE_TEST_SUITE_P(Depths, ReferenceComparison, ::testing::Values(8, 16),
                         [](const ::testing::TestParamInfo<int>& param_info) {
                           return "Depth" + std::to_string(param_info.param);
                         });

}  // namespace
