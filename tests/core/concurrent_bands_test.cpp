// One frame's bands walked by several threads at once, every worker with its
// own cell cache on the one prepared rule, as a host that shares a frame
// between workers walks it. The result must equal the single walk bit for bit,
// pixels and bounds, in every format and kernel. Run under ThreadSanitizer,
// this also proves the prepared rule is only read while the bands are walked.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "core/cell_cache.h"
#include "core/frame_rule.h"
#include "core/pixel_formats.h"
#include "core/selection_bounds.h"
#include "core/selection_pass.h"
#include "testing/support/equivalence_cases.h"

namespace huesieve {
namespace {

constexpr int kWorkers = 4;
constexpr std::int64_t kWidth = 509;  // odd, so every row ends in a tail
constexpr std::int64_t kRows = 96;
constexpr std::int64_t kBandRows = 5;

// Colours in blocks alternately within one cell and across cells, so that
// every way the lane kernel decides a vector is taken.
template <typename Format>
std::vector<typename Format::Pixel> FrameOf() {
  constexpr auto kPixels = static_cast<std::size_t>(kWidth * kRows);
  if constexpr (std::is_same_v<Format, Argb8>) return equivalence::ColourFrame8(kPixels);
  if constexpr (std::is_same_v<Format, Rgba8>) {
    return equivalence::Reordered<Rgba8, Argb8>(equivalence::ColourFrame8(kPixels));
  }
  if constexpr (std::is_same_v<Format, Argb16> || std::is_same_v<Format, Rgba16>) {
    return equivalence::ColourFrame16<Format>(kPixels);
  }
  if constexpr (std::is_same_v<Format, RgbaFloat>) return equivalence::ColourFrameFloat(kPixels);
}

template <typename Format>
class ConcurrentBands : public ::testing::Test {
 protected:
  static constexpr std::int64_t kRowBytes = kWidth * std::int64_t{sizeof(typename Format::Pixel)};

  ConcurrentBands() : source_(static_cast<std::size_t>(kRowBytes * kRows)) {
    const auto frame = FrameOf<Format>();
    std::memcpy(source_.data(), frame.data(), source_.size());
  }

  const std::byte* SourceRow(std::int64_t row) const { return source_.data() + row * kRowBytes; }
  static std::byte* RowOf(std::vector<std::byte>& target, std::int64_t row) {
    return target.data() + row * kRowBytes;
  }

  std::vector<std::byte> source_;
};

using Formats = ::testing::Types<Argb8, Argb16, Rgba8, Rgba16, RgbaFloat>;
TYPED_TEST_SUITE(ConcurrentBands, Formats);

// Worker w walks bands w, w + kWorkers, ... from the shared source into its
// own rows of the target.
TYPED_TEST(ConcurrentBands, WorkersOnOnePreparedRuleGiveTheSingleWalkBitForBit) {
  using Format = TypeParam;
  const auto source_row = [this](std::int64_t row) { return this->SourceRow(row); };
  const auto nothing_to_finish = [](std::int64_t, std::byte*) {};
  for (const ColourEntryTable& table :
       {equivalence::RandomTable(5, kMaxColourEntries), equivalence::RandomTable(6, 1)}) {
    for (const auto& kernel : equivalence::JudgedKernels<Format>()) {
      std::vector<std::byte> expected(this->source_.size());
      const SelectionBounds expected_bounds = SelectionPassByRow<Format>(
          kWidth, kRows, table, kernel.row, source_row,
          [&expected](std::int64_t row) { return TestFixture::RowOf(expected, row); },
          nothing_to_finish);

      std::vector<std::byte> actual(this->source_.size(), std::byte{0xA5});
      const auto target_row = [&actual](std::int64_t row) {
        return TestFixture::RowOf(actual, row);
      };
      const FrameRule<Format> rule(table);
      std::vector<ClaimedRectangle> rectangles(kWorkers, ClaimedRectangle(kWidth));
      std::vector<std::thread> workers;
      for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([&, w] {
          CellCache cache(rule.cells());
          for (std::int64_t first = w * kBandRows; first < kRows; first += kWorkers * kBandRows) {
            rectangles[static_cast<std::size_t>(w)].Merge(SelectionPassBand<Format>(
                rule, cache, kernel.row, kWidth, RowBand{first, std::min(kRows, first + kBandRows)},
                source_row, target_row, nothing_to_finish));
          }
        });
      }
      for (std::thread& worker : workers) worker.join();
      ClaimedRectangle merged(kWidth);
      for (const ClaimedRectangle& rectangle : rectangles) merged.Merge(rectangle);

      EXPECT_EQ(merged.Bounds(), expected_bounds) << kernel.name;
      EXPECT_TRUE(actual == expected) << kernel.name;
    }
  }
}

}  // namespace
}  // namespace huesieve
