// The plain colour rule that the fuzzers compare the module against must
// itself give the documented worked examples; otherwise agreement proves
// nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "testing/reference/plain_colour_rule.h"

namespace {

using plain_reference::Channels;
using plain_reference::Entry;

struct WorkedExample {
  const char* name;
  int depth;
  Channels pixel;
  Entry entry;
  Channels expected;
  bool matched;
};

constexpr Channels kRed8{255, 255, 0, 0};
constexpr Channels kRed16{32768, 32768, 0, 0};
constexpr Channels kClear{0, 0, 0, 0};

Entry Near(float range, float softness) { return {true, 250, 10, 0, range, softness}; }
Entry Grey(float range, float softness) { return {true, 100, 100, 100, range, softness}; }

class PlainRuleWorkedExample : public ::testing::TestWithParam<WorkedExample> {};

TEST_P(PlainRuleWorkedExample, GivesTheDocumentedOutcome) {
  const WorkedExample& given = GetParam();
  const plain_reference::Verdict verdict =
      plain_reference::Judge(given.pixel, &given.entry, 1, given.depth);
  EXPECT_EQ(verdict.matched, given.matched);
  EXPECT_EQ(verdict.pixel, given.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PlainRuleWorkedExample,
    ::testing::Values(
        WorkedExample{"SoftnessZeroKeeps", 8, kRed8, Near(25, 0), kRed8, true},
        WorkedExample{"Softness30Feathers", 8, kRed8, Near(25, 30), {109, 255, 0, 0}, true},
        WorkedExample{"Softness10InnerPartKeeps", 8, kRed8, Near(25, 10), kRed8, true},
        WorkedExample{"Softness100Feathers", 8, kRed8, Near(25, 100), {32, 255, 0, 0}, true},
        WorkedExample{"OutsideRangeClears", 8, kRed8, Near(21, 30), kClear, false},
        WorkedExample{"Deep30Feathers", 16, kRed16, Near(25, 30), {14105, 32768, 0, 0}, true},
        WorkedExample{"Deep100Feathers", 16, kRed16, Near(25, 100), {4231, 32768, 0, 0}, true},
        WorkedExample{"DeepNearTheRange", 16, kRed16, Near(22, 30), {1134, 32768, 0, 0}, true},
        WorkedExample{"DeepOutsideRangeClears", 16, kRed16, Near(21, 30), kClear, false},
        WorkedExample{"InnerEdgeIsInTheBand",
                      8,
                      {128, 102, 102, 100},
                      Grey(10, 50),
                      {255, 102, 102, 100},
                      true},
        WorkedExample{"InsideTheInnerEdgeKeepsAlpha",
                      8,
                      {128, 101, 102, 100},
                      Grey(10, 50),
                      {128, 101, 102, 100},
                      true},
        WorkedExample{"TimesHundredOverHundredLosesOne",
                      8,
                      {255, 100, 101, 100},
                      Grey(5, 85),
                      {179, 100, 101, 100},
                      true}),
    [](const ::testing::TestParamInfo<WorkedExample>& param_info) {
      return std::string(param_info.param.name);
    });

TEST(PlainRuleDistance, MatchesTheDocumentedDistances) {
  EXPECT_NEAR(plain_reference::Distance({0, 255, 0, 0}, Near(0, 0), 8), 21.7715, 1e-4);
  EXPECT_NEAR(plain_reference::Distance({0, 0, 0, 0}, {true, 255, 255, 255, 0, 0}, 8), 764.83,
              1e-2);
  EXPECT_NEAR(plain_reference::Distance({0, 255, 0, 0}, {true, 0, 0, 255, 0, 0}, 8), 569.97, 1e-2);
  EXPECT_NEAR(plain_reference::Distance({0, 17670, 16384, 15099}, {true, 128, 128, 128, 0, 0}, 16),
              22.32, 1e-2);
}

TEST(PlainRuleDistance, BringsDeepChannelsToTheByteScaleHalvesUp) {
  EXPECT_EQ(plain_reference::ToByteScale(0), 0.0);
  EXPECT_EQ(plain_reference::ToByteScale(64), 0.0);
  EXPECT_EQ(plain_reference::ToByteScale(65), 1.0);
  EXPECT_EQ(plain_reference::ToByteScale(16384), 128.0);
  EXPECT_EQ(plain_reference::ToByteScale(32640), 254.0);
  EXPECT_EQ(plain_reference::ToByteScale(32704), 255.0);
  EXPECT_EQ(plain_reference::ToByteScale(65535), 255.0);
}

TEST(PlainRuleOrder, FirstClaimingEntryDecidesNotTheClosest) {
  const Entry entries[2] = {{false, 250, 10, 0, 30, 0}, {true, 255, 0, 0, 5, 0}};
  const plain_reference::Verdict verdict = plain_reference::Judge(kRed8, entries, 2, 8);
  EXPECT_TRUE(verdict.matched);
  EXPECT_EQ(verdict.pixel, kClear);
}

TEST(PlainRuleNarrowing, RoundsToTheNearestFloatBeyondTheFloatRange) {
  EXPECT_EQ(plain_reference::NearestFloat(1e300), INFINITY);
  EXPECT_EQ(plain_reference::NearestFloat(-1e300), -INFINITY);
  // Just past the largest float, but less than half its spacing away.
  EXPECT_EQ(plain_reference::NearestFloat(0x1.fffffefp127), 0x1.fffffep127f);
  // Exactly half the spacing past it: ties go to even, here to infinity.
  EXPECT_EQ(plain_reference::NearestFloat(0x1.ffffffp127), INFINITY);
  EXPECT_EQ(plain_reference::NearestFloat(0.1), 0.1f);
  EXPECT_EQ(plain_reference::NearestFloat(0x1p-149), 0x1p-149f);
  EXPECT_TRUE(std::isnan(plain_reference::NearestFloat(NAN)));
}

}  // namespace
