// One frame's bands walked by several threads at once, every worker with its
// own cell cache on the one prepared rule, as a host that shares a frame
// between workers walks it: the effect call with a host's workers. The
// result must equal the one thread's in one band bit for bit, pixels and
// bounds, in every format and on every kernel. Run under ThreadSanitizer,
// this also proves the prepared rule is only read while the bands are walked
// and the bands' bounds merge without a race.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "core/effect.h"
#include "core/effect_walk.h"
#include "core/pixel_formats.h"
#include "core/selection_bounds.h"
#include "testing/support/equivalence_cases.h"
#include "testing/support/forced_walk.h"

namespace huesieve {
namespace {

constexpr int kWorkers = 4;
constexpr std::int64_t kWidth = 509;  // odd, so every row ends in a tail
constexpr std::int64_t kRows = 96;
constexpr std::int64_t kBandRows = 5;

// Colours in blocks alternately within one cell and across cells, so that
// every way the lane kernel decides a vector is taken.
template <typename Format>
std::vector<typename Format::Pixel> FrameOf(std::size_t kPixels = kWidth * kRows) {
  if constexpr (std::is_same_v<Format, Argb8>) return equivalence::ColourFrame8(kPixels);
  if constexpr (std::is_same_v<Format, Rgba8>) {
    return equivalence::Reordered<Rgba8, Argb8>(equivalence::ColourFrame8(kPixels));
  }
  if constexpr (std::is_same_v<Format, Argb16> || std::is_same_v<Format, Rgba16>) {
    return equivalence::ColourFrame16<Format>(kPixels);
  }
  if constexpr (std::is_same_v<Format, RgbaFloat>) return equivalence::ColourFrameFloat(kPixels);
}

using Formats = ::testing::Types<Argb8, Argb16, Rgba8, Rgba16, RgbaFloat>;


// A host's workers on threads of their own, started together so that they
// take the bands at once.
class ThreadedWorkers final : public BandWorkers {
 public:
  explicit ThreadedWorkers(unsigned int count) : count_(count) {}
  unsigned int Count() override { return count_; }
  void Run(Job* job, unsigned int workers, void* argument) override {
    std::latch start(workers);
    std::vector<std::thread> threads;
    for (unsigned int w = 0; w < workers; ++w) {
      threads.emplace_back([&, w] {
        start.arrive_and_wait();
        job(w, workers, argument);
      });
    }
    for (std::thread& thread : threads) thread.join();
  }

 private:
  unsigned int count_;
};

// A host that offers workers and then cannot start them.
class WorkersThatNeverStart final : public BandWorkers {
 public:
  unsigned int Count() override { return 4; }
  void Run(Job*, unsigned int, void*) override {}
};

// An abort asked from several workers at once, aborting from the check after
// `checks_before` checks on.
class SharedCountedAbort final : public RenderAbort {
 public:
  explicit SharedCountedAbort(int checks_before) : checks_before_(checks_before) {}
  bool Aborted() override { return checks_.fetch_add(1) >= checks_before_; }
  int checks() const { return checks_.load(); }

 private:
  int checks_before_;
  std::atomic<int> checks_{0};
};

// A picture of `width` × `rows` in a buffer of its own, rows bottom-up and
// padded, so that a stray write past a row shows as a changed byte.
template <typename Format>
struct Picture {
  static constexpr std::int64_t kPixelBytes = sizeof(typename Format::Pixel);
  static constexpr std::int64_t kPadding = 5;

  Picture(std::int64_t width, std::int64_t rows, std::byte poison)
      : storage(static_cast<std::size_t>((width * kPixelBytes + kPadding) * rows), poison) {
    const std::int64_t stride = width * kPixelBytes + kPadding;
    view = ImageView{storage.data() + (rows - 1) * stride, -stride, width, rows};
  }
  Picture(const Picture& other) : storage(other.storage), view(other.view) {
    view.first_row = storage.data() + (other.view.first_row - other.storage.data());
  }

  std::vector<std::byte> storage;
  ImageView view;
};

template <typename Format>
Picture<Format> SourcePicture(std::int64_t width, std::int64_t rows) {
  Picture<Format> picture(width, rows, std::byte{0x5A});
  const auto pixels = FrameOf<Format>(static_cast<std::size_t>(width * rows));
  for (std::int64_t row = 0; row < rows; ++row) {
    std::memcpy(picture.view.Row(row), pixels.data() + row * width,
                static_cast<std::size_t>(width * Picture<Format>::kPixelBytes));
  }
  return picture;
}

struct FrameShape {
  std::int64_t width;
  std::int64_t rows;
};

template <typename Format>
class SharedFrame : public ::testing::Test {
 protected:
  // The effect from `source` into a fresh target (or in place), on `walk`.
  static std::vector<std::byte> Rendered(const Picture<Format>& source, bool in_place,
                                         const FrameWalk<Format>& walk,
                                         const RenderOptions& options, EffectOutcome& outcome,
                                         const EffectSettings& settings) {
    Picture<Format> target = in_place ? source : Picture<Format>(source.view.pixels_per_row,
                                                                 source.view.rows, std::byte{0xA5});
    outcome = RenderEffect<Format>(walk, in_place ? target.view : source.view, target.view,
                                   settings, options);
    return target.storage;
  }

  // Renders on the calling thread as one band, and in bands of `walk` with
  // `workers`, and expects the same outcome and bytes.
  static void ExpectTheOneThreadResult(const Picture<Format>& source, FrameWalk<Format> walk,
                                       RenderOptions options, BandWorkers& workers, bool in_place,
                                       const EffectSettings& settings = kSettings) {
    FrameWalk<Format> one_band = walk;
    one_band.pixels_per_band = source.view.pixels_per_row * source.view.rows;
    EffectOutcome alone{};
    const std::vector<std::byte> expected =
        Rendered(source, in_place, one_band, options, alone, settings);
    options.workers = &workers;
    EffectOutcome shared{};
    const std::vector<std::byte> actual =
        Rendered(source, in_place, walk, options, shared, settings);
    EXPECT_EQ(shared.status, EffectStatus::kRendered);
    EXPECT_EQ(shared.status, alone.status);
    EXPECT_EQ(shared.bounds, alone.bounds);
    EXPECT_TRUE(actual == expected);
  }

  static inline const EffectSettings kSettings{
      true, equivalence::RandomTable(5, kMaxColourEntries), {}};
  static inline const EffectSettings kOneEntrySettings{true, equivalence::RandomTable(6, 1), {}};
  // The choices: each worker's decision rows, cache and memo of its own.
  static inline const EffectSettings kChoiceSettings{
      true, equivalence::RandomTable(5, kMaxColourEntries),
      {JudgeColours::kSrgbEncoded, FeatheredAlpha::kFades}};
};

TYPED_TEST_SUITE(SharedFrame, Formats);

// Every kernel, the choices' included, in bands of kBandRows shared by
// kWorkers threads.
TYPED_TEST(SharedFrame, EveryKernelInBandsGivesTheOneThreadResult) {
  using Format = TypeParam;
  const Picture<Format> source = SourcePicture<Format>(kWidth, kRows);
  ThreadedWorkers workers(kWorkers);
  for (const auto& kernel : testing_support::JudgedWalks<Format>(kBandRows * kWidth)) {
    for (const EffectSettings& settings : {this->kSettings, this->kOneEntrySettings}) {
      SCOPED_TRACE(kernel.name);
      this->ExpectTheOneThreadResult(source, kernel.walk, {}, workers, false, settings);
    }
    SCOPED_TRACE(kernel.name + ", the choices, premultiplied");
    this->ExpectTheOneThreadResult(source, kernel.walk, {.alpha = AlphaMode::kPremultiplied},
                                   workers, false, this->kChoiceSettings);
  }
}

// 64 rows in bands of 1 to 64 rows: 64 bands down to 1.
TYPED_TEST(SharedFrame, EveryBandCountGivesTheOneThreadResult) {
  using Format = TypeParam;
  const Picture<Format> source = SourcePicture<Format>(kWidth, 64);
  ThreadedWorkers workers(4);
  for (std::int64_t band_rows = 1; band_rows <= 64; ++band_rows) {
    SCOPED_TRACE("rows per band " + std::to_string(band_rows));
    this->ExpectTheOneThreadResult(source, testing_support::BandedWalk<Format>(band_rows * kWidth),
                                   {}, workers, /*in_place=*/false);
  }
}

// With the choices, bands shared between threads give the one thread's
// result too, straight and premultiplied, windowed, in place.
TYPED_TEST(SharedFrame, TheChoicesGiveTheOneThreadResult) {
  using Format = TypeParam;
  const Picture<Format> source = SourcePicture<Format>(kWidth, 37);
  ThreadedWorkers workers(3);
  for (const AlphaMode alpha : {AlphaMode::kStraight, AlphaMode::kPremultiplied}) {
    for (const bool in_place : {false, true}) {
      SCOPED_TRACE(std::string(alpha == AlphaMode::kPremultiplied ? "premultiplied" : "straight") +
                   (in_place ? ", in place" : ""));
      const FrameWalk<Format> walk = testing_support::BandedWalk<Format>(2 * kWidth);
      RenderOptions options{.alpha = alpha};
      this->ExpectTheOneThreadResult(source, walk, options, workers, in_place,
                                     this->kChoiceSettings);
      options.window = PictureRect{5, 3, kWidth - 7, 30};
      this->ExpectTheOneThreadResult(source, walk, options, workers, in_place,
                                     this->kChoiceSettings);
    }
  }
}

// One row, one column, fewer rows than workers, a band a row: straight and
// premultiplied, with and without a window, into another picture and in place.
TYPED_TEST(SharedFrame, OddShapesWindowsAndPremultipliedGiveTheOneThreadResult) {
  using Format = TypeParam;
  const FrameShape shapes[] = {{1, 1}, {67, 1}, {1, 64}, {67, 3}, {kWidth, 37}};
  for (const FrameShape& shape : shapes) {
    const Picture<Format> source = SourcePicture<Format>(shape.width, shape.rows);
    const PictureRect window{shape.width / 3, shape.rows / 3, shape.width - shape.width / 4,
                             shape.rows - shape.rows / 4};
    for (const unsigned int count : {2u, 3u, 8u, 64u}) {
      ThreadedWorkers workers(count);
      for (const AlphaMode alpha : {AlphaMode::kStraight, AlphaMode::kPremultiplied}) {
        for (const bool windowed : {false, true}) {
          for (const bool in_place : {false, true}) {
            SCOPED_TRACE(std::to_string(shape.width) + " x " + std::to_string(shape.rows) + ", " +
                         std::to_string(count) + " workers" +
                         (alpha == AlphaMode::kPremultiplied ? ", premultiplied" : "") +
                         (windowed ? ", windowed" : "") + (in_place ? ", in place" : ""));
            RenderOptions options{.alpha = alpha};
            if (windowed) options.window = window;
            this->ExpectTheOneThreadResult(source, testing_support::BandedWalk<Format>(shape.width),
                                           options, workers, in_place);
          }
        }
      }
    }
  }
}

TYPED_TEST(SharedFrame, WorkersThatNeverStartLeaveTheFrameToTheCallingThread) {
  using Format = TypeParam;
  const Picture<Format> source = SourcePicture<Format>(kWidth, 16);
  WorkersThatNeverStart workers;
  this->ExpectTheOneThreadResult(source, testing_support::BandedWalk<Format>(kWidth), {}, workers,
                                 false);
}

// Each check that lets a band through is one band written whole, whichever
// worker took it; after the abort no worker takes another.
TYPED_TEST(SharedFrame, AnAbortStopsEveryWorkerBetweenBands) {
  using Format = TypeParam;
  const Picture<Format> source = SourcePicture<Format>(kWidth, 64);
  ThreadedWorkers workers(kWorkers);
  for (const int checks_before : {0, 5}) {
    SCOPED_TRACE("checks before the abort " + std::to_string(checks_before));
    SharedCountedAbort abort(checks_before);
    Picture<Format> target(kWidth, 64, std::byte{0xA5});
    const Picture<Format> untouched = target;
    const EffectOutcome outcome = RenderEffect<Format>(
        testing_support::BandedWalk<Format>(kBandRows * kWidth), source.view, target.view,
        this->kSettings, {.abort = &abort, .workers = &workers});
    EXPECT_EQ(outcome.status, EffectStatus::kAborted);
    EXPECT_GE(abort.checks(), checks_before + 1);
    EXPECT_LE(abort.checks(), checks_before + kWorkers);
    std::int64_t written = 0;
    for (std::int64_t row = 0; row < 64; ++row) {
      const std::int64_t offset = target.view.Row(row) - target.storage.data();
      written += std::memcmp(target.view.Row(row), untouched.storage.data() + offset,
                             static_cast<std::size_t>(kWidth * Picture<Format>::kPixelBytes)) != 0;
    }
    EXPECT_EQ(written, checks_before * kBandRows);
  }
}

}  // namespace
}  // namespace huesieve
