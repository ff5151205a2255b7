// TIFF files the reader must refuse from their header before taking the
// frame's memory, and write failures that must carry the system's reason
// whichever encoder met them.
#include <OpenImageIO/imageio.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "files/file_error.h"
#include "image/frame_buffer.h"
#include "image/image_files.h"
#include "tests/cli/png_fixtures.h"
#include "tests/cli/tool_runner.h"

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// A small little-endian TIFF of RGB samples in one strip, or in one tile.
std::vector<std::uint8_t> SmallTiff(const std::string& path, OIIO::TypeDesc type, bool tiled,
                                    const char* compression = "none", int size = 8) {
  OIIO::ImageSpec spec(size, size, 3, type);
  spec.attribute("compression", compression);
  spec.attribute("tiff:RowsPerStrip", size);
  if (tiled) {
    spec.tile_width = 16;
    spec.tile_height = 16;
  }
  std::vector<float> samples(static_cast<std::size_t>(size * size * 3), 0.5f);
  const std::unique_ptr<OIIO::ImageOutput> output = OIIO::ImageOutput::create(path);
  EXPECT_TRUE(output && output->open(path, spec)) << OIIO::geterror();
  EXPECT_TRUE(output->write_image(OIIO::TypeDesc::FLOAT, samples.data()));
  EXPECT_TRUE(output->close());
  std::vector<std::uint8_t> bytes = cli_test::ReadBytes(path);
  EXPECT_EQ(bytes.at(0), 'I') << "little-endian TIFF expected";
  return bytes;
}

// Sets the first directory's entry for `tag` to one LONG, `value`.
void SetTag(std::vector<std::uint8_t>& bytes, int tag, std::uint32_t value) {
  const auto word = [&](std::size_t at, int size) {
    std::uint32_t result = 0;
    for (int i = size - 1; i >= 0; --i) result = result << 8 | bytes.at(at + std::size_t(i));
    return result;
  };
  const std::size_t ifd = word(4, 4);
  const std::size_t entries = word(ifd, 2);
  for (std::size_t e = 0; e < entries; ++e) {
    const std::size_t at = ifd + 2 + 12 * e;
    if (static_cast<int>(word(at, 2)) != tag) continue;
    ASSERT_EQ(word(at + 4, 4), 1u) << "tag " << tag << " holds more than one value";
    bytes[at + 2] = 4;  // LONG
    bytes[at + 3] = 0;
    for (int i = 0; i < 4; ++i) bytes[at + 8 + std::size_t(i)] = std::uint8_t(value >> (8 * i));
    return;
  }
  FAIL() << "no tag " << tag;
}

struct HostileTiff {
  const char* name;
  bool tiled;
  int tag;
  std::uint32_t value;  // 0: the file's size plus one
  const char* message;  // after the file's name
  // libtiff estimates the byte counts of uncompressed strips that look wrong
  const char* compression = "none";
};

void PrintTo(const HostileTiff& file, std::ostream* out) { *out << file.name; }

class HostileTiffs : public ::testing::TestWithParam<HostileTiff> {};

TEST_P(HostileTiffs, AreRefusedBeforeTheFrameTakesMemory) {
  const HostileTiff& hostile = GetParam();
  cli_test::ScratchDir dir;
  const std::string path = (dir / "hostile.tif").string();
  std::vector<std::uint8_t> bytes =
      SmallTiff(path, OIIO::TypeDesc::UINT8, hostile.tiled, hostile.compression);
  SetTag(bytes, hostile.tag,
         hostile.value != 0 ? hostile.value : static_cast<std::uint32_t>(bytes.size() + 1));
  cli_test::WriteBytes(path, bytes);
  huesieve::image::FrameBuffer frame;
  EXPECT_THAT([&] { huesieve::image::ReadImageFile(path, std::uint64_t{1} << 28, frame); },
              ::testing::ThrowsMessage<huesieve::files::FileError>(
                  StartsWith(path + ": " + hostile.message)));
  EXPECT_EQ(frame.capacity(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, HostileTiffs,
    ::testing::Values(HostileTiff{"StripOffsetPastTheEnd", false, 273, 0, "strip 0 claims bytes "},
                      HostileTiff{"StripByteCountPastTheEnd", false, 279, 0x7FFFFFFF,
                                  "strip 0 claims bytes ", "lzw"},
                      HostileTiff{"TileOffsetPastTheEnd", true, 324, 0, "tile 0 claims bytes "},
                      HostileTiff{"TileFarLargerThanTheImage", true, 322, 65536,
                                  "tiles of 65536 x 16 pixels do not fit the image"},
                      HostileTiff{"HugeImage", false, 256, 0x7FFFFFFF,
                                  "image of 2147483647 x 8 pixels exceeds the limit of "}),
    [](const ::testing::TestParamInfo<HostileTiff>& file) { return std::string(file.param.name); });

TEST(TiffSamples, SignedIntegersAreRefusedByName) {
  cli_test::ScratchDir dir;
  const std::string path = (dir / "signed.tif").string();
  SmallTiff(path, OIIO::TypeDesc::INT16, false);
  huesieve::image::FrameBuffer frame;
  EXPECT_THAT([&] { huesieve::image::ReadImageFile(path, std::uint64_t{1} << 28, frame); },
              ::testing::ThrowsMessage<huesieve::files::FileError>(
                  path + ": 16-bit signed integer samples are not supported; read 8 and 16-bit "
                         "integer and 32-bit floating-point samples"));
}

// A write that fails names the system's reason, through every encoder: the
// file is encoded in memory for a device (/dev/full), straight into the
// file otherwise (a size limit the system enforces).
class WriteFailures : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    in_ = (dir_ / (std::string("in") + GetParam())).string();
    // Noise, which no encoder compresses much.
    cli_test::Image image{128, 128, 16, {}};
    std::mt19937 random(5);
    for (std::size_t i = 0; i < 128 * 128 * 4; ++i) {
      image.rgba.push_back(static_cast<std::uint16_t>(random()));
    }
    if (std::string_view(GetParam()) == ".png") {
      cli_test::WritePng(in_, image);
    } else {
      OIIO::ImageSpec spec(128, 128, 4, OIIO::TypeDesc::UINT16);
      spec.attribute("compression", "none");
      const std::unique_ptr<OIIO::ImageOutput> output = OIIO::ImageOutput::create(in_);
      ASSERT_TRUE(output && output->open(in_, spec));
      ASSERT_TRUE(output->write_image(OIIO::TypeDesc::UINT16, image.rgba.data()));
      ASSERT_TRUE(output->close());
    }
  }
  cli_test::ScratchDir dir_;
  std::string in_;
};

TEST_P(WriteFailures, AFullDeviceSaysSo) {
  const std::string out = (dir_ / (std::string("full") + GetParam())).string();
  std::filesystem::create_symlink("/dev/full", out);
  const cli_test::ToolResult result = cli_test::RunTool({in_, out});
  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.err, HasSubstr(out + ": No space left on device"));
}

TEST_P(WriteFailures, AFileSizeLimitSaysSoAndLeavesNothingBehind) {
  const std::string out = (dir_ / (std::string("out") + GetParam())).string();
  // 8 KiB; the signal the limit raises is ignored, so writes fail instead.
  const cli_test::ToolResult result =
      cli_test::RunShell("trap '' XFSZ; ulimit -f 8; " + cli_test::ToolCommand({in_, out}));
  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.err, HasSubstr(out + ": File too large"));
  EXPECT_THAT(dir_.Names(), ::testing::ElementsAre(std::string("in") + GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Formats, WriteFailures, ::testing::Values(".png", ".tif"),
                         [](const ::testing::TestParamInfo<const char*>& format) {
                           return std::string(format.param + 1);
                         });

}  // namespace
