#include "tools/huesieve-render/frame_sequence.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tools/huesieve-render/tool_errors.h"

namespace {

using huesieve::cli::FramePattern;
using huesieve::cli::UsageError;
using ::testing::Optional;

struct Worked {
  const char* pattern;
  std::uint64_t frame;
  const char* path;
};

void PrintTo(const Worked& worked, std::ostream* out) {
  *out << worked.pattern << " frame " << worked.frame;
}

class FramePatternPath : public ::testing::TestWithParam<Worked> {};

TEST_P(FramePatternPath, FormatsAndMatchesTheFrame) {
  const Worked& worked = GetParam();
  const std::optional<FramePattern> pattern = FramePattern::Parse(worked.pattern);
  ASSERT_TRUE(pattern.has_value());
  EXPECT_EQ(pattern->Path(worked.frame), worked.path);
  const std::string path = worked.path;
  EXPECT_THAT(pattern->Match(path.substr(path.rfind('/') + 1)), Optional(worked.frame));
}

INSTANTIATE_TEST_SUITE_P(Fields, FramePatternPath,
                         ::testing::Values(Worked{"shot.%04d.png", 12, "shot.0012.png"},
                                           Worked{"shot.%04d.png", 12345, "shot.12345.png"},
                                           Worked{"shot.####.png", 1001, "shot.1001.png"},
                                           Worked{"dir/shot.####.png", 7, "dir/shot.0007.png"},
                                           Worked{"#.png", 0, "0.png"},
                                           Worked{"#.png", 42, "42.png"}, Worked{"f%d", 9, "f9"},
                                           Worked{"a/b/%02d_x.png", 5, "a/b/05_x.png"},
                                           Worked{"100%.%02d.png", 3, "100%.03.png"}));

TEST(FramePattern, OnlyThePathItWritesMatches) {
  const FramePattern pattern = *FramePattern::Parse("in.%04d.png");
  EXPECT_EQ(pattern.Match("in.012.png"), std::nullopt);    // too few digits
  EXPECT_EQ(pattern.Match("in.01234.png"), std::nullopt);  // padded beyond the field
  EXPECT_EQ(pattern.Match("in..png"), std::nullopt);
  EXPECT_EQ(pattern.Match("in.12a4.png"), std::nullopt);
  EXPECT_EQ(pattern.Match("in.0012.png.bak"), std::nullopt);
  EXPECT_EQ(pattern.Match("xin.0012.png"), std::nullopt);
  EXPECT_EQ(pattern.Match("in.-012.png"), std::nullopt);
  const FramePattern plain = *FramePattern::Parse("in.%d.png");
  EXPECT_EQ(plain.Match("in.07.png"), std::nullopt);
  EXPECT_THAT(plain.Match("in.70.png"), Optional(70u));
}

TEST(FramePattern, TextWithoutAFieldIsASingleFile) {
  for (const char* text : {"in.png", "100%.png", "%5d.png", "%-4d.png", "%0d.png", "%04x.png"}) {
    EXPECT_EQ(FramePattern::Parse(text), std::nullopt) << text;
  }
}

TEST(FramePattern, TwoFieldsOrAFieldInTheDirectoryAreUsageErrors) {
  EXPECT_THROW(FramePattern::Parse("a.%04d.%04d.png"), UsageError);
  EXPECT_THROW(FramePattern::Parse("a.##.%d.png"), UsageError);
  EXPECT_THROW(FramePattern::Parse("shots.####/in.png"), UsageError);
}

}  // namespace
