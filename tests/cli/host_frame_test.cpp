// Host frames: memory taken as rows arrive, rows kept as the storage grows,
// and the conversions between RGBA samples and host pixels.
#include "host_frame.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "host_pixels.h"
#include "png_fixtures.h"
#include "png_frames.h"
#include "poison.h"

namespace {

using huesieve::cli::HostFrame;
using ::testing::ElementsAre;

constexpr std::size_t kMiB = std::size_t{1} << 20;

TEST(HostFrame, TakesMemoryOnlyForTheRowsAskedFor) {
  HostFrame frame;
  frame.Reset(true, 16384, 16384);  // 2 GiB if whole
  EXPECT_EQ(frame.capacity(), 0u);
  frame.Row(0);
  EXPECT_EQ(frame.capacity(), kMiB);
  frame.Row(300);  // 301 rows of 128 KiB: doubled up to what they need
  EXPECT_EQ(frame.capacity(), 301 * 128 * 1024u);
  frame.Row(301);
  EXPECT_EQ(frame.capacity(), 2 * 301 * 128 * 1024u);
}

TEST(HostFrame, GrowthNeverPassesTheImage) {
  HostFrame frame;
  frame.Reset(false, 1000, 300);  // 1.2 MB
  frame.Row(0);
  frame.Row(299);
  EXPECT_EQ(frame.capacity(), 293 * 4096u);  // 1 200 000 bytes in whole pages
}

TEST(HostFrame, RowsKeepTheirContentsAsTheStorageGrowsAndIsReused) {
  HostFrame frame;
  frame.Reset(false, 1024, 4096);
  for (std::uint32_t row = 0; row < 4096; ++row)
    std::memset(frame.Row(row), static_cast<int>(row % 251), 4096);
  for (std::uint32_t row = 0; row < 4096; row += 97) {
    EXPECT_EQ(std::to_integer<int>(frame.Row(row)[4095]), static_cast<int>(row % 251));
  }
  const std::size_t capacity = frame.capacity();
  frame.Reset(true, 1024, 2048);  // the same bytes: nothing more is taken
  frame.Whole();
  EXPECT_EQ(frame.capacity(), capacity);
}

TEST(HostFrame, RecordDescribesTheWholeImageAndPoisonsTheRest) {
  HostFrame frame;
  frame.Reset(true, 5, 3);
  const PF_LayerDef record = frame.Record();
  EXPECT_EQ(record.width, 5);
  EXPECT_EQ(record.height, 3);
  EXPECT_EQ(record.rowbytes, 40);
  EXPECT_EQ(record.world_flags, PF_WorldFlag_DEEP);
  EXPECT_EQ(reinterpret_cast<std::byte*>(record.data), frame.Row(0));
  const PF_LayerDef poisoned = hostsim::Poisoned<PF_LayerDef>();
  EXPECT_EQ(std::memcmp(&record.extent_hint, &poisoned.extent_hint, sizeof record.extent_hint), 0);
}

// A file that ends early takes about what its data filled: here one row.
TEST(HostFrame, DecodingAFileThatEndsEarlyTakesWhatItHeld) {
  const std::vector<std::uint8_t> bytes = cli_test::HeaderOnlyPng(16384, 16384, 16, false);
  huesieve::png::Reader reader(bytes.data(), bytes.size());
  HostFrame frame;
  EXPECT_THROW(huesieve::cli::DecodeFrame(reader, std::uint64_t{1} << 28, frame),
               huesieve::png::PngError);
  EXPECT_EQ(frame.capacity(), kMiB);
}

// RGBA samples and host pixels (alpha first; 16-bit on 0 to 32768).

TEST(HostPixels, EightBitRgbaBecomesArgbAndBack) {
  std::byte row[8];
  const std::uint8_t rgba[8] = {1, 2, 3, 4, 250, 251, 252, 253};
  std::memcpy(row, rgba, sizeof row);
  huesieve::cli::RgbaToHost(row, 2, false);
  PF_Pixel pixels[2];
  std::memcpy(pixels, row, sizeof pixels);
  EXPECT_EQ(pixels[0].alpha, 4);
  EXPECT_EQ(pixels[0].red, 1);
  EXPECT_EQ(pixels[1].blue, 252);
  std::uint8_t back[8];
  huesieve::cli::HostToRgba(row, back, 2, false);
  EXPECT_THAT(back, ElementsAre(1, 2, 3, 4, 250, 251, 252, 253));
}

// Little-endian samples 65535, 1, 40000, 12345 are host 32768, 1, 20000 and
// 6173 (6172.59 rounded), and come back as 65535, 2, 39999, 12346.
TEST(HostPixels, SixteenBitLittleEndianSamplesMapToTheHostScaleAndBack) {
  const std::uint8_t rgba[8] = {0xFF, 0xFF, 0x01, 0x00, 0x40, 0x9C, 0x39, 0x30};
  std::byte row[8];
  std::memcpy(row, rgba, sizeof row);
  huesieve::cli::RgbaToHost(row, 1, true);
  PF_Pixel16 pixel;
  std::memcpy(&pixel, row, sizeof pixel);
  EXPECT_EQ(pixel.alpha, 6173);
  EXPECT_EQ(pixel.red, 32768);
  EXPECT_EQ(pixel.green, 1);
  EXPECT_EQ(pixel.blue, 20000);
  std::uint8_t back[8];
  huesieve::cli::HostToRgba(row, back, 1, true);
  EXPECT_THAT(back, ElementsAre(0xFF, 0xFF, 0x02, 0x00, 0x3F, 0x9C, 0x3A, 0x30));
}

}  // namespace
