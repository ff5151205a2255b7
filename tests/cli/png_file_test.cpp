// The PNG codec through the image library: every colour type and depth
// into straight RGBA, damaged files refused with libpng's words, memory
// taken as rows arrive, and files written whole at 8 and 16 bits.
#include "image/png_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <filesystem>

#include "files/file_error.h"
#include "image/frame_buffer.h"
#include "image/image_files.h"
#include "tests/cli/png_fixtures.h"

namespace {

using cli_test::DecodePng;
using cli_test::Image;
using PngError = huesieve::files::FileError;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

// Every PNG format comes out as straight RGBA of 8 or 16 bits.

Image Decode(const cli_test::RawPng& raw) { return DecodePng(cli_test::EncodePng(raw)); }

cli_test::RawPng Raw(std::uint32_t width, std::uint32_t height, int colour_type, int bit_depth,
                     std::vector<std::uint8_t> rows) {
  cli_test::RawPng raw;
  raw.width = width;
  raw.height = height;
  raw.colour_type = colour_type;
  raw.bit_depth = bit_depth;
  raw.rows = std::move(rows);
  return raw;
}

TEST(PngFormats, OneBitGreyWidensToBlackAndWhite) {
  const Image image = Decode(Raw(4, 1, PNG_COLOR_TYPE_GRAY, 1, {0b1011'0000}));
  EXPECT_EQ(image.bit_depth, 8);
  EXPECT_EQ(image.width, 4u);
  EXPECT_THAT(image.rgba, ElementsAre(255, 255, 255, 255, 0, 0, 0, 255,  //
                                      255, 255, 255, 255, 255, 255, 255, 255));
}

TEST(PngFormats, TwoAndFourBitGreyScaleToEightBits) {
  EXPECT_THAT(Decode(Raw(4, 1, PNG_COLOR_TYPE_GRAY, 2, {0b00'01'10'11})).rgba,
              ElementsAre(0, 0, 0, 255, 85, 85, 85, 255, 170, 170, 170, 255, 255, 255, 255, 255));
  EXPECT_THAT(Decode(Raw(2, 1, PNG_COLOR_TYPE_GRAY, 4, {0x3C})).rgba,
              ElementsAre(51, 51, 51, 255, 204, 204, 204, 255));
}

TEST(PngFormats, GreyTransparentColourBecomesAlpha) {
  cli_test::RawPng raw = Raw(2, 1, PNG_COLOR_TYPE_GRAY, 8, {7, 8});
  raw.has_trns_colour = true;
  raw.trns_grey = 7;
  EXPECT_THAT(Decode(raw).rgba, ElementsAre(7, 7, 7, 0, 8, 8, 8, 255));
}

TEST(PngFormats, SixteenBitGreyKeepsItsDepthAndByteOrder) {
  const Image image = Decode(Raw(2, 1, PNG_COLOR_TYPE_GRAY, 16, {0x12, 0x34, 0xFF, 0xFE}));
  EXPECT_EQ(image.bit_depth, 16);
  EXPECT_THAT(image.rgba,
              ElementsAre(0x1234, 0x1234, 0x1234, 65535, 0xFFFE, 0xFFFE, 0xFFFE, 65535));
}

TEST(PngFormats, SixteenBitGreyTransparentColourBecomesSixteenBitAlpha) {
  cli_test::RawPng raw = Raw(2, 1, PNG_COLOR_TYPE_GRAY, 16, {0x12, 0x34, 0x12, 0x35});
  raw.has_trns_colour = true;
  raw.trns_grey = 0x1234;
  EXPECT_THAT(Decode(raw).rgba,
              ElementsAre(0x1234, 0x1234, 0x1234, 0, 0x1235, 0x1235, 0x1235, 65535));
}

TEST(PngFormats, GreyWithAlphaSpreadsGreyOverRedGreenBlue) {
  EXPECT_THAT(Decode(Raw(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {10, 20})).rgba,
              ElementsAre(10, 10, 10, 20));
  EXPECT_THAT(Decode(Raw(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 16, {0x01, 0x02, 0x03, 0x04})).rgba,
              ElementsAre(0x0102, 0x0102, 0x0102, 0x0304));
}

TEST(PngFormats, PaletteWithPartialTransparencyTable) {
  // Three colours, alpha for the first two only: the third is opaque.
  cli_test::RawPng raw = Raw(4, 1, PNG_COLOR_TYPE_PALETTE, 2, {0b00'01'10'01});
  raw.palette = {200, 10, 20, 30, 40, 50, 1, 2, 3};
  raw.palette_alpha = {0, 128};
  const Image image = Decode(raw);
  EXPECT_EQ(image.bit_depth, 8);
  EXPECT_THAT(image.rgba, ElementsAre(200, 10, 20, 0, 30, 40, 50, 128, 1, 2, 3, 255,  //
                                      30, 40, 50, 128));
}

TEST(PngFormats, EightBitPaletteWithoutTransparencyIsOpaque) {
  cli_test::RawPng raw = Raw(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {1, 0});
  raw.palette = {9, 8, 7, 6, 5, 4};
  EXPECT_THAT(Decode(raw).rgba, ElementsAre(6, 5, 4, 255, 9, 8, 7, 255));
}

TEST(PngFormats, RgbTransparentColourBecomesAlpha) {
  cli_test::RawPng raw = Raw(2, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 1, 2, 4});
  raw.has_trns_colour = true;
  raw.trns_red = 1;
  raw.trns_green = 2;
  raw.trns_blue = 3;
  EXPECT_THAT(Decode(raw).rgba, ElementsAre(1, 2, 3, 0, 1, 2, 4, 255));
}

TEST(PngFormats, SixteenBitRgbGetsOpaqueSixteenBitAlpha) {
  EXPECT_THAT(Decode(Raw(1, 1, PNG_COLOR_TYPE_RGB, 16, {0x00, 0x01, 0x80, 0x00, 0xFF, 0xFF})).rgba,
              ElementsAre(1, 0x8000, 0xFFFF, 0xFFFF));
}

TEST(PngFormats, RgbaPassesThroughUnpremultiplied) {
  EXPECT_THAT(Decode(Raw(1, 1, PNG_COLOR_TYPE_RGBA, 8, {200, 100, 50, 0})).rgba,
              ElementsAre(200, 100, 50, 0));
  EXPECT_THAT(
      Decode(Raw(1, 1, PNG_COLOR_TYPE_RGBA, 16, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x00, 0x01}))
          .rgba,
      ElementsAre(0x0102, 0x0304, 0x0506, 0x0001));
}

TEST(PngFormats, InterlacedImageComesOutInRowOrder) {
  std::vector<std::uint8_t> rows;
  for (std::uint8_t i = 0; i < 9; ++i) rows.push_back(i * 10);
  cli_test::RawPng raw = Raw(3, 3, PNG_COLOR_TYPE_GRAY, 8, rows);
  raw.interlaced = true;
  EXPECT_THAT(Decode(raw).rgba,
              ElementsAreArray<std::uint16_t>({0,  0,  0,  255, 10, 10, 10, 255, 20, 20, 20, 255,
                                               30, 30, 30, 255, 40, 40, 40, 255, 50, 50, 50, 255,
                                               60, 60, 60, 255, 70, 70, 70, 255, 80, 80, 80, 255}));
}

// Damaged input is refused with a message, never a crash.

std::vector<std::uint8_t> ValidRgbPng() {
  std::vector<std::uint8_t> rows;
  for (int i = 0; i < 8 * 8 * 3; ++i) rows.push_back(static_cast<std::uint8_t>(i * 7));
  return cli_test::EncodePng(Raw(8, 8, PNG_COLOR_TYPE_RGB, 8, rows));
}

std::string DecodeError(const std::vector<std::uint8_t>& bytes) {
  try {
    DecodePng(bytes);
  } catch (const PngError& error) {
    return error.what();
  }
  return "no error";
}

TEST(PngDamage, TextIsNotAPng) {
  const std::string text = "this is not a picture";
  EXPECT_THAT(DecodeError({text.begin(), text.end()}), ::testing::StartsWith("not a PNG file"));
  EXPECT_THAT(DecodeError({}), ::testing::StartsWith("not a PNG file"));
}

TEST(PngDamage, EveryTruncationIsRefused) {
  const std::vector<std::uint8_t> whole = ValidRgbPng();
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const std::vector<std::uint8_t> part(whole.begin(), whole.begin() + static_cast<long>(size));
    ASSERT_NE(DecodeError(part), "no error") << "truncated to " << size << " bytes";
  }
  EXPECT_EQ(DecodeError(whole), "no error");
  EXPECT_EQ(DecodeError({whole.begin(), whole.begin() + 60}), "file is truncated");
}

TEST(PngDamage, DamagedHeaderIsReportedByLibpng) {
  std::vector<std::uint8_t> bytes = ValidRgbPng();
  bytes[20] ^= 0x40;  // the IHDR height; its CRC no longer matches
  EXPECT_THAT(DecodeError(bytes), HasSubstr("CRC error"));
}

TEST(PngDamage, DamagedPixelDataIsRefused) {
  std::vector<std::uint8_t> bytes = ValidRgbPng();
  bytes[bytes.size() - 20] ^= 0xFF;  // inside the image data or its CRC
  EXPECT_NE(DecodeError(bytes), "no error");
}

// A header claiming 20000 × 20000 pixels is refused before any pixel memory
// is taken (nor any image data read).
TEST(PngDamage, HugeImageIsRefusedFromItsHeader) {
  std::vector<std::uint8_t> bytes = {0x89, 'P', 'N',  'G',  0x0D, 0x0A, 0x1A, 0x0A, 0,    0,
                                     0,    13,  'I',  'H',  'D',  'R',  0,    0,    0x4E, 0x20,
                                     0,    0,   0x4E, 0x20, 8,    6,    0,    0,    0};
  const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, bytes.data() + 12, 17));
  for (int shift = 24; shift >= 0; shift -= 8)
    bytes.push_back(static_cast<std::uint8_t>(crc >> shift));
  // The header of an empty IDAT: libpng reads the header chunks up to here.
  bytes.insert(bytes.end(), {0, 0, 0, 0, 'I', 'D', 'A', 'T'});
  EXPECT_EQ(DecodeError(bytes),
            "image of 20000 x 20000 pixels exceeds the limit of 268435456 pixels");
}

// The frame takes memory as rows arrive.

// A header that claims 16384 rows of 128 KiB, interlaced or not, with a
// dozen bytes of data: the frame holds its first mapping, not the image.
TEST(PngRows, FileEndingEarlyTakesOnlyWhatItsDataFilled) {
  for (const bool interlaced : {false, true}) {
    cli_test::ScratchDir dir;
    cli_test::WriteBytes(dir / "short.png", cli_test::HeaderOnlyPng(16384, 16384, 16, interlaced));
    huesieve::image::FrameBuffer frame;
    EXPECT_THAT(
        [&] {
          huesieve::image::ReadImageFile((dir / "short.png").string(), std::uint64_t{1} << 28,
                                         frame);
        },
        ::testing::ThrowsMessage<PngError>(::testing::EndsWith("Not enough image data")))
        << (interlaced ? "interlaced" : "plain");
    EXPECT_LE(frame.capacity(), std::size_t{1} << 20);
  }
}

// Files.

class PngFiles : public ::testing::Test {
 protected:
  cli_test::ScratchDir dir_;
};

TEST_F(PngFiles, WrittenImageReadsBackAtEightBits) {
  const Image image{2, 1, 8, {0, 1, 2, 3, 252, 253, 254, 255}};
  cli_test::WritePng((dir_ / "out.png").string(), image);
  const Image back = cli_test::ReadPng((dir_ / "out.png").string());
  EXPECT_EQ(back.bit_depth, 8);
  EXPECT_THAT(back.rgba, ElementsAre(0, 1, 2, 3, 252, 253, 254, 255));
  const std::vector<std::uint8_t> bytes = cli_test::ReadBytes(dir_ / "out.png");
  EXPECT_EQ(bytes[24], 8);                    // IHDR bit depth
  EXPECT_EQ(bytes[25], PNG_COLOR_TYPE_RGBA);  // IHDR colour type
  EXPECT_THAT(dir_.Names(), ElementsAre("out.png"));
}

TEST_F(PngFiles, WrittenImageReadsBackAtSixteenBits) {
  const Image image{1, 2, 16, {0, 1, 0x1234, 0xFFFF, 0x8000, 0x00FF, 0xFF00, 7}};
  cli_test::WritePng((dir_ / "out.png").string(), image);
  const std::vector<std::uint8_t> bytes = cli_test::ReadBytes(dir_ / "out.png");
  EXPECT_EQ(bytes[24], 16);
  EXPECT_EQ(bytes[25], PNG_COLOR_TYPE_RGBA);
  EXPECT_THAT(cli_test::ReadPng((dir_ / "out.png").string()).rgba,
              ElementsAre(0, 1, 0x1234, 0xFFFF, 0x8000, 0x00FF, 0xFF00, 7));
}

TEST_F(PngFiles, MissingFileIsNamedInTheError) {
  const std::string path = (dir_ / "missing.png").string();
  EXPECT_THAT([&] { cli_test::ReadPng(path); },
              ::testing::ThrowsMessage<PngError>(path + ": No such file or directory"));
}

TEST_F(PngFiles, UnwritableDirectoryLeavesNothingBehind) {
  const std::string path = (dir_ / "no-such-dir" / "out.png").string();
  const Image image{1, 1, 8, {1, 2, 3, 4}};
  EXPECT_THROW(cli_test::WritePng(path, image), PngError);
  EXPECT_TRUE(dir_.Names().empty());
}

TEST_F(PngFiles, DirectoryInThePlaceOfTheOutputLeavesNoTemporaryFile) {
  std::filesystem::create_directory(dir_ / "out.png");
  const Image image{1, 1, 8, {1, 2, 3, 4}};
  EXPECT_THROW(cli_test::WritePng((dir_ / "out.png").string(), image), PngError);
  EXPECT_THAT(dir_.Names(), ElementsAre("out.png"));
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "out.png"));
}

}  // namespace
