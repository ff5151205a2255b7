// The sample generator: the committed sample is what it draws, and its
// checkerboard preview composites straight alpha.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/cli/png_fixtures.h"
#include "tests/cli/tool_runner.h"

namespace {

using ::testing::ElementsAre;

int RunMakeSample(const std::vector<std::string>& args) {
  return cli_test::RunProgram(MAKE_SAMPLE_PATH, args);
}

TEST(MakeSample, DrawsTheCommittedSample) {
  const cli_test::ScratchDir dir;
  ASSERT_EQ(RunMakeSample({(dir / "sample.png").string()}), 0);
  const cli_test::Image drawn = cli_test::ReadPng((dir / "sample.png").string());
  const cli_test::Image committed = cli_test::ReadPng(COMMITTED_SAMPLE_PATH);
  EXPECT_EQ(drawn.width, 640u);
  EXPECT_EQ(drawn.height, 360u);
  EXPECT_EQ(drawn.bit_depth, 8);
  EXPECT_TRUE(drawn.rgba == committed.rgba) << "regenerate samples/huesieve-sample.png";
}

TEST(MakeSample, SixteenBitSampleHasTheSameShapes) {
  const cli_test::ScratchDir dir;
  ASSERT_EQ(RunMakeSample({"--depth", "16", (dir / "sample.png").string()}), 0);
  const cli_test::Image drawn = cli_test::ReadPng((dir / "sample.png").string());
  EXPECT_EQ(drawn.bit_depth, 16);
  // The centre of the red disc, 0.86, 0.16, 0.14 of full scale.
  const std::size_t centre = drawn.Index(120, 120);
  EXPECT_THAT(std::vector<std::uint16_t>(drawn.rgba.begin() + static_cast<long>(centre),
                                         drawn.rgba.begin() + static_cast<long>(centre) + 4),
              ElementsAre(56360, 10486, 9175, 65535));
}

// Transparent shows the light grey square at the top left (0.6 of 255 = 153),
// opaque shows its own colour, half covered mixes the two.
TEST(MakeSample, CheckerboardShowsThroughTransparentPixels) {
  const cli_test::ScratchDir dir;
  cli_test::WritePng((dir / "in.png").string(),
                          {3, 1, 8, {10, 20, 30, 0, 10, 20, 30, 255, 255, 255, 255, 51}});
  ASSERT_EQ(
      RunMakeSample({"--checkerboard", (dir / "in.png").string(), (dir / "out.png").string()}), 0);
  // 255 × 0.2 + 153 × 0.8 = 173.4
  EXPECT_THAT(cli_test::ReadPng((dir / "out.png").string()).rgba,
              ElementsAre(153, 153, 153, 255, 10, 20, 30, 255, 173, 173, 173, 255));
}

}  // namespace
