// The lane kernel's strategy: which route a row's vectors take follows what
// the vectors before them showed. Pixels never depend on it (the equivalence
// tests see to that); what these tests guard is the speed the benchmarks
// justified, which a transition gone wrong would lose without a wrong pixel.
#include <gtest/gtest.h>

#include <cstdint>

#include "core/lane_strategy.h"

namespace huesieve::lanes {
namespace {

constexpr std::uint32_t kNoClaim = 0;

VectorReport Tried(bool coherent, std::uint16_t candidates = 0b1) {
  return {.route = LaneRoute::kEntriesTried, .candidates = candidates, .coherent = coherent};
}

LaneStrategy WithoutCellWords() {
  LaneStrategy strategy = FirstStrategy(false);
  strategy.cell_words = false;
  strategy.tried = 0b1;
  return strategy;
}

TEST(LaneStrategy, ARowStartsWithCellWordsAndTheBoxesWhenTheyAreCheap) {
  EXPECT_EQ(FirstStrategy(true), (LaneStrategy{.boxes_cheap = true, .boxes = true}));
  EXPECT_EQ(FirstStrategy(false), (LaneStrategy{}));
  EXPECT_TRUE(FirstStrategy(false).cell_words);
  EXPECT_TRUE(FirstStrategy(false).other_boxes);
}

TEST(LaneStrategy, BoxesAreTriedAfterAVectorWithoutClaimsOnlyWhileCheap) {
  const LaneStrategy cheap = FirstStrategy(true);
  EXPECT_FALSE(NextStrategy(cheap, {.route = LaneRoute::kOneCell, .claimed = 0b100}).boxes);
  const LaneStrategy after_claim =
      NextStrategy(cheap, {.route = LaneRoute::kCellWords, .claimed = 0b1});
  EXPECT_TRUE(NextStrategy(after_claim, {.route = LaneRoute::kOutsideBoxes}).boxes);
  EXPECT_FALSE(NextStrategy(FirstStrategy(false), {.route = LaneRoute::kUnreached}).boxes);
}

TEST(LaneStrategy, CellWordsStopWhenAVectorsWordsNameEntriesAndComeBackWhenNoneDo) {
  const LaneStrategy stopped = NextStrategy(
      FirstStrategy(false),
      {.route = LaneRoute::kCellWords, .candidates = 0b10, .words_named_entries = true});
  EXPECT_FALSE(stopped.cell_words);
  EXPECT_TRUE(
      NextStrategy(FirstStrategy(false), {.route = LaneRoute::kCellWords}).cell_words);
}

TEST(LaneStrategy, CellWordsComeBackOnlyAfterARunOfCoherentVectors) {
  LaneStrategy strategy = WithoutCellWords();
  for (int vector = 1; vector < kCoherentRun; ++vector) {
    strategy = NextStrategy(strategy, Tried(true));
    EXPECT_FALSE(strategy.cell_words) << "after " << vector << " vectors";
  }
  EXPECT_TRUE(NextStrategy(strategy, Tried(true)).cell_words);
}

TEST(LaneStrategy, AVectorWithMixedOutcomesStartsTheRunAgain) {
  LaneStrategy strategy = WithoutCellWords();
  for (int vector = 1; vector < kCoherentRun; ++vector) {
    strategy = NextStrategy(strategy, Tried(true));
  }
  strategy = NextStrategy(strategy, Tried(false));
  EXPECT_EQ(strategy.coherent_run, 0);
  EXPECT_FALSE(NextStrategy(strategy, Tried(true)).cell_words);
}

TEST(LaneStrategy, VectorsClearedWholeLeaveTheRunAndTheCellWordsAlone) {
  LaneStrategy strategy = NextStrategy(WithoutCellWords(), Tried(true));
  for (LaneRoute route : {LaneRoute::kOneCell, LaneRoute::kOutsideBoxes, LaneRoute::kUnreached}) {
    const LaneStrategy next = NextStrategy(strategy, {.route = route, .claimed = kNoClaim});
    EXPECT_EQ(next.coherent_run, strategy.coherent_run);
    EXPECT_EQ(next.cell_words, strategy.cell_words);
  }
}

TEST(LaneStrategy, TheCoherentRunNeverWraps) {
  LaneStrategy strategy = WithoutCellWords();
  strategy.coherent_run = kCoherentRun;
  for (int vector = 0; vector < 300; ++vector) {
    strategy = NextStrategy(strategy, {.route = LaneRoute::kOutsideOtherBoxes, .coherent = true});
  }
  EXPECT_TRUE(strategy.cell_words);
}

TEST(LaneStrategy, CandidatesBeyondTheTriedEntriesWidenThemAndStopTheOtherBoxes) {
  const LaneStrategy widened = NextStrategy(WithoutCellWords(), Tried(false, 0b110));
  EXPECT_EQ(widened.tried, 0b111);
  EXPECT_FALSE(widened.other_boxes);
  const LaneStrategy again = NextStrategy(widened, Tried(false, 0b100));
  EXPECT_EQ(again.tried, 0b111);
  EXPECT_TRUE(again.other_boxes);
}

TEST(LaneStrategy, AnOtherBoxHoldingALaneStopsTheOtherBoxesUntilCandidatesAreTried) {
  const LaneStrategy held = NextStrategy(
      WithoutCellWords(), {.route = LaneRoute::kUnreached, .other_box_held = true});
  EXPECT_FALSE(held.other_boxes);
  EXPECT_TRUE(NextStrategy(held, {.route = LaneRoute::kEntriesTried,
                                  .other_box_held = true,
                                  .candidates = 0b1})
                  .other_boxes);
}

struct Widening {
  std::uint16_t tried;
  std::uint16_t candidates;
  std::uint16_t expected;
};

class TriedEntriesAfterAVector : public ::testing::TestWithParam<Widening> {};

TEST_P(TriedEntriesAfterAVector, GrowUpToAFewThenStartFromTheVectors) {
  EXPECT_EQ(TriedEntries(GetParam().tried, GetParam().candidates), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, TriedEntriesAfterAVector,
    ::testing::Values(Widening{0b0, 0b1, 0b1}, Widening{0b11, 0b1, 0b11},
                      Widening{0b11, 0b100, 0b111}, Widening{0b111, 0b1000, 0b1000},
                      Widening{0b1, 0b1111000000, 0b1111000000},
                      Widening{0b1000000000, 0b11, 0b1000000011}));

}  // namespace
}  // namespace huesieve::lanes
