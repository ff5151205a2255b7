// Host frames: memory taken as rows arrive, rows kept as the storage grows.
#include "tools/huesieve-render/host_frame.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/cli/png_fixtures.h"
#include "tools/huesieve-render/png_frames.h"
#include "hostsim/poison.h"

namespace {

using huesieve::cli::HostFrame;

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

}  // namespace
