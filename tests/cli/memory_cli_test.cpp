// The tool's memory follows the data and the frames actually needed: a header
// that claims gigabytes costs nothing, a frame costs about itself, and the
// pixel limit is the user's to set.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/cli/png_fixtures.h"
#include "tests/cli/tool_runner.h"

namespace {

using cli_test::RunShell;
using cli_test::RunTool;
using cli_test::ToolCommand;
using cli_test::ToolResult;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;  // the sanitizers reserve terabytes of addresses
#else
constexpr bool kSanitized = false;
#endif

// The tool with its address space limited to `mebibytes`.
ToolResult RunToolWithin(int mebibytes, const std::vector<std::string>& args) {
  return RunShell("ulimit -v " + std::to_string(mebibytes * 1024) + " && " + ToolCommand(args));
}

// The least address space, to 8 MiB, in which the tool renders a 2 × 2
// image: the program and its libraries (OpenImageIO brings a few hundred
// MiB of mappings, which differ from one system to another).
int BaselineMebibytes() {
  static const int baseline = [] {
    const cli_test::ScratchDir dir;
    const std::string in = (dir / "in.png").string();
    cli_test::WritePng(in, {2, 2, 16, std::vector<std::uint16_t>(16, 300)});
    int fails = 8;
    int renders = 8192;
    while (renders - fails > 8) {
      const int middle = (fails + renders) / 2;
      const bool rendered =
          RunToolWithin(middle, {"--enable", in, (dir / "out.png").string()}).status == 0;
      (rendered ? renders : fails) = middle;
    }
    return renders;
  }();
  return baseline;
}

struct HostileHeader {
  const char* name;
  std::uint32_t width;
  std::uint32_t height;
  int bit_depth;
  bool interlaced;
};

void PrintTo(const HostileHeader& header, std::ostream* out) { *out << header.name; }

class HostileHeaderCli : public ::testing::TestWithParam<HostileHeader> {
 protected:
  cli_test::ScratchDir dir_;
};

// Each header claims up to 2 GiB of pixels, within the default pixel limit,
// and the file ends after a few bytes of image data: the run fails on the
// data, within 64 MiB of address space beyond the program's, and writes
// nothing. (An interlaced PNG is decoded whole by the library, which then
// cannot take the memory it claims.)
TEST_P(HostileHeaderCli, FailsOnTheMissingDataWithoutTakingTheClaimedMemory) {
  if (kSanitized) GTEST_SKIP() << "address-space limits do not apply under the sanitizers";
  const HostileHeader& header = GetParam();
  const std::string in = (dir_ / "hostile.png").string();
  cli_test::WriteBytes(in, cli_test::HeaderOnlyPng(header.width, header.height, header.bit_depth,
                                                   header.interlaced));
  const ToolResult result = RunToolWithin(
      BaselineMebibytes() + 64,
      {"--enable", "--entry", "1:FF0000:20:0", in, (dir_ / "out.png").string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.err, ::testing::HasSubstr("huesieve-render: " + in + ": "));
  EXPECT_THAT(dir_.Names(), ::testing::ElementsAre("hostile.png"));
}

INSTANTIATE_TEST_SUITE_P(Headers, HostileHeaderCli,
                         ::testing::Values(HostileHeader{"Square16Bit", 16384, 16384, 16, false},
                                           HostileHeader{"Square8Bit", 16384, 16384, 8, false},
                                           HostileHeader{"Interlaced16Bit", 16384, 16384, 16, true},
                                           HostileHeader{"OneHugeRow", 268435, 1000, 8, false}),
                         [](const ::testing::TestParamInfo<HostileHeader>& param_info) {
                           return param_info.param.name;
                         });

// Headers whose claims the libraries that read them take memory by as they
// open the file, before anything can be checked: a DPX file's user data
// (past 2 GiB the library stops the process) and an OpenEXR attribute's
// size (up to 2 GiB). The tool refuses such a claim before the library sees it, within
// 64 MiB beyond the program's own.
struct HostileClaim {
  const char* name;
  const char* extension;
  std::size_t (*at)(const std::vector<std::uint8_t>& file);  // the claim's 4 bytes
  std::uint32_t claim;
  const char* message;  // before the file's size
};

void PrintTo(const HostileClaim& claim, std::ostream* out) { *out << claim.name; }

std::size_t DpxUserDataSize(const std::vector<std::uint8_t>&) { return 32; }

// The size of the string attribute "Huesieve:Shot".
std::size_t ExrAttributeSize(const std::vector<std::uint8_t>& file) {
  const std::string_view name("Huesieve:Shot\0string\0", 21);
  const auto found = std::search(file.begin(), file.end(), name.begin(), name.end(),
                                 [](std::uint8_t byte, char c) { return byte == std::uint8_t(c); });
  return static_cast<std::size_t>(found - file.begin()) + name.size();
}

class HostileClaimCli : public ::testing::TestWithParam<HostileClaim> {};

TEST_P(HostileClaimCli, IsRefusedBeforeTheReaderTakesTheClaimedMemory) {
  if (kSanitized) GTEST_SKIP() << "address-space limits do not apply under the sanitizers";
  const cli_test::ScratchDir dir;
  const std::string in = (dir / (std::string("hostile") + GetParam().extension)).string();
  {
    OIIO::ImageSpec spec(8, 8, 3, OIIO::TypeDesc::UINT16);
    spec.attribute("Huesieve:Shot", "sq010_0420");
    const std::vector<std::uint16_t> samples(8 * 8 * 3, 1000);
    const std::unique_ptr<OIIO::ImageOutput> output = OIIO::ImageOutput::create(in);
    ASSERT_TRUE(output && output->open(in, spec));
    ASSERT_TRUE(output->write_image(OIIO::TypeDesc::UINT16, samples.data()));
    ASSERT_TRUE(output->close());
  }
  std::vector<std::uint8_t> bytes = cli_test::ReadBytes(in);
  const bool big_endian = bytes.at(0) == 'S';  // DPX's "SDPX"; OpenEXR is little-endian
  const std::size_t at = GetParam().at(bytes);
  for (int i = 0; i < 4; ++i) {
    bytes.at(at + std::size_t(i)) =
        std::uint8_t(GetParam().claim >> (8 * (big_endian ? 3 - i : i)));
  }
  cli_test::WriteBytes(in, bytes);
  const ToolResult result =
      RunToolWithin(BaselineMebibytes() + 64, {in, (dir / "out.png").string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "huesieve-render: " + in + ": " + GetParam().message +
                            std::to_string(bytes.size()) + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Formats, HostileClaimCli,
    ::testing::Values(
        HostileClaim{"DpxUserData", ".dpx", DpxUserDataSize, 3u << 30,
                     "the header claims 3221225472 bytes of user data, more than the file's "},
        HostileClaim{"ExrAttribute", ".exr", ExrAttributeSize, (1u << 31) - 16,
                     "the header's attribute \"Huesieve:Shot\" claims 2147483632 bytes, more "
                     "than the file's "}),
    [](const ::testing::TestParamInfo<HostileClaim>& claim) {
      return std::string(claim.param.name);
    });

// A 2048 × 2048 16-bit frame is 32 MiB. The frame, rendered in place, and a
// band of rows of working set for the reader and the writer fit in 64 MiB
// beyond the program's own address space; the intermediate full-size copies
// of a whole-image reader and writer would not.
TEST(FrameMemoryCli, SixteenBitFrameRendersWithinTwoFramesOfAddressSpace) {
  if (kSanitized) GTEST_SKIP() << "address-space limits do not apply under the sanitizers";
  const cli_test::ScratchDir dir;
  cli_test::Image image{2048, 2048, 16, {}};
  image.rgba.resize(std::size_t{2048} * 2048 * 4);
  for (std::size_t i = 0; i < image.rgba.size(); ++i) {
    image.rgba[i] = static_cast<std::uint16_t>(i % 4 == 3 ? 65535 : (i * 2654435761u) >> 16);
  }
  const std::string in = (dir / "in.png").string(), out = (dir / "out.png").string();
  cli_test::WritePng(in, image);
  const ToolResult result = RunToolWithin(BaselineMebibytes() + 64,
                                          {"--enable", "--entry", "1:FF0000:60:30", in, out});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(cli_test::ReadPng(out).width, 2048u);
}

// The pixel limit.

class PixelLimitCli : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, std::uint32_t width, std::uint32_t height) const {
    const cli_test::Image image{width, height, 8,
                                     std::vector<std::uint16_t>(width * height * 4, 90)};
    cli_test::WritePng((dir_ / name).string(), image);
    return (dir_ / name).string();
  }

  cli_test::ScratchDir dir_;
};

TEST_F(PixelLimitCli, ImageOfExactlyTheLimitRenders) {
  const ToolResult result =
      RunTool({"--max-pixels", "12", Write("in.png", 4, 3), (dir_ / "out.png").string()});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(cli_test::ReadPng((dir_ / "out.png").string()).rgba.size(), 48u);
}

TEST_F(PixelLimitCli, OnePixelPastTheLimitIsRefusedWithSizeAndLimit) {
  const std::string in = Write("in.png", 4, 3);
  const ToolResult result = RunTool({"--max-pixels", "11", in, (dir_ / "out.png").string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "huesieve-render: " + in + ": image of 4 x 3 pixels exceeds the limit of 11 pixels\n");
  EXPECT_THAT(dir_.Names(), ::testing::ElementsAre("in.png"));
}

TEST_F(PixelLimitCli, DefaultLimitIsTwoToThe28th) {
  const std::string in = (dir_ / "wide.png").string();
  cli_test::WriteBytes(in, cli_test::HeaderOnlyPng(1 << 15, (1 << 13) + 1, 8, false));
  const ToolResult result = RunTool({in, (dir_ / "out.png").string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "huesieve-render: " + in +
                            ": image of 32768 x 8193 pixels exceeds the limit of 268435456 "
                            "pixels\n");
}

// In a sequence, frames within the limit render and the first beyond it stops
// the run, named.
TEST_F(PixelLimitCli, SequenceStopsAtTheFirstFrameBeyondTheLimit) {
  Write("in.1.png", 4, 3);
  const std::string second = Write("in.2.png", 13, 1);
  const ToolResult result = RunTool({"-j", "1", "--max-pixels", "12", (dir_ / "in.%d.png").string(),
                                     (dir_ / "out.%d.png").string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "huesieve-render: " + second +
                            ": image of 13 x 1 pixels exceeds the limit of 12 pixels\n");
  EXPECT_TRUE(std::filesystem::exists(dir_ / "out.1.png"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "out.2.png"));
}

}  // namespace
