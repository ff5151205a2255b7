// sRGB-encoded judging: the tables made once per process against the plain
// reference's encoding, worked per sample with a power; the floats at and
// beside every step; and a linear float picture judged sRGB-encoded against
// its 8-bit view made with the same encoding, judged as stored.
#include "core/srgb_decision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "core/effect.h"
#include "testing/reference/plain_colour_rule.h"
#include "testing/support/equivalence_cases.h"
#include "testing/support/kernel_isas.h"

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
    for (const KernelIsa isa : kAllKernelIsas) {
      if (!KernelIsaRuns(isa)) continue;
      SCOPED_TRACE(std::string(KernelIsaName(isa)) + " seed " + std::to_string(seed));
      std::vector<RgbaFloat::Pixel> plate_out(plate.size());
      const EffectOutcome encoded = RenderEffect<RgbaFloat>(
          {reinterpret_cast<std::byte*>(plate.data()), kWidth * 16, kWidth, kHeight},
          {reinterpret_cast<std::byte*>(plate_out.data()), kWidth * 16, kWidth, kHeight}, settings,
          {.isa = isa});
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
