// The core's colour rule on single pixels (its scalar functions, applied as
// MatchPixel applies them), against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include "core/colour_rule.h"
#include "core/pixel_formats.h"
#include "testing/reference/match_pixel.h"

namespace {

using huesieve::Argb16;
using huesieve::Argb8;
using huesieve::ColourEntryTable;
using huesieve::MatchPixel;
using huesieve::Rgb8;

struct Entry {
  Rgb8 colour;
  float range;
  float softness;
  bool enabled = true;
};

ColourEntryTable Table(std::initializer_list<Entry> entries) {
  ColourEntryTable table;
  for (const Entry& entry : entries) {
    const auto k = static_cast<std::size_t>(table.count++);
    table.enabled[k] = entry.enabled ? 1 : 0;
    table.colours[k] = entry.colour;
    table.ranges[k] = entry.range;
    table.softness[k] = entry.softness;
  }
  return table;
}

constexpr Rgb8 kEntryColour{250, 10, 0};
constexpr Rgb8 kGrey100{100, 100, 100};

// One enabled entry per example; the pixel's alpha is full unless stated.
template <typename Pixel>
struct Example {
  const char* name;
  Pixel pixel;  // alpha, red, green, blue
  Rgb8 colour;
  float range;
  float softness;
  bool matched;
  Pixel result;
};

template <typename Pixel>
void PrintTo(const Example<Pixel>& example, std::ostream* out) {
  *out << example.name;
}

template <typename Pixel>
std::string ExampleName(const ::testing::TestParamInfo<Example<Pixel>>& example) {
  return example.param.name;
}

using Example8 = Example<Argb8::Pixel>;
using Example16 = Example<Argb16::Pixel>;

class WorkedExample8 : public ::testing::TestWithParam<Example8> {};
class WorkedExample16 : public ::testing::TestWithParam<Example16> {};

TEST_P(WorkedExample8, GivesTheWorkedOutcome) {
  const Example8& example = GetParam();
  Argb8::Pixel pixel = example.pixel;
  EXPECT_EQ(MatchPixel<Argb8>(pixel, Table({{example.colour, example.range, example.softness}})),
            example.matched);
  EXPECT_EQ(pixel, example.result);
}

TEST_P(WorkedExample16, GivesTheWorkedOutcome) {
  const Example16& example = GetParam();
  Argb16::Pixel pixel = example.pixel;
  EXPECT_EQ(MatchPixel<Argb16>(pixel, Table({{example.colour, example.range, example.softness}})),
            example.matched);
  EXPECT_EQ(pixel, example.result);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WorkedExample8,
    ::testing::Values(
        Example8{"NoSoftnessKeepsPixel", {255, 255, 0, 0}, kEntryColour, 25, 0, true, {255, 255, 0, 0}},
        Example8{"FeatherBand", {255, 255, 0, 0}, kEntryColour, 25, 30, true, {109, 255, 0, 0}},
        Example8{"InnerRange", {255, 255, 0, 0}, kEntryColour, 25, 10, true, {255, 255, 0, 0}},
        Example8{"FullSoftness", {255, 255, 0, 0}, kEntryColour, 25, 100, true, {32, 255, 0, 0}},
        Example8{"OutOfRange", {255, 255, 0, 0}, kEntryColour, 21, 30, false, {0, 0, 0, 0}},
        Example8{"BandInnerEdge", {128, 102, 102, 100}, kGrey100, 10, 50, true, {255, 102, 102, 100}},
        Example8{"InsideKeepsOwnAlpha", {128, 101, 102, 100}, kGrey100, 10, 50, true, {128, 101, 102, 100}},
        // 179.99998 in single precision, not 180.
        Example8{"RoundaboutRamp", {255, 100, 101, 100}, kGrey100, 5, 85, true, {179, 100, 101, 100}},
        Example8{"TransparentPixelInBandGetsRamp", {0, 255, 0, 0}, kEntryColour, 25, 30, true, {109, 255, 0, 0}},
        Example8{"TransparentInsideStaysTransparent", {0, 255, 0, 0}, kEntryColour, 25, 10, true, {0, 255, 0, 0}},
        Example8{"FullSoftnessMakesExactColourOpaque", {0, 100, 100, 100}, kGrey100, 10, 100, true, {255, 100, 100, 100}},
        Example8{"SoftnessBelowFullLeavesExactColourAlone", {0, 100, 100, 100}, kGrey100, 10, 99, true, {0, 100, 100, 100}},
        Example8{"RangeZeroClaimsNothing", {255, 100, 100, 100}, kGrey100, 0, 0, false, {0, 0, 0, 0}}),
    ExampleName<Argb8::Pixel>);

INSTANTIATE_TEST_SUITE_P(
    Table, WorkedExample16,
    ::testing::Values(
        Example16{"FeatherBand", {32768, 32768, 0, 0}, kEntryColour, 25, 30, true, {14105, 32768, 0, 0}},
        Example16{"FullSoftness", {32768, 32768, 0, 0}, kEntryColour, 25, 100, true, {4231, 32768, 0, 0}},
        Example16{"NearTheRange", {32768, 32768, 0, 0}, kEntryColour, 22, 30, true, {1134, 32768, 0, 0}},
        Example16{"OutOfRange", {32768, 32768, 0, 0}, kEntryColour, 21, 30, false, {0, 0, 0, 0}},
        Example16{"FullSoftnessMakesExactColourOpaque", {0, 12850, 12850, 12850}, kGrey100, 10, 100, true, {32768, 12850, 12850, 12850}}),
    ExampleName<Argb16::Pixel>);

TEST(RedmeanDistance, MatchesHandWorkedValues) {
  EXPECT_NEAR(huesieve::RedmeanDistance({255, 0, 0}, {250, 10, 0}), std::sqrt(474.0), 0);
  EXPECT_NEAR(huesieve::RedmeanDistance({255, 0, 0}, {0, 0, 255}), 569.97, 0.005);
  EXPECT_NEAR(huesieve::RedmeanDistance({0, 0, 0}, {255, 255, 255}), 764.83, 0.005);
  EXPECT_NEAR(huesieve::RedmeanDistance({102, 102, 100}, {100, 100, 100}), 5.0, 0);
}

TEST(RedmeanDistance, SixteenBitPixelLiesAtItsEightBitDistance) {
  const Rgb8 converted = huesieve::ColourOf<Argb16>({32768, 17670, 16384, 15099});
  EXPECT_EQ(converted, (Rgb8{138, 128, 118}));
  EXPECT_NEAR(huesieve::RedmeanDistance(converted, {128, 128, 128}), 22.32, 0.005);
}

// A 16-bit grey pixel is claimed by a Range-1 grey entry exactly when it
// converts to that grey's 8-bit value.
struct Conversion {
  std::uint16_t value;
  std::uint8_t eight_bit;
};

class SixteenBitConversion : public ::testing::TestWithParam<Conversion> {};

TEST_P(SixteenBitConversion, ConvertsToTheNearestEightBitValueHalvesUp) {
  const auto [value, eight_bit] = GetParam();
  const Argb16::Pixel grey{32768, value, value, value};
  Argb16::Pixel pixel = grey;
  EXPECT_TRUE(MatchPixel<Argb16>(pixel, Table({{{eight_bit, eight_bit, eight_bit}, 1, 0}})));
  for (int neighbour : {eight_bit - 1, eight_bit + 1}) {
    if (neighbour < 0 || neighbour > 255) continue;
    const auto n = static_cast<std::uint8_t>(neighbour);
    pixel = grey;
    EXPECT_FALSE(MatchPixel<Argb16>(pixel, Table({{{n, n, n}, 1, 0}})))
        << "neighbour " << neighbour;
  }
}

INSTANTIATE_TEST_SUITE_P(Points, SixteenBitConversion,
                         ::testing::Values(Conversion{0, 0}, Conversion{64, 0}, Conversion{65, 1},
                                           Conversion{16384, 128}, Conversion{32640, 254},
                                           Conversion{32704, 255}, Conversion{32768, 255},
                                           Conversion{32769, 255}, Conversion{65535, 255}));

TEST(MatchPixel, FirstClaimingEntryDecidesNotTheClosest) {
  // Were the exact-colour disabled entry to decide, the pixel would be cleared.
  Argb8::Pixel pixel{255, 255, 0, 0};
  EXPECT_TRUE(MatchPixel<Argb8>(pixel, Table({{kEntryColour, 30, 0}, {{255, 0, 0}, 5, 0, false}})));
  EXPECT_EQ(pixel, (Argb8::Pixel{255, 255, 0, 0}));
}

TEST(MatchPixel, DisabledEntryClearsButCountsAsClaimed) {
  Argb8::Pixel pixel{255, 255, 0, 0};
  EXPECT_TRUE(MatchPixel<Argb8>(pixel, Table({{kEntryColour, 30, 0, false}, {{255, 0, 0}, 5, 0}})));
  EXPECT_EQ(pixel, (Argb8::Pixel{0, 0, 0, 0}));
}

TEST(MatchPixel, NoEntriesClearsAndClaimsNothing) {
  Argb16::Pixel pixel{32768, 100, 200, 300};
  EXPECT_FALSE(MatchPixel<Argb16>(pixel, ColourEntryTable{}));
  EXPECT_EQ(pixel, (Argb16::Pixel{0, 0, 0, 0}));
}

TEST(MatchPixel, PixelAlphaDoesNotEnterTheDistance) {
  Argb8::Pixel pixel{0, 101, 100, 100};
  EXPECT_TRUE(MatchPixel<Argb8>(pixel, Table({{{100, 100, 100}, 1.5f, 0}})));
  EXPECT_EQ(pixel, (Argb8::Pixel{0, 101, 100, 100}));
}

// A host may send slider values no control allows; none may make the rule
// misbehave.
TEST(MatchPixel, NonFiniteSlidersAreHandledSafely) {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  constexpr float kInf = std::numeric_limits<float>::infinity();
  Argb8::Pixel pixel{200, 255, 0, 0};
  EXPECT_FALSE(MatchPixel<Argb8>(pixel, Table({{kEntryColour, kNaN, 0}})));
  pixel = {200, 255, 0, 0};
  EXPECT_TRUE(MatchPixel<Argb8>(pixel, Table({{kEntryColour, kInf, kNaN}})));
  EXPECT_EQ(pixel, (Argb8::Pixel{200, 255, 0, 0}));
  pixel = {200, 255, 0, 0};
  EXPECT_TRUE(MatchPixel<Argb8>(pixel, Table({{kEntryColour, kInf, 100}})));  // the ramp is NaN
  EXPECT_EQ(pixel, (Argb8::Pixel{0, 255, 0, 0}));
}

struct RampCase {
  float value;
  std::uint8_t eight_bit;
  std::uint16_t sixteen_bit;
};

class AlphaFromRamp : public ::testing::TestWithParam<RampCase> {};

TEST_P(AlphaFromRamp, TruncatesAndStaysWithinTheChannel) {
  EXPECT_EQ(huesieve::AlphaFromRamp<Argb8>(GetParam().value), GetParam().eight_bit);
  EXPECT_EQ(huesieve::AlphaFromRamp<Argb16>(GetParam().value), GetParam().sixteen_bit);
}

INSTANTIATE_TEST_SUITE_P(
    Values, AlphaFromRamp,
    ::testing::Values(RampCase{179.99998f, 179, 179}, RampCase{0.99f, 0, 0},
                      RampCase{-0.5f, 0, 0}, RampCase{-300.0f, 0, 0}, RampCase{255.0f, 255, 255},
                      RampCase{300.0f, 255, 300}, RampCase{32771.5f, 255, 32768},
                      RampCase{1e30f, 255, 32768},
                      RampCase{std::numeric_limits<float>::infinity(), 255, 32768},
                      RampCase{std::numeric_limits<float>::quiet_NaN(), 0, 0}));

TEST(SoftnessRamp, KeepsTheRoundaboutSinglePrecisionSteps) {
  EXPECT_EQ(huesieve::SoftnessRamp(2.0f, 5.0f, 85.0f, 255.0f), 179.99998f);
}

}  // namespace
