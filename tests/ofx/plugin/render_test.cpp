// Frames rendered through the plug-in in the simulated host, at every depth,
// against the plain reference: random frames, single rows, columns and
// pixels, odd sizes, padded rows, rows stored either way up, origins away
// from 0, the switch on and off, values keyed in time, and premultiplied
// sources by the documented rule.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

  void ExpectRendered(Image& source, bool enable, const EntrySettings& entries, OfxTime time = 0,
                      const Choices& choices = {}) {
    auto instance = MakeInstance({.depth = GetParam().depth});
    ASSERT_NE(instance, nullptr);
    SetEntries(*instance, enable, entries);
    SetChoices(*instance, choices);
    Image output(Layout());
    EXPECT_EQ(instance->Render({.time = time, .source = &source, .output = &output}).status,
              kOfxStatOK);
    EXPECT_EQ(FirstDifference(output, ExpectedOutput(source, enable, entries, choices)), "");
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

// Each choice and both, straight and premultiplied: the colours' controls
// encoded as the pixels are when judged sRGB-encoded.
TEST_P(FrameTest, EveryChoiceMatchesThePlainReference) {
  for (const Choices choices : {Choices{true, false}, Choices{false, true}, Choices{true, true}}) {
    for (const char* premultiplication : {kOfxImageUnPreMultiplied, kOfxImagePreMultiplied}) {
      for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        SCOPED_TRACE(std::string("seed ") + std::to_string(seed) + (choices.srgb ? " sRGB" : "") +
                     (choices.fades ? " fades" : "") + " " + premultiplication);
        Image source(Layout(premultiplication));
        FillRandom(source, seed + 30);
        ExpectRendered(source, true, RandomEntries(source, seed + 130), 0, choices);
      }
    }
  }
}

TEST_P(FrameTest, SwitchedOffTheOutputIsTheSourceBitForBit) {
  Image source(Layout());
  FillRandom(source, 77);
  ExpectRendered(source, false, RandomEntries(source, 78));
}

// Opaque-labelled sources keep the rule exactly, whatever their alpha holds.
TEST_P(FrameTest, OpaqueLabelledFramesFollowTheStraightRule) {
  Image source(Layout(kOfxImageOpaque));
  FillRandom(source, 91);
  ExpectRendered(source, true, RandomEntries(source, 92));
}

TEST_P(FrameTest, OpaquePremultipliedFramesArePremultipliedWhereTheyRamp) {
  Image source(Layout(kOfxImagePreMultiplied));
  FillRandom(source, 93, /*opaque=*/true);
  ExpectRendered(source, true, RandomEntries(source, 94));
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

using WindowTest = PluginTest;

// Only the render window is written, and as the whole frame's render has it:
// the bounds, and so the markers, come from the whole source.
TEST_F(WindowTest, ARenderWindowIsWrittenAsTheWholeFrameHasItAndNothingElse) {
  for (const PixelDepth depth : {PixelDepth::kByte, PixelDepth::kShort, PixelDepth::kFloat}) {
    for (const OfxRectI window : {OfxRectI{-2, 9, 30, 14}, OfxRectI{10, 0, 11, 40},
                                  OfxRectI{-40, -40, 0, 0}}) {
      SCOPED_TRACE(std::string(hostsim::ofx::DepthName(depth)) + " window x1 " +
                   std::to_string(window.x1));
      auto instance = MakeInstance({.depth = depth});
      ASSERT_NE(instance, nullptr);
      const hostsim::ofx::ImageLayout layout{.bounds = {-5, 3, 33, 21}, .depth = depth};
      Image source(layout);
      FillRandom(source, 17);
      const EntrySettings entries = RandomEntries(source, 18);
      SetEntries(*instance, true, entries);
      Image output(layout);
      const Image before = output;
      ASSERT_EQ(instance
                    ->Render({.time = 0, .source = &source, .output = &output,
                              .render_window = window})
                    .status,
                kOfxStatOK);
      EXPECT_EQ(FirstDifference(output, ExpectedOutput(&source, before, true, entries, window)),
                "");
      EXPECT_THAT(host_.complaints(), IsEmpty());
    }
  }
}

// An output larger than the source: the source's picture is judged as it
// is, and what of the window it does not cover is transparent black.
TEST_F(WindowTest, WhereTheSourceDoesNotCoverTheOutputItIsTransparentBlack) {
  for (const PixelDepth depth : {PixelDepth::kByte, PixelDepth::kShort, PixelDepth::kFloat}) {
    SCOPED_TRACE(hostsim::ofx::DepthName(depth));
    auto instance = MakeInstance({.depth = depth});
    ASSERT_NE(instance, nullptr);
    Image source({.bounds = {4, 2, 20, 12}, .depth = depth});
    FillRandom(source, 21);
    const EntrySettings entries = RandomEntries(source, 22);
    SetEntries(*instance, true, entries);
    Image output({.bounds = {0, 0, 26, 15}, .depth = depth, .negative_row_bytes = true});
    const Image before = output;
    ASSERT_EQ(instance->Render({.time = 0, .source = &source, .output = &output}).status,
              kOfxStatOK);
    EXPECT_EQ(FirstDifference(output, ExpectedOutput(&source, before, true, entries,
                                                     output.layout().bounds)),
              "");
    EXPECT_EQ(Sample(output, 0, 0, 3), 0.0);
    EXPECT_THAT(host_.complaints(), IsEmpty());
  }
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

// Worked by hand: the opaque pixel (203, 100, 50) lies sqrt(44) = 6.63 from
// the entry (199, 100, 50) of range 10 and softness 100, so its alpha ramps
// to trunc((10 - 6.63) / 10 × 255) = 85. Premultiplied, the colour follows:
// 203 × 85 / 255 = 67.7, 100 × 85 / 255 = 33.3, 50 × 85 / 255 = 16.7; straight
// it stays. Premultiplied pixels of full alpha were once written with their
// whole colour, which glows six times over in a premultiplied pipeline.
TEST_F(PremultipliedTest, AnOpaquePixelRampedCarriesItsColourTimesTheNewAlpha) {
  for (const auto& [label, expected] :
       {std::pair{kOfxImagePreMultiplied, std::array<int, 4>{68, 33, 17, 85}},
        std::pair{kOfxImageUnPreMultiplied, std::array<int, 4>{203, 100, 50, 85}},
        std::pair{kOfxImageOpaque, std::array<int, 4>{203, 100, 50, 85}}}) {
    SCOPED_TRACE(label);
    auto instance = MakeInstance({.depth = PixelDepth::kByte, .premultiplication = label});
    ASSERT_NE(instance, nullptr);
    EntrySettings entries;
    entries[0] = {true, {199 / 255.0, 100 / 255.0, 50 / 255.0}, 10.0, 100.0};
    SetEntries(*instance, true, entries);
    Image source({.bounds = {0, 0, 3, 1}, .premultiplication = label});
    Image output({.bounds = {0, 0, 3, 1}, .premultiplication = label});
    for (int x = 0; x < 3; ++x) {
      const int pixel[4] = {203, 100, 50, 255};
      for (int channel = 0; channel < 4; ++channel) {
        source.Set<std::uint8_t>(x, 0, channel, static_cast<std::uint8_t>(pixel[channel]));
      }
    }
    ASSERT_EQ(instance->Render({.time = 0, .source = &source, .output = &output}).status,
              kOfxStatOK);
    for (int channel = 0; channel < 4; ++channel) {
      EXPECT_EQ(output.Get<std::uint8_t>(1, 0, channel),
                expected[static_cast<std::size_t>(channel)])
          << "channel " << channel;
    }
  }
}

}  // namespace
}  // namespace huesieve_ofx_test
