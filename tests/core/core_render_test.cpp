// The core through its own interface: an image view, a pixel format and an
// entry table, with no host record anywhere. The effect's walk and the
// corner markers over random frames (odd sizes, padded rows, rows bottom-up)
// must give exactly what the plain reference gives, pixel by pixel, in every
// kernel; pixels past a row's end belong to nobody and are never touched. The
// claim map names, for every pixel, the entry the plain reference says claims
// it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <iterator>
#include <type_traits>
#include <random>
#include <string>
#include <vector>

#include "core/claim_map.h"
#include "core/corner_markers.h"
#include "core/effect.h"
#include "core/effect_walk.h"
#include "core/image_view.h"
#include "core/pixel_formats.h"
#include "core/selection_bounds.h"
#include "testing/reference/plain_colour_rule.h"
#include "testing/reference/plain_effect.h"
#include "testing/support/equivalence_cases.h"
#include "testing/support/forced_walk.h"
#include "testing/support/workers_in_turn.h"

namespace huesieve {
namespace {

using equivalence::kPlainScale;

// A picture in a buffer of its own, rows `stride` bytes apart.
struct Layout {
  std::int64_t width;
  std::int64_t height;
  std::int64_t padding_bytes;
  bool bottom_up;
};

template <typename Format>
class CoreRender : public ::testing::Test {
 protected:
  using Sample = typename Format::Sample;
  static constexpr std::int64_t kPixelBytes = sizeof(typename Format::Pixel);

  CoreRender() : random_(20261208) {}

  // A buffer of the layout filled with random bytes (padding included), and
  // the view of its picture.
  ImageView Fill(const Layout& layout, std::vector<std::byte>& storage) {
    const std::int64_t row_bytes = layout.width * kPixelBytes + layout.padding_bytes;
    storage.resize(static_cast<std::size_t>(row_bytes * layout.height));
    for (std::byte& byte : storage) byte = static_cast<std::byte>(random_() & 0xFF);
    // Channels mostly within the scale, so that entries claim some.
    for (std::int64_t row = 0; row < layout.height; ++row) {
      for (std::int64_t column = 0; column < layout.width; ++column) {
        std::byte* at = storage.data() + row * row_bytes + column * kPixelBytes;
        typename Format::Pixel pixel = LoadPixel<Format>(at);
        for (Sample& sample : pixel) sample = RandomSample(sample);
        StorePixel<Format>(at, pixel);
      }
    }
    std::byte* top = storage.data() + (layout.bottom_up ? (layout.height - 1) * row_bytes : 0);
    return ImageView{top, layout.bottom_up ? -row_bytes : row_bytes, layout.width, layout.height};
  }

  // A channel from its random bits: now and then the bits themselves (values
  // past full intensity; for floats NaN, infinities, negatives, huge ones),
  // mostly one within the scale; for floats also the edges between two 8-bit
  // values and their neighbours.
  Sample RandomSample(Sample bits) {
    const std::uint32_t choice = random_() % 8;
    if (choice == 0) return bits;
    if constexpr (std::is_floating_point_v<Sample>) {
      if (choice == 1) {
        const float edge = (static_cast<float>(random_() % 256) - 0.5f) / 255.0f;
        return random_() % 2 == 0 ? edge : std::nextafter(edge, random_() % 2 == 0 ? 2.0f : -1.0f);
      }
      if (choice == 2) {
        constexpr float kSpecial[] = {0.0f, -0.0f, 1.0f, 1.5f, -0.25f, INFINITY, -INFINITY, NAN};
        return kSpecial[random_() % std::size(kSpecial)];
      }
      return static_cast<float>(random_() % (1u << 24)) / static_cast<float>(1u << 24);
    } else {
      return static_cast<Sample>(bits % (Format::kRampMax + 1));
    }
  }

  using Entries = std::array<plain_reference::Entry, kMaxColourEntries>;
  static Entries PlainEntries(const ColourEntryTable& table) {
    Entries entries;
    for (std::size_t k = 0; k < kMaxColourEntries; ++k) {
      entries[k] = {table.enabled[k] != 0, table.colours[k].red, table.colours[k].green,
                    table.colours[k].blue,  table.ranges[k],       table.softness[k]};
    }
    return entries;
  }

  static plain_reference::Pixel PlainPixel(const typename Format::Pixel& pixel) {
    return {static_cast<double>(pixel[Format::kAlpha]), static_cast<double>(pixel[Format::kRed]),
            static_cast<double>(pixel[Format::kGreen]), static_cast<double>(pixel[Format::kBlue])};
  }

  // The reference's result: every pixel judged, the bounds, the markers.
  static void Expect(const ImageView& image, const ColourEntryTable& table) {
    const Entries entries = PlainEntries(table);
    bool any = false;
    std::int64_t left = 0, top = 0, right = 0, bottom = 0;
    for (std::int64_t row = 0; row < image.rows; ++row) {
      for (std::int64_t column = 0; column < image.pixels_per_row; ++column) {
        std::byte* at = PixelAt<Format>(image, column, row);
        typename Format::Pixel pixel = LoadPixel<Format>(at);
        const plain_reference::Outcome outcome = plain_reference::JudgeAt(
            PlainPixel(pixel), entries.data(), table.count, kPlainScale<Format>);
        if (outcome.cleared) pixel = {};
        if (outcome.ramped) pixel[Format::kAlpha] = static_cast<Sample>(outcome.alpha);
        StorePixel<Format>(at, pixel);
        if (!outcome.matched) continue;
        if (!any) {
          left = right = column;
          top = row;
          any = true;
        }
        left = std::min(left, column);
        right = std::max(right, column);
        bottom = row;
      }
    }
    const std::int64_t corners[4][2] = {
        {left, top}, {left, bottom + 1}, {right + 1, top}, {right + 1, bottom + 1}};
    for (const auto& [column, row] : corners) {
      if (column >= image.pixels_per_row || row >= image.rows) continue;
      typename Format::Pixel marker{};
      marker[Format::kAlpha] = Format::kRampMax;
      marker[Format::kRed] = Format::kRampMax;
      StorePixel<Format>(PixelAt<Format>(image, column, row), marker);
    }
  }

  void Check(const Layout& layout, const ColourEntryTable& table, const std::string& name) {
    std::vector<std::byte> given;
    const ImageView given_view = Fill(layout, given);
    std::vector<std::byte> expected = given;
    Expect(Rebase(given_view, given, expected), table);
    for (const auto& kernel : testing_support::JudgedWalks<Format>()) {
      std::vector<std::byte> actual = given;
      const ImageView view = Rebase(given_view, given, actual);
      RenderEffect<Format>(kernel.walk, view, view, {true, table, {}});
      EXPECT_TRUE(actual == expected)
          << name << " " << kernel.name << " " << layout.width << "x" << layout.height << "+"
          << layout.padding_bytes << (layout.bottom_up ? " bottom-up" : "");
    }
  }

  // The same view over another copy of the buffer.
  static ImageView Rebase(const ImageView& view, std::vector<std::byte>& from,
                          std::vector<std::byte>& to) {
    ImageView rebased = view;
    rebased.first_row = to.data() + (view.first_row - from.data());
    return rebased;
  }

  std::mt19937 random_;
};

using Formats = ::testing::Types<Argb8, Argb16, Rgba8, Rgba16, RgbaFloat>;
TYPED_TEST_SUITE(CoreRender, Formats);

TYPED_TEST(CoreRender, RandomFramesMatchThePlainReference) {
  std::mt19937 sizes(7);
  for (int frame = 0; frame < 40; ++frame) {
    const Layout layout{1 + static_cast<std::int64_t>(sizes() % 70),
                        1 + static_cast<std::int64_t>(sizes() % 9),
                        static_cast<std::int64_t>(sizes() % 3) * 7, sizes() % 2 == 0};
    const ColourEntryTable table = equivalence::RandomTable(static_cast<std::uint32_t>(frame),
                                                            kMaxColourEntries);
    this->Check(layout, table, "random" + std::to_string(frame));
  }
}

TYPED_TEST(CoreRender, HostileTablesOverPaddedAndBottomUpRows) {
  for (const auto& table_case : equivalence::HostileTables()) {
    this->Check({37, 5, 12, true}, table_case.table, table_case.name);
    this->Check({17, 3, 3, false}, table_case.table, table_case.name);
  }
}

TYPED_TEST(CoreRender, ClaimMapNamesTheClaimingEntryAndLeavesThePictureAlone) {
  using Format = TypeParam;
  // Random tables (disabled entries and feather bands among them), then the
  // hostile ones, which claim everything, nothing or only black.
  std::vector<equivalence::TableCase> tables;
  for (std::uint32_t seed = 0; seed < 12; ++seed) {
    tables.push_back({"random" + std::to_string(seed),
                      equivalence::RandomTable(seed + 100, kMaxColourEntries)});
  }
  const std::size_t random_tables = tables.size();
  for (auto& table_case : equivalence::HostileTables()) tables.push_back(std::move(table_case));
  for (std::uint32_t seed = 0; seed < tables.size(); ++seed) {
    // Every other frame judged sRGB-encoded, every third premultiplied; wider
    // than a decision buffer.
    const JudgeColours judge = seed % 4 < 2 ? JudgeColours::kAsStored : JudgeColours::kSrgbEncoded;
    const AlphaMode alpha = seed % 3 == 1 ? AlphaMode::kPremultiplied : AlphaMode::kStraight;
    const Layout layout{seed % 3 == 0 ? 300 : 61, 7, 8, seed % 2 == 0};
    const ColourEntryTable& table = tables[seed].table;
    const auto entries = TestFixture::PlainEntries(table);
    const double full = plain_reference::Maximum(kPlainScale<Format>);
    std::vector<std::byte> given;
    const ImageView view = this->Fill(layout, given);
    // Transparent black, which an unclaimed pixel becomes, claimed or not.
    for (std::int64_t column = 0; column < view.pixels_per_row; column += 5) {
      std::memset(PixelAt<Format>(view, column, 2), 0, sizeof(typename Format::Pixel));
    }
    const std::vector<std::byte> before = given;
    std::vector<std::uint8_t> codes(static_cast<std::size_t>(layout.width * layout.height), 0xEE);
    const SelectionBounds bounds = MapClaims<Format>(view, table, judge, alpha, codes.data());
    EXPECT_TRUE(given == before);
    std::size_t claimed = 0;
    for (std::int64_t row = 0; row < view.rows; ++row) {
      for (std::int64_t column = 0; column < view.pixels_per_row; ++column) {
        plain_reference::Pixel pixel =
            TestFixture::PlainPixel(LoadPixel<Format>(PixelAt<Format>(view, column, row)));
        if (alpha == AlphaMode::kPremultiplied &&
            plain_reference::PartialAlpha(pixel.alpha, full)) {
          for (double* sample : {&pixel.red, &pixel.green, &pixel.blue}) {
            *sample = plain_reference::StraightSample(*sample, pixel.alpha, full,
                                                      kPlainScale<Format> == plain_reference::Scale::kFloat);
          }
        }
        const plain_reference::Claim claim = plain_reference::ClaimAt(
            pixel, entries.data(), table.count, kPlainScale<Format>,
            judge == JudgeColours::kSrgbEncoded ? plain_reference::Judged::kSrgb
                                                : plain_reference::Judged::kAsStored);
        const std::uint8_t expected =
            claim.entry < 0 ? 0
                            : static_cast<std::uint8_t>(1 + claim.entry +
                                                        (claim.ramps ? kFeatheredClaim : 0));
        claimed += claim.entry >= 0 ? 1 : 0;
        ASSERT_EQ(codes[static_cast<std::size_t>(row * view.pixels_per_row + column)], expected)
            << tables[seed].name << " at " << column << "," << row;
      }
    }
    // The bounds of the effect's render judged the same way.
    std::vector<std::byte> rendered = given;
    RenderOptions options;
    options.alpha = alpha;
    const EffectOutcome outcome = RenderEffect<Format>(
        view, TestFixture::Rebase(view, given, rendered),
        EffectSettings{true, table, {judge, FeatheredAlpha::kReplaces}}, options);
    EXPECT_EQ(bounds, outcome.bounds) << tables[seed].name;
    // Shown through the render itself on every kernel, into another picture
    // and with a window: the same codes and bounds, nothing written or marked.
    for (const auto& [kernel, walk] : testing_support::JudgedWalks<Format>()) {
      std::vector<std::byte> untouched(given.size(), std::byte{0x5A});
      const std::vector<std::byte> pattern = untouched;
      std::vector<std::uint8_t> shown(codes.size(), 0xEE);
      RenderOptions show{.alpha = alpha, .window = PictureRect{1, 1, 9, 5}};
      show.claim_codes = shown.data();
      const EffectOutcome shown_outcome = RenderEffect<Format>(
          walk, view, TestFixture::Rebase(view, given, untouched),
          EffectSettings{true, table, {judge, FeatheredAlpha::kFades}}, show);
      EXPECT_EQ(shown_outcome.bounds, bounds) << tables[seed].name << " " << kernel;
      EXPECT_TRUE(shown == codes) << tables[seed].name << " " << kernel;
      EXPECT_TRUE(untouched == pattern && given == before) << tables[seed].name << " " << kernel;
    }
    if (seed < random_tables) {
      EXPECT_GT(claimed, 0u) << tables[seed].name << ": the frame should hold some claims";
    }
  }
}

// A host that renders into another image: each row read from the source and
// written, judged, into the target, which held nothing before; the source is
// left as it was.
TYPED_TEST(CoreRender, RowsJudgedIntoAnotherPictureMatchTheEffectInPlace) {
  using Format = TypeParam;
  for (std::uint32_t seed = 0; seed < 6; ++seed) {
    const Layout layout{1 + static_cast<std::int64_t>(seed * 13 % 67), 5, 8, seed % 2 == 1};
    const EffectSettings settings{true, equivalence::RandomTable(seed + 40, kMaxColourEntries), {}};
    std::vector<std::byte> source;
    const ImageView source_view = this->Fill(layout, source);
    std::vector<std::byte> expected = source;
    const ImageView expected_view = TestFixture::Rebase(source_view, source, expected);
    const SelectionBounds expected_bounds =
        RenderEffect<Format>(testing_support::IsaWalk<Format>(KernelIsa::kPortable), expected_view,
                             expected_view, settings)
            .bounds;
    const std::vector<std::byte> before = source;
    for (const auto& kernel : testing_support::JudgedWalks<Format>()) {
      std::vector<std::byte> target(source.size(), std::byte{0xA5});
      const ImageView target_view = TestFixture::Rebase(source_view, source, target);
      const SelectionBounds bounds =
          RenderEffect<Format>(kernel.walk, source_view, target_view, settings).bounds;
      EXPECT_EQ(bounds, expected_bounds) << kernel.name << " seed " << seed;
      for (std::int64_t row = 0; row < target_view.rows; ++row) {
        EXPECT_EQ(std::memcmp(target_view.Row(row), expected_view.Row(row),
                              static_cast<std::size_t>(target_view.pixels_per_row) *
                                  sizeof(typename Format::Pixel)),
                  0)
            << kernel.name << " seed " << seed << " row " << row;
      }
      EXPECT_TRUE(source == before) << kernel.name;
    }
  }
}

// A frame walked in bands of one to four rows: the bands' rectangles merged
// frame the same pixels the plain reference keeps, whether a band claims
// something or nothing.
TYPED_TEST(CoreRender, BandsOfAnySizeMergeToTheWholeFrame) {
  using Format = TypeParam;
  std::mt19937 choices(11);
  testing_support::WorkersInTurn workers(2);
  for (std::uint32_t seed = 0; seed < 16; ++seed) {
    const Layout layout{1 + static_cast<std::int64_t>(choices() % 45),
                        1 + static_cast<std::int64_t>(choices() % 12),
                        static_cast<std::int64_t>(choices() % 2) * 5, seed % 2 == 0};
    const ColourEntryTable table =
        equivalence::RandomTable(seed + 300, 1 + static_cast<std::int32_t>(seed % 10));
    const std::int64_t band_rows = 1 + static_cast<std::int64_t>(choices() % 4);
    std::vector<std::byte> given;
    const ImageView given_view = this->Fill(layout, given);
    std::vector<std::byte> expected = given;
    TestFixture::Expect(TestFixture::Rebase(given_view, given, expected), table);
    for (const auto& kernel :
         testing_support::JudgedWalks<Format>(band_rows * given_view.pixels_per_row)) {
      std::vector<std::byte> actual = given;
      const ImageView view = TestFixture::Rebase(given_view, given, actual);
      RenderEffect<Format>(kernel.walk, view, view, {true, table, {}}, {.workers = &workers});
      EXPECT_TRUE(actual == expected) << kernel.name << " seed " << seed << " " << layout.width
                                      << "x" << layout.height << " in bands of " << band_rows
                                      << " rows";
    }
  }
}

TYPED_TEST(CoreRender, SinglePixelsAndSingleRows) {
  const ColourEntryTable table = equivalence::RandomTable(99, kMaxColourEntries);
  for (const Layout& layout : {Layout{1, 1, 0, false}, Layout{1, 1, 5, true},
                               Layout{33, 1, 0, false}, Layout{1, 17, 4, true}}) {
    this->Check(layout, table, "small");
  }
}

}  // namespace
}  // namespace huesieve
