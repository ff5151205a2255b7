// Frames rendered through the plug-in in the simulated host, at every depth,
// against the plain reference: random frames, single rows, columns and
// pixels, odd sizes, padded rows, rows stored either way up, origins away
// from 0, the switch on and off, values keyed in time, and premultiplied
// sources by the documented rule.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "tests/ofx/plugin/plugin_fixture.h"

namespace huesieve_ofx_test {
namespace {

using ::testing::IsEmpty;

struct FrameCase {
  const char* name;
  PixelDepth depth;
  OfxRectI bounds;
  int row_padding;
  bool negative_row_bytes;
};

void PrintTo(const FrameCase& frame, std::ostream* out) { *out << frame.name; }

// A random sample of the depth: now and then a value a host may send but no
// picture should hold (past full, NaN, infinities, negatives).
double RandomSample(std::mt19937& random, PixelDepth depth) {
  switch (depth) {
    case PixelDepth::kByte:
      return static_cast<double>(random() % 256);
    case PixelDepth::kShort:
      return static_cast<double>(random() % 65536);
    default: {
      const std::uint32_t choice = random() % 16;
      if (choice == 0) {
        constexpr float kOdd[] = {std::numeric_limits<float>::quiet_NaN(), INFINITY, -INFINITY,
                                  -0.25f, 1.5f, -0.0f};
        return kOdd[random() % std::size(kOdd)];
      }
      if (choice == 1) return (static_cast<double>(random() % 256) - 0.5) / 255.0;
      return static_cast<float>(random() % (1u << 24)) / static_cast<float>(1u << 24);
    }
  }
}

void FillRandom(Image& image, std::uint32_t seed, bool opaque = false) {
  std::mt19937 random(seed);
  const OfxRectI bounds = image.layout().bounds;
  const double full = plain_reference::Maximum(ScaleOf(image.layout().depth));
  for (int y = bounds.y1; y < bounds.y2; ++y) {
    for (int x = bounds.x1; x < bounds.x2; ++x) {
      for (int channel = 0; channel < 4; ++channel) {
        const double sample =
            channel == 3 && opaque ? full : RandomSample(random, image.layout().depth);
        SetSample(image, x, y, channel, sample);
      }
    }
  }
}

// Entries some of whose colours are those of pixels of the frame, so that
// they claim, with random ranges, softness and switches.
EntrySettings RandomEntries(const Image& source, std::uint32_t seed) {
  std::mt19937 random(seed);
  EntrySettings entries;
  const OfxRectI bounds = source.layout().bounds;
  const auto scale = ScaleOf(source.layout().depth);
  for (EntrySetting& entry : entries) {
    entry.enabled = random() % 4 != 0;
    const int x =
        bounds.x1 + static_cast<int>(random() % static_cast<std::uint32_t>(source.width()));
    const int y =
        bounds.y1 + static_cast<int>(random() % static_cast<std::uint32_t>(source.height()));
    for (int channel = 0; channel < 3; ++channel) {
      const double byte = random() % 3 == 0
                              ? static_cast<double>(random() % 256)
                              : plain_reference::ToByte(Sample(source, x, y, channel), scale);
      entry.colour[static_cast<std::size_t>(channel)] = byte / 255.0;
    }
    entry.range = random() % 5 == 0 ? 0.0 : static_cast<double>(random() % 1280) / 10.0;
    entry.softness = static_cast<double>(random() % 1001) / 10.0;
  }
  return entries;
}

class FrameTest : public PluginTest, public ::testing::WithParamInterface<FrameCase> {
 protected:
  hostsim::ofx::ImageLayout Layout(const char* premultiplication = kOfxImageUnPreMultiplied) const {
    const FrameCase& frame = GetParam();
    return {.bounds = frame.bounds,
            .depth = frame.depth,
            .row_padding = frame.row_padding,
            .negative_row_bytes = frame.negative_row_bytes,
            .premultiplication = premultiplication};
  }

  void ExpectRendered(Image& source, bool enable, const EntrySettings& entries, OfxTime time = 0) {
    auto instance = MakeInstance({.depth = GetParam().depth});
    ASSERT_NE(instance, nullptr);
    SetEntries(*instance, enable, entries);
    Image output(Layout());
    EXPECT_EQ(instance->Render({.time = time, .source = &source, .output = &output}).status,
              kOfxStatOK);
    EXPECT_EQ(FirstDifference(output, ExpectedOutput(source, enable, entries)), "");
    EXPECT_THAT(host_.complaints(), IsEmpty());
  }
};

TEST_P(FrameTest, RandomFramesMatchThePlainReference) {
  for (std::uint32_t seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE(std::string("seed ") + std::to_string(seed));
    Image source(Layout());
    FillRandom(source, seed);
    ExpectRendered(source, true, RandomEntries(source, seed + 100));
  }
}

TEST_P(FrameTest, SwitchedOffTheOutputIsTheSourceBitForBit) {
  Image source(Layout());
  FillRandom(source, 77);
  ExpectRendered(source, false, RandomEntries(source, 78));
}

TEST_P(FrameTest, OpaquePremultipliedFramesFollowTheStraightRule) {
  Image source(Layout(kOfxImagePreMultiplied));
  FillRandom(source, 91, /*opaque=*/true);
  ExpectRendered(source, true, RandomEntries(source, 92));
}

TEST_P(FrameTest, PremultipliedFramesOfPartialAlphaFollowTheDocumentedRule) {
  for (std::uint32_t seed = 11; seed <= 13; ++seed) {
    SCOPED_TRACE(std::string("seed ") + std::to_string(seed));
    Image source(Layout(kOfxImagePreMultiplied));
    FillRandom(source, seed);
    ExpectRendered(source, true, RandomEntries(source, seed + 100));
  }
}

TEST_P(FrameTest, NothingClaimedClearsTheFrameAndMarksTheTopLeft) {
  Image source(Layout());
  FillRandom(source, 5);
  ExpectRendered(source, true, EntrySettings{});
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, FrameTest,
    ::testing::Values(
        FrameCase{"Byte", PixelDepth::kByte, {0, 0, 37, 23}, 0, false},
        FrameCase{"ByteAwayFromOrigin", PixelDepth::kByte, {-5, 7, 32, 30}, 12, true},
        FrameCase{"ByteSinglePixel", PixelDepth::kByte, {3, 3, 4, 4}, 0, false},
        FrameCase{"ByteSingleRow", PixelDepth::kByte, {0, -1, 61, 0}, 4, false},
        FrameCase{"ShortOddSize", PixelDepth::kShort, {-3, -2, 10, 9}, 6, false},
        FrameCase{"ShortNegativeRows", PixelDepth::kShort, {100, 200, 141, 219}, 0, true},
        FrameCase{"ShortSingleColumn", PixelDepth::kShort, {0, 0, 1, 40}, 2, true},
        FrameCase{"Float", PixelDepth::kFloat, {0, 0, 33, 17}, 0, false},
        FrameCase{"FloatPaddedNegative", PixelDepth::kFloat, {-17, 4, 20, 25}, 16, true},
        FrameCase{"FloatSinglePixel", PixelDepth::kFloat, {-1, -1, 0, 0}, 4, true}),
    [](const ::testing::TestParamInfo<FrameCase>& frame) { return std::string(frame.param.name); });

using TimeTest = PluginTest;

// The values are read at the frame's time, not at the host's current time.
TEST_F(TimeTest, ValuesAreReadAtTheTimeOfTheFrame) {
  auto instance = MakeInstance({.depth = PixelDepth::kByte, .timeline_time = 0.0});
  ASSERT_NE(instance, nullptr);
  Image source({.bounds = {0, 0, 8, 2}, .premultiplication = kOfxImageUnPreMultiplied});
  FillRandom(source, 3, /*opaque=*/true);
  EntrySettings entries;
  entries[0] = {true, {Sample(source, 4, 1, 0) / 255, Sample(source, 4, 1, 1) / 255,
                       Sample(source, 4, 1, 2) / 255},
                1.0, 0.0};
  SetEntries(*instance, true, entries);
  instance->SetValueAt("range1", 0.0, {{0.0}, {}});
  instance->SetValueAt("range1", 10.0, {{1.0}, {}});
  Image output({.bounds = {0, 0, 8, 2}, .premultiplication = kOfxImageUnPreMultiplied});
  ASSERT_EQ(instance->Render({.time = 10.0, .source = &source, .output = &output}).status,
            kOfxStatOK);
  EXPECT_EQ(FirstDifference(output, ExpectedOutput(source, true, entries)), "");
}

using PremultipliedTest = PluginTest;

// Worked by hand: the 8-bit premultiplied pixel (100, 50, 25, 128) has the
// straight colour (199, 100, 50): 100 × 255 / 128 = 199.2, and so on.
TEST_F(PremultipliedTest, TheRuleDecidesOnTheStraightColourAndKeepsThePremultipliedOne) {
  struct Case {
    const char* name;
    bool enabled;
    double softness;
    std::array<int, 4> expected;
  };
  const Case cases[] = {
      {"kept whole", true, 0.0, {100, 50, 25, 128}},
      // Distance 0 with softness 100: the ramp gives full alpha, and the
      // straight colour is premultiplied by it.
      {"ramped", true, 100.0, {199, 100, 50, 255}},
      {"cleared by a disabled entry", false, 0.0, {0, 0, 0, 0}},
  };
  for (const Case& given : cases) {
    SCOPED_TRACE(given.name);
    auto instance = MakeInstance({.depth = PixelDepth::kByte});
    ASSERT_NE(instance, nullptr);
    EntrySettings entries;
    entries[0] = {given.enabled, {199 / 255.0, 100 / 255.0, 50 / 255.0}, 10.0, given.softness};
    SetEntries(*instance, true, entries);
    Image source({.bounds = {0, 0, 3, 1}, .premultiplication = kOfxImagePreMultiplied});
    Image output({.bounds = {0, 0, 3, 1}, .premultiplication = kOfxImagePreMultiplied});
    for (int x = 0; x < 3; ++x) {
      const int pixel[4] = {100, 50, 25, 128};
      for (int channel = 0; channel < 4; ++channel) {
        source.Set<std::uint8_t>(x, 0, channel, static_cast<std::uint8_t>(pixel[channel]));
      }
    }
    ASSERT_EQ(instance->Render({.time = 0, .source = &source, .output = &output}).status,
              kOfxStatOK);
    // Every pixel is claimed: the only marker inside the frame is at (0, 0).
    for (int x = 1; x < 3; ++x) {
      for (int channel = 0; channel < 4; ++channel) {
        EXPECT_EQ(output.Get<std::uint8_t>(x, 0, channel),
                  given.expected[static_cast<std::size_t>(channel)])
            << "pixel " << x << " channel " << channel;
      }
    }
    EXPECT_THAT(host_.complaints(), IsEmpty());
  }
}

}  // namespace
}  // namespace huesieve_ofx_test
