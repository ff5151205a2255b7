// The effect as one call, at every pixel format and on every kernel, against
// the plain effect model: straight and premultiplied frames, into another
// picture and in place, a render window smaller than the picture, the switch
// off, the host's abort, and the form that hands the judged picture to the
// host before the markers.
#include "core/effect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "testing/reference/plain_effect.h"
#include "core/effect_walk.h"
#include "testing/support/equivalence_cases.h"
#include "testing/support/forced_walk.h"

namespace huesieve {
namespace {

using equivalence::kEveryModes;
using equivalence::kPlainScale;
using equivalence::ModesName;

// A picture in a buffer of its own, rows bottom-up and padded, so that a
// stray write past a row shows as a changed byte.
struct Frame {
  std::vector<std::byte> storage;
  ImageView view;
};

class CountedAbort final : public RenderAbort {
 public:
  explicit CountedAbort(int checks_before) : checks_before_(checks_before) {}
  bool Aborted() override { return checks_++ >= checks_before_; }
  int checks() const { return checks_; }

 private:
  int checks_before_;
  int checks_ = 0;
};

template <typename Format>
class EffectTest : public ::testing::Test {
 protected:
  using Pixel = typename Format::Pixel;
  using Sample = typename Format::Sample;
  static constexpr std::int64_t kPixelBytes = sizeof(Pixel);
  static constexpr std::int64_t kPadding = 3 * kPixelBytes;

  EffectTest() : random_(20261208) {}

  // Filled with `poison` everywhere, padding included.
  static Frame Blank(std::int64_t width, std::int64_t height, std::byte poison) {
    const std::int64_t stride = width * kPixelBytes + kPadding;
    Frame frame{std::vector<std::byte>(static_cast<std::size_t>(stride * height), poison), {}};
    frame.view = ImageView{frame.storage.data() + (height - 1) * stride, -stride, width, height};
    return frame;
  }

  // Mostly samples within the scale, alpha often full or zero; now and then
  // a float no picture should hold.
  Sample RandomSample(bool alpha) {
    const auto choice = static_cast<std::uint32_t>(random_() % 10);
    if (alpha && choice < 2) return choice == 0 ? Sample{0} : Format::kRampMax;
    if constexpr (std::is_floating_point_v<Sample>) {
      constexpr float kOdd[] = {-0.0f, 1.5f, -0.25f, INFINITY, NAN};
      if (choice == 9) return kOdd[random_() % std::size(kOdd)];
      return static_cast<float>(random_() % (1u << 24)) / static_cast<float>(1u << 24);
    } else {
      return static_cast<Sample>(random_() % (std::uint32_t{Format::kRampMax} + 1));
    }
  }

  Frame Random(std::int64_t width, std::int64_t height) {
    Frame frame = Blank(width, height, std::byte{0x5A});
    for (std::int64_t row = 0; row < height; ++row) {
      for (std::int64_t column = 0; column < width; ++column) {
        Pixel pixel;
        for (int channel = 0; channel < 4; ++channel) {
          pixel[static_cast<std::size_t>(channel)] = RandomSample(channel == Format::kAlpha);
        }
        StorePixel<Format>(PixelAt<Format>(frame.view, column, row), pixel);
      }
    }
    return frame;
  }

  static plain_reference::Picture PlainPicture(const ImageView& view) {
    plain_reference::Picture picture(static_cast<int>(view.pixels_per_row),
                                     static_cast<int>(view.rows));
    for (int row = 0; row < picture.height; ++row) {
      for (int column = 0; column < picture.width; ++column) {
        const Pixel pixel = LoadPixel<Format>(PixelAt<Format>(view, column, row));
        picture.At(column, row) = {
            static_cast<double>(pixel[Format::kAlpha]), static_cast<double>(pixel[Format::kRed]),
            static_cast<double>(pixel[Format::kGreen]), static_cast<double>(pixel[Format::kBlue])};
      }
    }
    return picture;
  }

  // The target as the plain model leaves it, written back at the format's
  // samples over a copy of the target's buffer.
  static std::vector<std::byte> Expected(const Frame& source, const Frame& target,
                                         const EffectSettings& settings, AlphaMode alpha,
                                         const PictureRect& window) {
    std::array<plain_reference::Entry, kMaxColourEntries> entries{};
    for (std::size_t k = 0; k < entries.size(); ++k) {
      const ColourEntryTable& table = settings.entries;
      entries[k] = {table.enabled[k] != 0, table.colours[k].red, table.colours[k].green,
                    table.colours[k].blue, table.ranges[k],      table.softness[k]};
    }
    const plain_reference::Picture given = PlainPicture(source.view);
    plain_reference::Picture result = PlainPicture(target.view);
    const RuleModes& modes = settings.modes;
    plain_reference::ApplyEffect(
        given, result,
        {settings.enabled, entries.data(), settings.entries.count, kPlainScale<Format>,
         alpha == AlphaMode::kPremultiplied,
         modes.judge == JudgeColours::kSrgbEncoded ? plain_reference::Judged::kSrgb
                                                   : plain_reference::Judged::kAsStored,
         modes.feathered == FeatheredAlpha::kFades},
        {static_cast<int>(window.left), static_cast<int>(window.top),
         static_cast<int>(window.right), static_cast<int>(window.bottom)});
    Frame expected = target;
    expected.view.first_row =
        expected.storage.data() + (target.view.first_row - target.storage.data());
    for (int row = 0; row < result.height; ++row) {
      for (int column = 0; column < result.width; ++column) {
        const plain_reference::Pixel& plain = result.At(column, row);
        StorePixel<Format>(
            PixelAt<Format>(expected.view, column, row),
            MakePixel<Format>(static_cast<Sample>(plain.alpha), static_cast<Sample>(plain.red),
                              static_cast<Sample>(plain.green), static_cast<Sample>(plain.blue)));
      }
    }
    return expected.storage;
  }

  EffectSettings Settings(std::uint32_t seed, bool enabled = true, RuleModes modes = {}) {
    return {enabled, equivalence::RandomTable(seed, kMaxColourEntries), modes};
  }

  std::mt19937 random_;
};

using Formats = ::testing::Types<Argb8, Argb16, Rgba8, Rgba16, RgbaFloat>;
TYPED_TEST_SUITE(EffectTest, Formats);


TYPED_TEST(EffectTest, EveryKernelIntoAnotherPictureAndInPlaceMatchesThePlainModel) {
  using Format = TypeParam;
  for (const AlphaMode alpha : {AlphaMode::kStraight, AlphaMode::kPremultiplied}) {
    for (std::uint32_t seed = 0; seed < 4 * std::size(kEveryModes); ++seed) {
      const Frame source = this->Random(1 + (seed % 4) * 37 + seed / 4 * 101, 2 + seed % 4 * 3);
      const RuleModes modes = kEveryModes[seed / 4];
      const EffectSettings settings = this->Settings(seed, true, modes);
      const PictureRect whole{0, 0, source.view.pixels_per_row, source.view.rows};
      for (const auto& kernel : testing_support::JudgedWalks<Format>()) {
        SCOPED_TRACE(kernel.name + " seed " + std::to_string(seed) +
                     (alpha == AlphaMode::kPremultiplied ? " premultiplied" : " straight") +
                     " " + ModesName(modes));
        Frame target = this->Blank(source.view.pixels_per_row, source.view.rows, std::byte{0xA5});
        const std::vector<std::byte> expected =
            this->Expected(source, target, settings, alpha, whole);
        const Frame before = source;
        const EffectOutcome outcome =
            RenderEffect<Format>(kernel.walk, source.view, target.view, settings, {.alpha = alpha});
        EXPECT_EQ(outcome.status, EffectStatus::kRendered);
        EXPECT_TRUE(target.storage == expected);
        EXPECT_TRUE(source.storage == before.storage);

        Frame in_place = source;
        in_place.view.first_row =
            in_place.storage.data() + (source.view.first_row - source.storage.data());
        const std::vector<std::byte> expected_in_place =
            this->Expected(source, in_place, settings, alpha, whole);
        EXPECT_EQ(RenderEffect<Format>(kernel.walk, in_place.view, in_place.view, settings,
                                       {.alpha = alpha})
                      .bounds,
                  outcome.bounds);
        EXPECT_TRUE(in_place.storage == expected_in_place);
      }
    }
  }
}

// Fading never raises a pixel's alpha above its source's, straight or
// premultiplied, whatever the entries (the corner markers aside).
TYPED_TEST(EffectTest, AFadingFeatherNeverRaisesAlpha) {
  using Format = TypeParam;
  for (const AlphaMode alpha : {AlphaMode::kStraight, AlphaMode::kPremultiplied}) {
    for (std::uint32_t seed = 0; seed < 4; ++seed) {
      const Frame source = this->Random(97, 5);
      Frame target = this->Blank(97, 5, std::byte{0xA5});
      const EffectSettings settings =
          this->Settings(seed + 40, true, {JudgeColours::kSrgbEncoded, FeatheredAlpha::kFades});
      RenderEffect<Format>(source.view, target.view, settings, {.alpha = alpha});
      for (std::int64_t row = 0; row < 5; ++row) {
        for (std::int64_t column = 0; column < 97; ++column) {
          const auto out = LoadPixel<Format>(PixelAt<Format>(target.view, column, row));
          const auto in = LoadPixel<Format>(PixelAt<Format>(source.view, column, row));
          if (out == kMarker<Format>) continue;
          const auto a = out[Format::kAlpha];
          const auto given = in[Format::kAlpha];
          // A float alpha that is not a number has no order.
          if (a != a || given != given) continue;
          EXPECT_LE(a, given < typename Format::Sample{0} ? typename Format::Sample{0} : given)
              << column << "," << row;
        }
      }
    }
  }
}

// The window is written exactly as the whole frame's render over it, the
// markers of the whole frame's bounds included; nothing else is touched.
TYPED_TEST(EffectTest, AWindowWritesOnlyItselfAndKeepsTheWholeFramesBounds) {
  using Format = TypeParam;
  const PictureRect windows[] = {
      {3, 2, 300, 7}, {0, 0, 1, 1}, {290, 5, 301, 9}, {-4, -4, 40, 3}, {5, 5, 5, 9}};
  for (const AlphaMode alpha : {AlphaMode::kStraight, AlphaMode::kPremultiplied}) {
    for (std::uint32_t seed = 0; seed < 3; ++seed) {
      const Frame source = this->Random(301, 9);
      const EffectSettings settings = this->Settings(seed + 20, true, kEveryModes[seed + 1]);
      Frame whole = this->Blank(301, 9, std::byte{0xA5});
      const SelectionBounds bounds =
          RenderEffect<Format>(source.view, whole.view, settings, {.alpha = alpha}).bounds;
      for (const PictureRect& window : windows) {
        SCOPED_TRACE("window " + std::to_string(window.left) + "," + std::to_string(window.top));
        Frame target = this->Blank(301, 9, std::byte{0xA5});
        const std::vector<std::byte> expected =
            this->Expected(source, target, settings, alpha, WindowWithin(source.view, window));
        const EffectOutcome outcome = RenderEffect<Format>(source.view, target.view, settings,
                                                           {.alpha = alpha, .window = window});
        EXPECT_EQ(outcome.bounds, bounds);
        EXPECT_TRUE(target.storage == expected);
      }
    }
  }
}

TYPED_TEST(EffectTest, SwitchedOffTheWindowOfTheSourceIsCopiedWithoutMarkers) {
  using Format = TypeParam;
  const EffectSettings off = this->Settings(5, /*enabled=*/false);
  ASSERT_TRUE(IsIdentity(off));
  ASSERT_FALSE(IsIdentity(this->Settings(5)));
  const Frame source = this->Random(17, 6);
  const PictureRect window{2, 1, 15, 4};
  Frame target = this->Blank(17, 6, std::byte{0xA5});
  const std::vector<std::byte> expected =
      this->Expected(source, target, off, AlphaMode::kPremultiplied, window);
  EXPECT_EQ(RenderEffect<Format>(source.view, target.view, off,
                                 {.alpha = AlphaMode::kPremultiplied, .window = window})
                .status,
            EffectStatus::kIdentity);
  EXPECT_TRUE(target.storage == expected);

  Frame in_place = source;
  in_place.view.first_row =
      in_place.storage.data() + (source.view.first_row - source.storage.data());
  EXPECT_EQ(RenderEffect<Format>(in_place.view, in_place.view, off).status,
            EffectStatus::kIdentity);
  EXPECT_TRUE(in_place.storage == source.storage);
}

// Asked before each band of rows: the band's rows are written, none after.
TYPED_TEST(EffectTest, AnAbortStopsAtTheNextBandOfRows) {
  using Format = TypeParam;
  constexpr std::int64_t kWidth = 4096;
  constexpr std::int64_t kBand = kPixelsPerBand / kWidth;
  const Frame source = this->Random(kWidth, 3 * kBand + 1);
  const EffectSettings settings = this->Settings(7);
  for (const int checks_before : {0, 2}) {
    SCOPED_TRACE("checks before the abort " + std::to_string(checks_before));
    Frame target = this->Blank(kWidth, source.view.rows, std::byte{0xA5});
    const Frame untouched = target;
    CountedAbort abort(checks_before);
    const EffectOutcome outcome =
        RenderEffect<Format>(source.view, target.view, settings, {.abort = &abort});
    EXPECT_EQ(outcome.status, EffectStatus::kAborted);
    EXPECT_EQ(abort.checks(), checks_before + 1);
    const std::int64_t written = checks_before * kBand;
    for (std::int64_t row = 0; row < target.view.rows; ++row) {
      const std::int64_t offset = target.view.Row(row) - target.storage.data();
      const bool same =
          std::memcmp(target.view.Row(row), untouched.storage.data() + offset,
                      static_cast<std::size_t>(kWidth) * sizeof(typename Format::Pixel)) == 0;
      EXPECT_EQ(same, row >= written) << "row " << row;
    }
  }
}

// The After Effects way: judged in place, handed over, markers on the copy.
TYPED_TEST(EffectTest, TheDeliveredViewGetsTheMarkersAndTheJudgedPictureNone) {
  using Format = TypeParam;
  const Frame source = this->Random(23, 7);
  const EffectSettings settings = this->Settings(11);
  Frame reference = this->Blank(23, 7, std::byte{0xA5});
  RenderEffect<Format>(source.view, reference.view, settings);

  Frame judged = source;
  judged.view.first_row = judged.storage.data() + (source.view.first_row - source.storage.data());
  Frame delivered = this->Blank(23, 7, std::byte{0xA5});
  int deliveries = 0;
  const auto deliver = [&] {
    ++deliveries;
    delivered.storage = judged.storage;
    return delivered.view;
  };
  const EffectOutcome outcome =
      RenderEffect<Format>(judged.view, judged.view, settings, RenderOptions{}, deliver);
  EXPECT_EQ(outcome.status, EffectStatus::kRendered);
  EXPECT_EQ(deliveries, 1);
  for (std::int64_t row = 0; row < 7; ++row) {
    for (std::int64_t column = 0; column < 23; ++column) {
      const bool marker = std::memcmp(PixelAt<Format>(reference.view, column, row),
                                      &kMarker<Format>, sizeof(typename Format::Pixel)) == 0;
      EXPECT_EQ(
          std::memcmp(PixelAt<Format>(delivered.view, column, row),
                      PixelAt<Format>(reference.view, column, row), sizeof(typename Format::Pixel)),
          0);
      if (marker) {
        EXPECT_NE(std::memcmp(PixelAt<Format>(judged.view, column, row), &kMarker<Format>,
                              sizeof(typename Format::Pixel)),
                  0)
            << "a marker on the judged picture at " << column << "," << row;
      }
    }
  }

  CountedAbort abort(0);
  deliveries = 0;
  RenderEffect<Format>(source.view, reference.view, settings, {.abort = &abort}, deliver);
  EXPECT_EQ(deliveries, 0);
  RenderEffect<Format>(source.view, reference.view, this->Settings(11, false), {}, deliver);
  EXPECT_EQ(deliveries, 1);
}

}  // namespace
}  // namespace huesieve
