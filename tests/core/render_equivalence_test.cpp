// The core's effect against the plain walk that applies MatchPixel to every
// pixel: every 8-bit colour, the 16-bit conversion boundaries, padded, odd
// and bottom-up strides, for tables chosen to sit on the rule's edges, on
// every kernel this processor runs and on the lane kernel over the emulated
// 16-lane operations, each compiled for the rule as it always was and for
// each of its modes.
#include <gtest/gtest.h>

#include "core/effect_walk.h"
#include "testing/support/equivalence_cases.h"
#include "testing/support/forced_walk.h"

namespace huesieve::equivalence {
// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const TableCase& table_case, std::ostream* out) { *out << table_case.name; }
}  // namespace huesieve::equivalence

namespace huesieve {
namespace {

using equivalence::HostileTables;
using equivalence::kEveryModes;
using equivalence::ModesName;
using equivalence::ReferenceRun;
using equivalence::TableCase;
using testing_support::JudgedWalk;
using testing_support::JudgedWalks;

constexpr std::size_t kAllColours = std::size_t{1} << 24;
constexpr std::int64_t kFrameWidth = 4096;

std::int64_t WidthFor(std::size_t slots) {
  return static_cast<std::int64_t>(std::min<std::size_t>(slots, kFrameWidth));
}

// The rule's modes change only how a sample becomes its decision byte (the
// tables, checked sample by sample in srgb_decision_test) and how a feather
// band's alpha is stored: every colour checks the rule, a sample of them each
// mode's kernels.
constexpr std::size_t kModeSample = std::size_t{1} << 20;

// A frame of `kMake`'s colours, all that the sample asks for, or for the
// modes at most kModeSample of them; made once.
template <auto kMake>
const auto& Frame(std::size_t all, bool for_modes) {
  static const auto every = kMake(equivalence::SampleFromEnvironment(all));
  static const auto sampled = kMake(std::min(equivalence::SampleFromEnvironment(all), kModeSample));
  return for_modes ? sampled : every;
}

const std::vector<Argb8::Pixel>& Colours8(bool for_modes) {
  return Frame<equivalence::ColourFrame8>(kAllColours, for_modes);
}

template <typename Format>
const std::vector<typename Format::Pixel>& Colours16(bool for_modes) {
  return Frame<equivalence::ColourFrame16<Format>>(std::size_t{1} << 22, for_modes);
}

const std::vector<RgbaFloat::Pixel>& ColoursFloat(bool for_modes) {
  return Frame<equivalence::ColourFrameFloat>(std::size_t{1} << 22, for_modes);
}

// Every kernel in every mode against the plain walk in that mode: the rule
// as it always was over `colours(false)`, the modes over `colours(true)`.
template <typename Format, typename Colours>
void ExpectEveryKernelMatches(Colours colours, const ColourEntryTable& table) {
  for (const RuleModes& modes : kEveryModes) {
    const std::vector<typename Format::Pixel>& frame = colours(modes != RuleModes{});
    const std::int64_t width = WidthFor(frame.size());
    const ReferenceRun<Format> reference(
        frame, width, width * std::int64_t{sizeof(typename Format::Pixel)}, table, modes);
    for (const JudgedWalk<Format>& kernel : JudgedWalks<Format>()) {
      EXPECT_EQ(reference.Compare(kernel.walk), "") << kernel.name << ", " << ModesName(modes);
    }
  }
}

class FastPassEquivalence : public ::testing::TestWithParam<TableCase> {};

TEST_P(FastPassEquivalence, EveryColour8MatchesPlainWalk) {
  ExpectEveryKernelMatches<Argb8>(Colours8, GetParam().table);
}

TEST_P(FastPassEquivalence, ConversionBoundaries16MatchPlainWalk) {
  ExpectEveryKernelMatches<Argb16>(Colours16<Argb16>, GetParam().table);
}

TEST_P(FastPassEquivalence, EveryColourRgba8MatchesPlainWalk) {
  ExpectEveryKernelMatches<Rgba8>(
      [](bool for_modes) { return equivalence::Reordered<Rgba8, Argb8>(Colours8(for_modes)); },
      GetParam().table);
}

TEST_P(FastPassEquivalence, ConversionBoundariesRgba16MatchPlainWalk) {
  ExpectEveryKernelMatches<Rgba16>(Colours16<Rgba16>, GetParam().table);
}

TEST_P(FastPassEquivalence, ConversionEdgesAndSpecialFloatsMatchPlainWalk) {
  ExpectEveryKernelMatches<RgbaFloat>(ColoursFloat, GetParam().table);
}

INSTANTIATE_TEST_SUITE_P(HostileTables, FastPassEquivalence, ::testing::ValuesIn(HostileTables()),
                         [](const ::testing::TestParamInfo<TableCase>& param_info) {
                           return param_info.param.name;
                         });

// A small frame of smooth colour with one patch near the entries' colours, so
// that claims cluster and the bounds are interior; laid out with padding,
// with odd and with bottom-up strides (the pixels of the padding are walked
// too, as After Effects' module walks them).
struct Layout {
  const char* name;
  std::int64_t width;
  std::int64_t height;
  std::int64_t extra_bytes;  // added to the packed row size
  bool bottom_up;
};

std::vector<Argb8::Pixel> PatchFrame(std::int64_t width, std::int64_t height) {
  std::vector<Argb8::Pixel> frame(static_cast<std::size_t>(width * height));
  for (std::int64_t y = 0; y < height; ++y) {
    for (std::int64_t x = 0; x < width; ++x) {
      const bool patch = x > width / 3 && x < width / 2 && y > height / 4 && y < height / 2;
      const Rgb8 spread = equivalence::SpreadColour(static_cast<std::size_t>(x % 3));
      frame[static_cast<std::size_t>(y * width + x)] =
          patch ? Argb8::Pixel{255, spread.red, spread.green, spread.blue}
                : Argb8::Pixel{static_cast<std::uint8_t>(x ^ y), static_cast<std::uint8_t>(x & 255),
                               static_cast<std::uint8_t>((y * 2) & 255),
                               static_cast<std::uint8_t>(255 - x % 256)};
    }
  }
  return frame;
}

class FastPassLayouts : public ::testing::TestWithParam<Layout> {};

TEST_P(FastPassLayouts, PixelsAndBoundsMatchPlainWalk) {
  const Layout& layout = GetParam();
  const std::vector<Argb8::Pixel> frame8 = PatchFrame(layout.width, layout.height);
  std::vector<Argb16::Pixel> frame16(frame8.size());
  for (std::size_t i = 0; i < frame8.size(); ++i) {
    const auto [alpha, red, green, blue] = frame8[i];
    frame16[i] = Argb16::Pixel{
        static_cast<std::uint16_t>(alpha * 128), static_cast<std::uint16_t>(red * 128 + 64),
        static_cast<std::uint16_t>(green * 129), static_cast<std::uint16_t>(blue * 128)};
  }
  const auto stride = [&](std::int64_t pixel_size) {
    const std::int64_t bytes = layout.width * pixel_size + layout.extra_bytes;
    return layout.bottom_up ? -bytes : bytes;
  };
  for (const TableCase& table_case : HostileTables()) {
    for (const RuleModes& modes : kEveryModes) {
      const ReferenceRun<Argb8> reference8(frame8, layout.width, stride(4), table_case.table, modes);
      const ReferenceRun<Argb16> reference16(frame16, layout.width, stride(8), table_case.table,
                                             modes);
      for (const JudgedWalk<Argb8>& kernel : JudgedWalks<Argb8>()) {
        EXPECT_EQ(reference8.Compare(kernel.walk), "")
            << table_case.name << " 8-bit " << kernel.name << ", " << ModesName(modes);
      }
      for (const JudgedWalk<Argb16>& kernel : JudgedWalks<Argb16>()) {
        EXPECT_EQ(reference16.Compare(kernel.walk), "")
            << table_case.name << " 16-bit " << kernel.name << ", " << ModesName(modes);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Strides, FastPassLayouts,
    ::testing::Values(Layout{"Packed", 203, 61, 0, false}, Layout{"Padded", 203, 61, 40, false},
                      Layout{"OddStride", 97, 33, 3, false}, Layout{"BottomUp", 203, 61, 24, true},
                      Layout{"BottomUpOdd", 97, 33, 5, true}, Layout{"OneRow", 50, 1, 0, false},
                      Layout{"NarrowerThanVector", 5, 7, 2, false}),
    [](const ::testing::TestParamInfo<Layout>& param_info) {
      return std::string(param_info.param.name);
    });

// The bounds and markers where two known pixels are the only claimed ones,
// worked by hand: the plain walk is not the only witness.
TEST(FastPassBounds, TwoClaimedPixelsGiveHandWorkedBoundsAndMarkers) {
  ColourEntryTable table;
  table.count = 1;
  table.enabled[0] = 1;
  table.colours[0] = Rgb8{10, 200, 30};
  table.ranges[0] = 1.0f;  // only the exact colour (distance 0) lies below
  std::vector<Argb8::Pixel> frame(20 * 12, Argb8::Pixel{255, 0, 0, 0});
  frame[7 * 20 + 5] = Argb8::Pixel{77, 10, 200, 30};
  frame[9 * 20 + 8] = Argb8::Pixel{77, 10, 200, 30};
  constexpr Argb8::Pixel kMarked{255, 255, 0, 0};
  for (const JudgedWalk<Argb8>& kernel : JudgedWalks<Argb8>()) {
    std::vector<Argb8::Pixel> pixels = frame;
    const ImageView image{reinterpret_cast<std::byte*>(pixels.data()), 20 * 4, 20, 12};
    const SelectionBounds bounds =
        RenderEffect<Argb8>(kernel.walk, image, image, {true, table, {}}).bounds;
    EXPECT_EQ(bounds, (SelectionBounds{5, 7, 9, 10})) << kernel.name;
    EXPECT_EQ(pixels[9 * 20 + 8], frame[9 * 20 + 8]) << kernel.name;
    for (const std::size_t marker : {7u * 20 + 5, 7u * 20 + 9, 10u * 20 + 5, 10u * 20 + 9}) {
      EXPECT_EQ(pixels[marker], kMarked) << kernel.name << " at " << marker;
    }
    EXPECT_EQ(pixels[0], (Argb8::Pixel{0, 0, 0, 0})) << kernel.name;
  }
}

}  // namespace
}  // namespace huesieve
