// The built tool on footage: image sequences, raw streams, parallel frames,
// progress, and how a run of frames fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/cli/png_fixtures.h"
#include "tests/cli/tool_runner.h"

namespace {

using cli_test::Quote;
using cli_test::RunShell;
using cli_test::RunTool;
using cli_test::ToolCommand;
using cli_test::ToolResult;
using cli_test::Image;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::MatchesRegex;
using ::testing::Not;

const std::vector<std::string> kEffect = {"--enable",       "--entry",           "1:C03020:90:40",
                                          "--entry",        "2:20A040:60:0:off", "--entry",
                                          "3:3060C0:120:70"};

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// Frames of random colours near the entries' and elsewhere, each its own.
Image RandomFrame(std::uint32_t width, std::uint32_t height, int depth, unsigned seed) {
  std::mt19937 random(seed);
  const int maximum = depth == 16 ? 65535 : 255;
  Image image{width, height, depth, {}};
  for (std::uint32_t i = 0; i < width * height * 4; ++i) {
    image.rgba.push_back(
        static_cast<std::uint16_t>(std::uniform_int_distribution(0, maximum)(random)));
  }
  // A block of the first entry's colour, so that something is kept.
  for (std::uint32_t y = height / 4; y < height / 2; ++y) {
    for (std::uint32_t x = width / 4; x < width / 2; ++x) {
      std::uint16_t* p = &image.rgba[image.Index(x, y)];
      p[0] = static_cast<std::uint16_t>(0xC0 * maximum / 255);
      p[1] = static_cast<std::uint16_t>(0x30 * maximum / 255);
      p[2] = static_cast<std::uint16_t>(0x20 * maximum / 255);
    }
  }
  return image;
}

// The frame's samples as raw video carries them: 8-bit, or 16-bit
// little-endian.
std::vector<std::uint8_t> RawBytes(const Image& image) {
  std::vector<std::uint8_t> bytes;
  for (const std::uint16_t sample : image.rgba) {
    bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
    if (image.bit_depth == 16) bytes.push_back(static_cast<std::uint8_t>(sample >> 8));
  }
  return bytes;
}

// A frame of a raw stream the tool wrote, as unsigned bytes.
std::vector<std::uint8_t> FrameOf(const std::string& stream, std::size_t index,
                                  std::size_t frame_bytes) {
  const auto first = stream.begin() + static_cast<long>(index * frame_bytes);
  return {first, first + static_cast<long>(frame_bytes)};
}

class Footage : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  void WriteFrames(const std::string& pattern, const std::vector<int>& numbers,
                   const std::vector<Image>& frames) const {
    for (std::size_t i = 0; i < numbers.size(); ++i) {
      char name[256];
      std::snprintf(name, sizeof name, pattern.c_str(), numbers[i]);
      cli_test::WritePng(Path(name), frames[i]);
    }
  }

  std::vector<std::uint8_t> Bytes(const std::string& name) const {
    return cli_test::ReadBytes(dir_ / name);
  }

  cli_test::ScratchDir dir_;
};

// Sequences.

// A type the output's format does not hold is written at the nearest it
// does: said once a run, naming the first file written so, and the run
// succeeds.
TEST_F(Footage, ANoteOnTheWrittenTypeIsToldOnceARun) {
  WriteFrames("shot.%04d.png", {1, 2, 3},
              {RandomFrame(4, 4, 16, 1), RandomFrame(4, 4, 16, 2), RandomFrame(4, 4, 16, 3)});
  const ToolResult result = RunTool(With(kEffect, {"-q", "-j", "1", "--output-type", "half",
                                                   Path("shot.####.png"), Path("key.####.png")}));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "huesieve-render: " + Path("key.0001.png") +
                            ": --output-type half: written as uint8, the nearest type PNG holds\n");
  EXPECT_EQ(cli_test::ReadPng(Path("key.0003.png")).bit_depth, 8);

  // A type the format holds goes without a note.
  const ToolResult kept = RunTool(With(kEffect, {"-q", "--output-type", "uint16",
                                                 Path("shot.####.png"), Path("wide.####.png")}));
  EXPECT_EQ(kept.status, 0);
  EXPECT_EQ(kept.err, "");
}

TEST_F(Footage, SequenceRendersEveryMatchingFrameUnderItsOwnNumber) {
  const std::vector<Image> frames = {RandomFrame(9, 7, 8, 1), RandomFrame(9, 7, 8, 2),
                                     RandomFrame(5, 3, 16, 3)};
  WriteFrames("shot.%04d.png", {1001, 1002, 10005}, frames);
  // Not frames of the pattern: too few digits, padding beyond the field, other names.
  cli_test::WritePng(Path("shot.01.png"), frames[0]);
  cli_test::WritePng(Path("shot.01003.png"), frames[0]);
  std::filesystem::copy_file(Path("shot.01.png"), Path("shot.1004.png.bak"));

  const ToolResult result =
      RunTool(With(kEffect, {"-q", Path("shot.####.png"), Path("key.%04d.png")}));
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  for (const auto& [frame, single] :
       {std::pair{"1001", 0}, std::pair{"1002", 1}, std::pair{"10005", 2}}) {
    const std::string name = std::string("single-") + frame + ".png";
    ASSERT_EQ(
        RunTool(With(kEffect, {Path(std::string("shot.") + frame + ".png"), Path(name)})).status,
        0);
    EXPECT_EQ(Bytes(std::string("key.") + frame + ".png"), Bytes(name)) << "frame " << frame;
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ / "key.0001.png"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "key.1003.png"));
}

TEST_F(Footage, FrameRangeRendersOnlyItsFrames) {
  WriteFrames("in.%d.png", {1, 2, 3, 4}, std::vector<Image>(4, RandomFrame(4, 4, 8, 7)));
  const ToolResult result =
      RunTool({"--frames", "2-3", "-q", Path("in.%d.png"), Path("out.%03d.png")});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_THAT(dir_.Names(), ElementsAre("in.1.png", "in.2.png", "in.3.png", "in.4.png",
                                        "out.002.png", "out.003.png"));
}

TEST_F(Footage, MissingFrameInTheRangeFailsBeforeAnyFrameIsWritten) {
  WriteFrames("in.%04d.png", {1, 2, 3, 5}, std::vector<Image>(4, RandomFrame(4, 4, 8, 7)));
  const ToolResult result = RunTool({"--frames", "1-5", Path("in.####.png"), Path("out.####.png")});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "huesieve-render: " + Path("in.0004.png") + ": frame 4 of 1-5 is missing\n");
  EXPECT_THAT(dir_.Names(), Not(::testing::Contains(::testing::StartsWith("out"))));
}

TEST_F(Footage, PatternMatchingNoFileIsAnError) {
  const ToolResult result = RunTool({Path("in.####.png"), Path("out.####.png")});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "huesieve-render: no files match " + Path("in.####.png") + "\n");
}

// A failed frame stops the run; the message names the earliest frame that
// failed, even when a later one failed first on another worker.
TEST_F(Footage, FailedFrameStopsTheRunAndIsNamed) {
  WriteFrames("in.%d.png", {1, 2, 3, 4, 5, 6}, std::vector<Image>(6, RandomFrame(32, 32, 8, 9)));
  for (const char* name : {"in.3.png", "in.4.png"}) {
    const std::vector<std::uint8_t> whole = Bytes(name);
    cli_test::WriteBytes(dir_ / name, {whole.begin(), whole.begin() + 60});
  }
  for (const char* jobs : {"1", "2"}) {
    const ToolResult result =
        RunTool({"--jobs", jobs, Path("in.%d.png"), Path(std::string("out") + jobs + ".%d.png")});
    EXPECT_EQ(result.status, 1);
    // The tool's one line, after what the PNG library may have said.
    EXPECT_THAT(result.err, ::testing::EndsWith("huesieve-render: " + Path("in.3.png") +
                                                ": file is truncated\n"))
        << "--jobs " << jobs;
    EXPECT_TRUE(std::filesystem::exists(dir_ / (std::string("out") + jobs + ".2.png")));
    EXPECT_FALSE(std::filesystem::exists(dir_ / (std::string("out") + jobs + ".3.png")));
  }
  // One frame at a time, nothing after the failed frame was begun.
  EXPECT_FALSE(std::filesystem::exists(dir_ / "out1.5.png"));
}

// Parallel frames come out byte for byte as one at a time does.

TEST_F(Footage, ParallelSequenceEqualsSerial) {
  std::vector<Image> frames;
  for (unsigned i = 0; i < 6; ++i) {
    frames.push_back(RandomFrame(40 + i, 30 - i, i % 3 == 0 ? 16 : 8, 100 + i));
  }
  WriteFrames("in.%02d.png", {1, 2, 3, 4, 5, 6}, frames);
  ASSERT_EQ(RunTool(With(kEffect, {"-j", "1", Path("in.##.png"), Path("serial.##.png")})).status,
            0);
  ASSERT_EQ(RunTool(With(kEffect, {"-j", "3", Path("in.##.png"), Path("parallel.##.png")})).status,
            0);
  for (int frame = 1; frame <= 6; ++frame) {
    // Appended piece by piece: GCC 12 at -O3 wrongly sees an overlapping copy
    // in a chain of string concatenations here.
    const auto name = [frame](const char* stem) {
      std::string path = stem;
      path += ".0";
      path += std::to_string(frame);
      path += ".png";
      return path;
    };
    const std::vector<std::uint8_t> serial = Bytes(name("serial"));
    ASSERT_FALSE(serial.empty()) << "frame " << frame;
    EXPECT_EQ(serial, Bytes(name("parallel"))) << "frame " << frame;
  }
}

// Raw streams.

struct StreamCase {
  int depth;
  const char* jobs;
};

void PrintTo(const StreamCase& stream, std::ostream* out) {
  *out << stream.depth << "-bit, --jobs " << stream.jobs;
}

class RawStream : public Footage, public ::testing::WithParamInterface<StreamCase> {
 protected:
  static constexpr std::uint32_t kWidth = 24;
  static constexpr std::uint32_t kHeight = 10;

  void SetUp() override {
    for (unsigned i = 0; i < 5; ++i)
      frames_.push_back(RandomFrame(kWidth, kHeight, depth(), 40 + i));
    std::vector<std::uint8_t> stream;
    for (const Image& frame : frames_) {
      const std::vector<std::uint8_t> bytes = RawBytes(frame);
      stream.insert(stream.end(), bytes.begin(), bytes.end());
    }
    cli_test::WriteBytes(dir_ / "in.raw", stream);
  }

  int depth() const { return GetParam().depth; }
  std::size_t frame_bytes() const { return kWidth * kHeight * 4 * (depth() == 16 ? 2u : 1u); }

  std::vector<std::string> RawArgs() const {
    return With(kEffect, {"--raw", "24x10", "--raw-depth", std::to_string(depth()), "--jobs",
                          GetParam().jobs});
  }

  // What the PNG path makes of frame i, as raw bytes.
  std::vector<std::uint8_t> PngPathFrame(std::size_t i) const {
    const std::string in = Path("frame" + std::to_string(i) + ".png");
    const std::string out = Path("rendered" + std::to_string(i) + ".png");
    cli_test::WritePng(in, frames_[i]);
    EXPECT_EQ(RunTool(With(kEffect, {in, out})).status, 0);
    return RawBytes(cli_test::ReadPng(out));
  }

  std::vector<Image> frames_;
};

TEST_P(RawStream, FramesEqualThePngPathInInputOrder) {
  const ToolResult result =
      RunShell(ToolCommand(With(RawArgs(), {"-", "-"})) + " <" + Quote(Path("in.raw")));
  ASSERT_EQ(result.status, 0) << result.err;
  ASSERT_EQ(result.out.size(), 5 * frame_bytes());
  EXPECT_THAT(result.err,
              MatchesRegex("huesieve-render: 5 frames in [0-9.]+ s, [0-9.]+ frames/s\n"));
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(FrameOf(result.out, i, frame_bytes()), PngPathFrame(i)) << "frame " << i + 1;
  }
}

// Nothing of a partial final frame is written; the frames before it are.
TEST_P(RawStream, PartialFinalFrameIsAnErrorNamingIt) {
  const std::string partial =
      "head -c " + std::to_string(3 * frame_bytes() + 100) + " " + Quote(Path("in.raw")) + " | ";
  // A file output is written whole or not at all.
  const ToolResult to_file =
      RunShell(partial + ToolCommand(With(RawArgs(), {"-", Path("out.raw")})));
  EXPECT_EQ(to_file.status, 1);
  EXPECT_THAT(dir_.Names(), ElementsAre("in.raw"));

  const ToolResult result = RunShell(partial + ToolCommand(With(RawArgs(), {"-", "-"})));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "huesieve-render: standard input: frame 4 is incomplete: 100 of " +
                            std::to_string(frame_bytes()) + " bytes\n");
  ASSERT_EQ(result.out.size(), 3 * frame_bytes());
  EXPECT_EQ(FrameOf(result.out, 2, frame_bytes()), PngPathFrame(2));
}

// The reader of the output goes away: the run ends at once, quietly.
TEST_P(RawStream, BrokenPipeEndsTheRunQuietly) {
  std::vector<std::uint8_t> many;
  const std::vector<std::uint8_t> five = cli_test::ReadBytes(dir_ / "in.raw");
  // Megabytes more than a pipe holds, even one the tool widens to 1 MiB, so
  // that the tool is still writing when the reader goes.
  for (int i = 0; i < 1200; ++i) many.insert(many.end(), five.begin(), five.end());
  cli_test::WriteBytes(dir_ / "many.raw", many);
  const ToolResult result = RunShell(ToolCommand(With(RawArgs(), {Path("many.raw"), "-"})) +
                                     " | head -c 10 >/dev/null; exit ${PIPESTATUS[0]}");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "");
}

TEST_P(RawStream, EmptyStreamIsZeroFrames) {
  const ToolResult result = RunShell(ToolCommand(With(RawArgs(), {"-", Path("out.raw")})));
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_THAT(result.err, HasSubstr("0 frames in"));
  EXPECT_THAT(Bytes("out.raw"), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(DepthsAndJobs, RawStream,
                         ::testing::Values(StreamCase{8, "1"}, StreamCase{8, "3"},
                                           StreamCase{16, "1"}, StreamCase{16, "3"}),
                         [](const ::testing::TestParamInfo<StreamCase>& param_info) {
                           return "Depth" + std::to_string(param_info.param.depth) + "Jobs" +
                                  param_info.param.jobs;
                         });

TEST_F(Footage, RawFramesOverThePixelLimitAreRefused) {
  const ToolResult result =
      RunShell(ToolCommand({"--raw", "100x100", "--max-pixels", "9999", "-", "-"}));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "huesieve-render: --raw 100x100: image of 100 x 100 pixels exceeds the limit of 9999 "
            "pixels\n");
}

// Progress: a live line on a terminal only, a summary unless --quiet.

TEST_F(Footage, ProgressLineAppearsOnATerminal) {
  WriteFrames("in.%d.png", {1, 2, 3}, std::vector<Image>(3, RandomFrame(8, 8, 8, 5)));
  const ToolResult result =
      cli_test::RunToolOnTerminal({"-j", "1", Path("in.%d.png"), Path("out.%d.png")});
  ASSERT_EQ(result.status, 0) << result.err;
  // Drawn at once for the first frame, over itself with a carriage return,
  // and erased before the summary.
  EXPECT_THAT(result.err, HasSubstr("\rframe 1 of 3, "));
  EXPECT_THAT(result.err, HasSubstr(" left\x1b[K"));
  EXPECT_THAT(result.err, HasSubstr("\r\x1b[Khuesieve-render: 3 frames in "));
}

TEST_F(Footage, ProgressLineOfAStreamHasNoTotal) {
  cli_test::WriteBytes(dir_ / "in.raw", std::vector<std::uint8_t>(2 * 4 * 4 * 4, 77));
  const ToolResult result =
      cli_test::RunToolOnTerminal({"--raw", "4x4", Path("in.raw"), Path("out.raw")});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_THAT(result.err, HasSubstr("\rframe 1, "));
  EXPECT_THAT(result.err, HasSubstr("huesieve-render: 2 frames in "));
}

TEST_F(Footage, NoProgressLineOnAPipe) {
  WriteFrames("in.%d.png", {1, 2, 3}, std::vector<Image>(3, RandomFrame(8, 8, 8, 5)));
  const ToolResult result = RunTool({Path("in.%d.png"), Path("out.%d.png")});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_THAT(result.err,
              MatchesRegex("huesieve-render: 3 frames in [0-9.]+ s, [0-9.]+ frames/s\n"));
}

TEST_F(Footage, QuietShowsNothingEvenOnATerminal) {
  WriteFrames("in.%d.png", {1, 2}, std::vector<Image>(2, RandomFrame(8, 8, 8, 5)));
  const ToolResult result =
      cli_test::RunToolOnTerminal({"--quiet", Path("in.%d.png"), Path("out.%d.png")});
  ASSERT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(std::filesystem::exists(dir_ / "out.2.png"));
}

}  // namespace
