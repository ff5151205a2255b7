// The whole video pipeline with Debian's ffmpeg as the real client: a short
// synthetic clip decoded to raw RGBA, piped through the tool and encoded
// again, gives frames equal bit for bit to the PNG path's output for the same
// frames.
#include <gtest/gtest.h>

#include <string>

#include "tests/cli/png_fixtures.h"
#include "tests/cli/tool_runner.h"

namespace {

using cli_test::Quote;
using cli_test::RunShell;
using cli_test::ToolCommand;
using cli_test::ToolResult;

struct PixelFormat {
  int depth;
  const char* png;  // ffmpeg's pixel format for PNG frames
  const char* raw;  // and for the raw stream
};

void PrintTo(const PixelFormat& format, std::ostream* out) { *out << format.png; }

class FfmpegRoundTrip : public ::testing::TestWithParam<PixelFormat> {
 protected:
  void SetUp() override {
    ASSERT_EQ(RunShell("command -v ffmpeg").status, 0)
        << "ffmpeg is not installed; scripts/setup.sh installs it";
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // Runs a shell pipeline; fails the test on a non-zero status.
  void Pipeline(const std::string& script) const {
    const ToolResult result = RunShell(script);
    ASSERT_EQ(result.status, 0) << script << "\n" << result.err;
  }

  cli_test::ScratchDir dir_;
};

TEST_P(FfmpegRoundTrip, VideoThroughTheToolEqualsThePngPath) {
  const PixelFormat& format = GetParam();
  const std::string ffmpeg = "ffmpeg -nostdin -v error -y ";
  // The test pattern's saturated yellow and cyan kept, its magenta cleared.
  const std::vector<std::string> effect = {"--enable",         "--entry",        "1:FFFF00:40:50",
                                           "--entry",          "2:00FFFF:40:20", "--entry",
                                           "3:FF00FF:40:0:off"};
  // A clip of 6 frames, losslessly encoded.
  Pipeline(ffmpeg + "-f lavfi -i testsrc2=size=96x54:rate=25 -frames:v 6 -pix_fmt " + format.png +
           " -c:v png " + Quote(Path("clip.mov")));

  // The PNG path: the clip's frames as PNG files, rendered as a sequence.
  Pipeline(ffmpeg + "-i " + Quote(Path("clip.mov")) + " -pix_fmt " + format.png + " " +
           Quote(Path("frame.%04d.png")));
  std::vector<std::string> sequence = effect;
  sequence.insert(sequence.end(), {"-q", Path("frame.%04d.png"), Path("keyed.%04d.png")});
  Pipeline(ToolCommand(sequence));

  // The video path: decoded to raw frames, through the tool, encoded again.
  std::vector<std::string> stream = effect;
  stream.insert(stream.end(), {"-q", "--raw", "96x54", "--raw-depth", std::to_string(format.depth),
                               "--jobs", "2", "-", "-"});
  const std::string raw = std::string(" -f rawvideo -pix_fmt ") + format.raw;
  Pipeline("set -o pipefail; " + ffmpeg + "-i " + Quote(Path("clip.mov")) + raw + " - | " +
           ToolCommand(stream) + " | " + ffmpeg + raw + " -s 96x54 -r 25 -i - -c:v png -pix_fmt " +
           format.png + " " + Quote(Path("keyed.mov")));
  Pipeline(ffmpeg + "-i " + Quote(Path("keyed.mov")) + " -pix_fmt " + format.png + " " +
           Quote(Path("video.%04d.png")));

  int kept = 0;
  for (int frame = 1; frame <= 6; ++frame) {
    char number[8];
    std::snprintf(number, sizeof number, "%04d", frame);
    const cli_test::Image from_png =
        cli_test::ReadPng(Path(std::string("keyed.") + number + ".png"));
    const cli_test::Image from_video =
        cli_test::ReadPng(Path(std::string("video.") + number + ".png"));
    EXPECT_EQ(from_video.bit_depth, format.depth);
    EXPECT_EQ(from_video.width, 96u);
    EXPECT_TRUE(from_png.rgba == from_video.rgba) << "frame " << frame;
    for (std::size_t i = 3; i < from_png.rgba.size(); i += 4) kept += from_png.rgba[i] != 0;
  }
  // The entries keep part of the test pattern, not nothing and not all.
  EXPECT_GT(kept, 6 * 96 * 54 / 50);
  EXPECT_LT(kept, 6 * 96 * 54 / 2);
}

INSTANTIATE_TEST_SUITE_P(Depths, FfmpegRoundTrip,
                         ::testing::Values(PixelFormat{8, "rgba", "rgba"},
                                           PixelFormat{16, "rgba64be", "rgba64le"}),
                         [](const ::testing::TestParamInfo<PixelFormat>& param_info) {
                           return "Depth" + std::to_string(param_info.param.depth);
                         });

}  // namespace
