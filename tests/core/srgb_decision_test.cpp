// sRGB-encoded judging: the tables made once per process against the plain
// reference's encoding, worked per sample with a power; the floats at and
// beside every step; the float keys of the lane kernels' prefilter and the
// reach they give; and a linear float picture judged sRGB-encoded against
// its 8-bit view made with the same encoding, judged as stored.
#include "core/srgb_decision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "core/effect.h"
#include "core/frame_rule.h"
#include "core/srgb_float_reach.h"
#include "testing/reference/plain_colour_rule.h"
#include "core/effect_walk.h"
#include "testing/support/equivalence_cases.h"
#include "testing/support/forced_walk.h"

namespace huesieve {
namespace {

using plain_reference::Scale;
using plain_reference::SrgbToByte;

std::int32_t Plain(double sample, Scale scale) {
  return static_cast<std::int32_t>(SrgbToByte(sample, scale));
}

TEST(SrgbDecisionTest, EveryIntegerSampleDecidesAsThePlainEncoding) {
  const SrgbDecisionTables& tables = SrgbTables();
  for (std::uint32_t v = 0; v < 65536; ++v) {
    if (v < 256) {
      ASSERT_EQ(SrgbByteScale<Rgba8>(tables, static_cast<std::uint8_t>(v)), Plain(v, Scale::kByte))
          << v;
      ASSERT_EQ(SrgbByteScale<Argb8>(tables, static_cast<std::uint8_t>(v)), Plain(v, Scale::kByte))
          << v;
    }
    const auto sample = static_cast<std::uint16_t>(v);
    ASSERT_EQ(SrgbByteScale<Rgba16>(tables, sample), Plain(v, Scale::kShort)) << v;
    ASSERT_EQ(SrgbByteScale<Argb16>(tables, sample), Plain(v, Scale::kHost16)) << v;
  }
  // Full intensity and beyond it at After Effects' 16 bits.
  EXPECT_EQ(SrgbByteScale<Argb16>(tables, 32768), 255);
  EXPECT_EQ(SrgbByteScale<Argb16>(tables, 65535), 255);
}

// Each step of the decision, the floats just below and above it, and the
// ends of the scale where the table is not consulted.
TEST(SrgbDecisionTest, FloatsBesideEveryStepDecideAsThePlainEncoding) {
  const SrgbDecisionTables& tables = SrgbTables();
  for (int d = 1; d < 256; ++d) {
    const float step = tables.float_step[static_cast<std::size_t>(d)];
    EXPECT_EQ(Plain(step, Scale::kFloat), d) << "step " << d;
    float below = step;
    float above = step;
    for (int ulps = 0; ulps < 4; ++ulps) {
      below = std::nextafter(below, 0.0f);
      EXPECT_EQ(SrgbByteScale<RgbaFloat>(tables, below), Plain(below, Scale::kFloat)) << below;
      EXPECT_EQ(SrgbByteScale<RgbaFloat>(tables, above), Plain(above, Scale::kFloat)) << above;
      above = std::nextafter(above, 2.0f);
    }
    EXPECT_EQ(SrgbByteScale<RgbaFloat>(tables, std::nextafter(step, 0.0f)), d - 1);
  }
  for (const float odd : {0.0f, -0.0f, -1.0f, 1e-45f, 1.0f, 1.5f, 1e30f, INFINITY, -INFINITY, NAN,
                          std::nextafter(1.0f, 0.0f), 0.0031308f}) {
    EXPECT_EQ(SrgbByteScale<RgbaFloat>(tables, odd), Plain(odd, Scale::kFloat)) << odd;
  }
}

// One compare past the bucket's own decision finds the step: no bucket of
// floats sharing their top 16 bits spans two steps.
TEST(SrgbDecisionTest, NoBucketOfFloatsHoldsTwoSteps) {
  for (std::uint32_t bucket = 0; bucket < SrgbDecisionTables::kFloatBuckets; ++bucket) {
    const float first = std::bit_cast<float>(bucket << 16);
    const float last = std::bit_cast<float>(bucket << 16 | 0xFFFF);
    ASSERT_LE(Plain(last, Scale::kFloat) - Plain(first, Scale::kFloat), 1) << bucket;
  }
  std::mt19937 random(30);
  std::uniform_int_distribution<std::uint32_t> bits(0, std::bit_cast<std::uint32_t>(1.0f));
  for (int i = 0; i < 200000; ++i) {
    const float sample = std::bit_cast<float>(bits(random));
    ASSERT_EQ(SrgbByteScale<RgbaFloat>(SrgbTables(), sample), Plain(sample, Scale::kFloat))
        << sample;
  }
}

// Every float of the keys at the low end, about a cell's edge and at the top,
// a stride through the rest and the floats about each key's first: each
// float's key is the one its bits give, and its decision lies in the key's
// span, whose ends are taken where every float of the key is seen.
TEST(SrgbFloatKeyTest, EachKeySpansTheDecisionsOfItsFloats) {
  const SrgbDecisionTables& tables = SrgbTables();
  constexpr std::uint32_t kShift = SrgbDecisionTables::kFloatKeyShift;
  constexpr std::uint32_t kBase = SrgbDecisionTables::kFloatKeyBase;
  const auto check = [&](std::uint32_t bits, std::uint32_t key) {
    const float sample = std::bit_cast<float>(bits);
    const std::int32_t decision = Plain(sample, Scale::kFloat);
    EXPECT_EQ(SrgbFloatKey(bits), key) << sample;
    EXPECT_GE(decision, tables.float_key_lowest[key]) << sample;
    EXPECT_LE(decision, tables.float_key_highest[key]) << sample;
    return decision;
  };
  for (const std::uint32_t key : {1u, 2u, 17u, 30u}) {
    std::int32_t lowest = 255;
    std::int32_t highest = 0;
    const std::uint32_t first = kBase + (key << kShift);
    for (std::uint32_t bits = first; bits < first + (1u << kShift); ++bits) {
      const std::int32_t decision = check(bits, key);
      lowest = std::min(lowest, decision);
      highest = std::max(highest, decision);
    }
    EXPECT_EQ(lowest, tables.float_key_lowest[key]) << key;
    EXPECT_EQ(highest, tables.float_key_highest[key]) << key;
  }
  for (std::uint32_t bits = 0; bits <= SrgbDecisionTables::kFloatOne; bits += 4099) {
    check(bits, SrgbFloatKey(bits));
  }
  for (std::uint32_t key = 1; key < SrgbDecisionTables::kFloatKeys; ++key) {
    const std::uint32_t first = kBase + (key << kShift);
    for (std::uint32_t bits = first - 3; bits <= first + 3 && bits <= SrgbDecisionTables::kFloatOne;
         ++bits) {
      check(bits, bits < first ? key - 1 : key);
    }
  }
  EXPECT_EQ(check(0, 0), 0);
  EXPECT_EQ(check(SrgbDecisionTables::kFloatOne, 31), 255);
  EXPECT_EQ(tables.float_key_lowest[31], 255);
}

// A key's reach holds the reach of exactly the cells of its span: with one
// cell's reach set at a time, the keys that take it are the keys whose
// decisions reach into the cell.
TEST(SrgbFloatKeyTest, KeyReachIsTheUnionOfItsCells) {
  const SrgbDecisionTables& tables = SrgbTables();
  for (std::size_t cell = 0; cell < CellTable::kCellsPerAxis; ++cell) {
    CellTable::AxisReach cells{};
    cells[cell] = 0x205;
    const FloatKeyReach reach = SrgbFloatKeyReach(cells, tables);
    for (std::size_t key = 0; key < reach.size(); ++key) {
      const bool spans =
          tables.float_key_lowest[key] >> CellTable::kCellShift <= cell &&
          cell <= std::size_t{tables.float_key_highest[key]} >> CellTable::kCellShift;
      EXPECT_EQ(reach[key], spans ? 0x205 : 0) << "cell " << cell << " key " << key;
    }
  }
}

// Over the equivalence frame's floats, in vectors of 16, for tables sparse
// and full: where the keys' reach rules a vector out, the cells' reach rules
// out each of its lanes (so does the rule), and the sparse tables rule some
// vectors out and let others through, so the kernels' check takes both ways.
TEST(SrgbFloatKeyTest, KeyReachRulesOutOnlyWhatTheCellsRuleOut) {
  const SrgbDecisionTables& tables = SrgbTables();
  const std::vector<RgbaFloat::Pixel> frame = equivalence::ColourFrameFloat(std::size_t{1} << 16);
  const auto held = [](float sample) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(sample);
    return bits > 0x7F800000u ? 0u : std::min(bits, SrgbDecisionTables::kFloatOne);
  };
  for (const auto& [name, table] :
       {std::pair{"srgb_key_edges", equivalence::SrgbKeyEdges()},
        std::pair{"random_count3", equivalence::RandomTable(12, 3)},
        std::pair{"random1", equivalence::RandomTable(1, kMaxColourEntries)}}) {
    SCOPED_TRACE(name);
    const FrameRule<RgbaFloat> rule(table);
    const CellTable& cells = rule.cells();
    const std::array<FloatKeyReach, 3> key_reach = {SrgbFloatKeyReach(cells.red_reach(), tables),
                                                    SrgbFloatKeyReach(cells.green_reach(), tables),
                                                    SrgbFloatKeyReach(cells.blue_reach(), tables)};
    const std::array<const CellTable::AxisReach*, 3> cell_reach = {
        &cells.red_reach(), &cells.green_reach(), &cells.blue_reach()};
    std::size_t ruled_out = 0;
    std::size_t through = 0;
    for (std::size_t start = 0; start + 16 <= frame.size(); start += 16) {
      bool reached = false;
      for (std::size_t i = start; i < start + 16; ++i) {
        std::uint32_t by_keys = CellTable::kEntryMask;
        std::uint32_t by_cells = CellTable::kEntryMask;
        for (std::size_t axis = 0; axis < 3; ++axis) {
          const std::uint32_t bits = held(frame[i][axis]);
          by_keys &= key_reach[axis][SrgbFloatKey(bits)];
          const auto decision =
              static_cast<std::size_t>(SrgbByteScale<RgbaFloat>(tables, frame[i][axis]));
          by_cells &= (*cell_reach[axis])[decision >> CellTable::kCellShift];
        }
        ASSERT_EQ(by_cells & ~by_keys, 0u) << "pixel " << i;
        reached = reached || by_keys != 0;
      }
      ++(reached ? through : ruled_out);
    }
    EXPECT_GT(through, std::size_t{0});
    if (std::string(name) != "random1") {
      EXPECT_GT(ruled_out, std::size_t{0});
    }
  }
}

// A linear plate judged sRGB-encoded claims exactly the pixels that its
// 8-bit view, encoded alike, claims when judged as stored, in every kernel.
TEST(SrgbDecisionTest, ALinearPlateClaimsWhatItsEncodedViewClaims) {
  constexpr std::int64_t kWidth = 211;
  constexpr std::int64_t kHeight = 13;
  std::mt19937 random(61966);
  std::uniform_real_distribution<float> linear(0.0f, 1.0f);
  std::vector<RgbaFloat::Pixel> plate(kWidth * kHeight);
  std::vector<Rgba8::Pixel> view(plate.size());
  for (std::size_t i = 0; i < plate.size(); ++i) {
    // Mostly dark, where linear and encoded values differ the most.
    for (std::size_t c = 0; c < 3; ++c) {
      const float v = linear(random);
      plate[i][c] = v * v * v;
      view[i][c] = static_cast<std::uint8_t>(Plain(plate[i][c], Scale::kFloat));
    }
    plate[i][3] = 1.0f;
    view[i][3] = 255;
  }
  std::size_t kept = 0;
  for (std::uint32_t seed = 0; seed < 6; ++seed) {
    EffectSettings settings{true, equivalence::RandomTable(seed, kMaxColourEntries), {}};
    for (std::size_t k = 0; k < kMaxColourEntries; ++k) settings.entries.softness[k] = 0.0f;
    std::vector<Rgba8::Pixel> view_out(view.size());
    const ImageView view_in{reinterpret_cast<std::byte*>(view.data()), kWidth * 4, kWidth, kHeight};
    const ImageView view_target{reinterpret_cast<std::byte*>(view_out.data()), kWidth * 4, kWidth,
                                kHeight};
    const EffectOutcome stored = RenderEffect<Rgba8>(view_in, view_target, settings);
    settings.modes.judge = JudgeColours::kSrgbEncoded;
    for (const auto& kernel : testing_support::JudgedWalks<RgbaFloat>()) {
      SCOPED_TRACE(kernel.name + " seed " + std::to_string(seed));
      std::vector<RgbaFloat::Pixel> plate_out(plate.size());
      const EffectOutcome encoded = RenderEffect<RgbaFloat>(
          kernel.walk, {reinterpret_cast<std::byte*>(plate.data()), kWidth * 16, kWidth, kHeight},
          {reinterpret_cast<std::byte*>(plate_out.data()), kWidth * 16, kWidth, kHeight}, settings);
      EXPECT_EQ(encoded.bounds, stored.bounds);
      for (std::size_t i = 0; i < plate.size(); ++i) {
        // Kept pixels are the plate's own samples; cleared ones are black.
        if (view_out[i] == kMarker<Rgba8>) {
          ASSERT_EQ(plate_out[i], kMarker<RgbaFloat>) << "pixel " << i;
          continue;
        }
        const bool kept_view = view_out[i][3] != 0;
        const bool kept_plate = plate_out[i][3] != 0.0f;
        ASSERT_EQ(kept_plate, kept_view) << "pixel " << i;
        if (kept_plate) {
          ASSERT_EQ(plate_out[i], plate[i]) << "pixel " << i;
          ++kept;
        }
      }
    }
  }
  EXPECT_GT(kept, std::size_t{0}) << "no entry claimed a pixel: the comparison shows nothing";
}

}  // namespace
}  // namespace huesieve
