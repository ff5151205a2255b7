// Frame buffers: memory taken as rows arrive, rows kept as the storage grows.
#include "image/frame_buffer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "files/file_error.h"
#include "tests/cli/png_fixtures.h"
#include "image/image_files.h"

namespace {

using huesieve::image::FrameBuffer;
using huesieve::image::SampleType;

constexpr std::size_t kMiB = std::size_t{1} << 20;

TEST(FrameBuffer, TakesMemoryOnlyForTheRowsAskedFor) {
  FrameBuffer frame;
  frame.Reset(SampleType::kUint16, 16384, 16384);  // 2 GiB if whole
  EXPECT_EQ(frame.capacity(), 0u);
  frame.Row(0);
  EXPECT_EQ(frame.capacity(), kMiB);
  frame.Row(300);  // 301 rows of 128 KiB: doubled up to what they need
  EXPECT_EQ(frame.capacity(), 301 * 128 * 1024u);
  frame.Row(301);
  EXPECT_EQ(frame.capacity(), 2 * 301 * 128 * 1024u);
}

TEST(FrameBuffer, GrowthNeverPassesTheImage) {
  FrameBuffer frame;
  frame.Reset(SampleType::kUint8, 1000, 300);  // 1.2 MB
  frame.Row(0);
  frame.Row(299);
  EXPECT_EQ(frame.capacity(), 293 * 4096u);  // 1 200 000 bytes in whole pages
}

TEST(FrameBuffer, RowsKeepTheirContentsAsTheStorageGrowsAndIsReused) {
  FrameBuffer frame;
  frame.Reset(SampleType::kUint8, 1024, 4096);
  for (std::uint32_t row = 0; row < 4096; ++row)
    std::memset(frame.Row(row), static_cast<int>(row % 251), 4096);
  for (std::uint32_t row = 0; row < 4096; row += 97) {
    EXPECT_EQ(std::to_integer<int>(frame.Row(row)[4095]), static_cast<int>(row % 251));
  }
  const std::size_t capacity = frame.capacity();
  frame.Reset(SampleType::kUint16, 1024, 2048);  // the same bytes: nothing more is taken
  frame.View();
  EXPECT_EQ(frame.capacity(), capacity);
}

TEST(FrameBuffer, ViewCoversTheWholeImageRowByRow) {
  FrameBuffer frame;
  frame.Reset(SampleType::kFloat, 5, 3);
  const huesieve::ImageView view = frame.View();
  EXPECT_EQ(view.pixels_per_row, 5);
  EXPECT_EQ(view.rows, 3);
  EXPECT_EQ(view.row_stride, 80);
  EXPECT_EQ(view.Row(2), frame.Row(2));
}

// A file that ends early takes about what its data filled: here one band.
TEST(FrameBuffer, ReadingAFileThatEndsEarlyTakesWhatItHeld) {
  cli_test::ScratchDir dir;
  cli_test::WriteBytes(dir / "short.png", cli_test::HeaderOnlyPng(16384, 16384, 16, false));
  FrameBuffer frame;
  EXPECT_THROW(huesieve::image::ReadImageFile((dir / "short.png").string(), std::uint64_t{1} << 28,
                                            frame),
               huesieve::files::FileError);
  EXPECT_EQ(frame.capacity(), kMiB);
}

}  // namespace
