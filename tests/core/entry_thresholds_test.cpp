// The per-frame integer thresholds, worked by hand from the rule's tests
// sqrt(s) < range and float(sqrt(s) / range × 100) >= 100 − softness.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/colour_rule.h"
#include "core/entry_thresholds.h"

namespace huesieve {
namespace {

struct ThresholdCase {
  const char* name;
  float range;
  float softness;
  std::uint8_t enabled;
  std::uint32_t claim_below;
  std::uint32_t ramp_from;
};

class EntryThresholdsTest : public ::testing::TestWithParam<ThresholdCase> {};

TEST_P(EntryThresholdsTest, MatchesHandWorkedValuess) {
  const ThresholdCase& c = GetParam();
  ColourEntryTable table;
  table.count = 1;
  table.enabled[0] = c.enabled;
  table.ranges[0] = c.range;
  table.softness[0] = c.softness;
  const EntryThresholds thresholds = MakeEntryThresholds(table);
  EXPECT_EQ(thresholds.count, 1);
  EXPECT_EQ(thresholds.claim_below[0], c.claim_below);
  EXPECT_EQ(thresholds.ramp_from[0], c.ramp_from);
}

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Ranges, EntryThresholdsTest,
    ::testing::Values(
        // sqrt(100) = 10 is not below 10: sums 0..99 claim.
        ThresholdCase{"RangeTenExcludesHundred", 10.0f, 0.0f, 1, 100, 100},
        // The next float above 10 takes 100 in, and nothing more (sqrt(101) > 10.05).
        ThresholdCase{"RangeJustAboveTen", 10.000001f, 0.0f, 1, 101, 101},
        ThresholdCase{"RangeOneClaimsOnlyZero", 1.0f, 0.0f, 1, 1, 1},
        ThresholdCase{"RangeZeroClaimsNothing", 0.0f, 50.0f, 1, 0, 0},
        ThresholdCase{"NegativeRangeClaimsNothing", -3.0f, 50.0f, 1, 0, 0},
        ThresholdCase{"NaNRangeClaimsNothing", kNaN, 50.0f, 1, 0, 0},
        ThresholdCase{"InfiniteRangeClaimsEverySum", kInf, 0.0f, 1, 1u << 20, 1u << 20},
        // 128^2 = 16384 is excluded.
        ThresholdCase{"Range128", 128.0f, 0.0f, 1, 16384, 16384},
        // Ramp once sqrt(s) / 10 × 100 >= 50, i.e. from sqrt(s) = 5, s = 25.
        ThresholdCase{"HalfSoftnessRampsFromHalfRange", 10.0f, 50.0f, 1, 100, 25},
        // Softness 100 ramps from 0 on; a disabled entry never ramps.
        ThresholdCase{"FullSoftnessRampsEverywhere", 10.0f, 100.0f, 1, 100, 0},
        ThresholdCase{"DisabledNeverRamps", 10.0f, 100.0f, 0, 100, 100},
        ThresholdCase{"NaNSoftnessNeverRamps", 10.0f, kNaN, 1, 100, 100},
        ThresholdCase{"NegativeSoftnessNeverRamps", 10.0f, -5.0f, 1, 100, 100},
        ThresholdCase{"InfiniteSoftnessRampsEverywhere", 10.0f, kInf, 1, 100, 0}),
    [](const ::testing::TestParamInfo<ThresholdCase>& param_info) {
      return std::string(param_info.param.name);
    });

TEST(EntryThresholdsCount, HostileCountsAreKeptWithinTheTable) {
  ColourEntryTable table;
  table.count = -4;
  EXPECT_EQ(MakeEntryThresholds(table).count, 0);
  table.count = 99;
  EXPECT_EQ(MakeEntryThresholds(table).count, kMaxColourEntries);
}

// Hand-worked squared redmean distances: pixel (138, 128, 118) against colour 128 grey
// gives rmean 133, 645 × 100 >> 8 = 251, 4 × 0 = 0, 634 × 100 >> 8 = 247.
TEST(SquaredRedmeanDistanceTest, MatchesHandWorkedValues) {
  EXPECT_EQ(SquaredRedmeanDistance(138, 128, 118, 128, 128, 128), 498);
  EXPECT_EQ(SquaredRedmeanDistance(0, 0, 0, 0, 0, 0), 0);
  // White from black: rmean 127, 639 × 65025 >> 8 = 162308, 4 × 65025 =
  // 260100, 640 × 65025 >> 8 = 162562.
  EXPECT_EQ(SquaredRedmeanDistance(255, 255, 255, 0, 0, 0), 162308 + 260100 + 162562);
}

}  // namespace
}  // namespace huesieve
