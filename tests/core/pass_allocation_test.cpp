// The effect call allocates nothing, on any kernel: the per-frame rule and
// the effect's scratch rows live on the stack. Counted by the replacement
// allocation functions linked into this binary.
#include <gtest/gtest.h>

#include <vector>

#include "core/effect.h"
#include "core/effect_walk.h"
#include "testing/support/forced_walk.h"
#include "testing/support/workers_in_turn.h"

// Heap allocations so far in this binary (counting_allocator.cpp).
long AllocationCount();

namespace huesieve {
namespace {

TEST(PassAllocation, EveryKernelRendersWithoutAllocating) {
  ColourEntryTable table;
  table.count = kMaxColourEntries;
  for (std::size_t k = 0; k < kMaxColourEntries; ++k) {
    table.enabled[k] = k % 3 == 0 ? 0 : 1;
    table.colours[k] =
        Rgb8{static_cast<std::uint8_t>(k * 25), 100, static_cast<std::uint8_t>(250 - k * 20)};
    table.ranges[k] = 40.0f;
    table.softness[k] = 50.0f;
  }
  std::vector<Argb8::Pixel> frame8(64 * 32);
  std::vector<Argb16::Pixel> frame16(64 * 32);
  for (std::size_t i = 0; i < frame8.size(); ++i) {
    frame8[i] = Argb8::Pixel{255, static_cast<std::uint8_t>(i * 7),
                             static_cast<std::uint8_t>(i * 3), static_cast<std::uint8_t>(i)};
    frame16[i] = Argb16::Pixel{32768, static_cast<std::uint16_t>(i * 901 % 32769),
                               static_cast<std::uint16_t>(i * 383 % 32769),
                               static_cast<std::uint16_t>(i * 17)};
  }
  const ImageView image8{reinterpret_cast<std::byte*>(frame8.data()), 64 * 4, 64, 32};
  const ImageView image16{reinterpret_cast<std::byte*>(frame16.data()), 64 * 8, 64, 32};
  const auto walks8 = testing_support::JudgedWalks<Argb8>();
  const auto walks16 = testing_support::JudgedWalks<Argb16>();
  for (std::size_t k = 0; k < walks8.size(); ++k) {
    const long before = AllocationCount();
    RenderEffect<Argb8>(walks8[k].walk, image8, image8, {true, table, {}});
    RenderEffect<Argb16>(walks16[k].walk, image16, image16, {true, table, {}});
    EXPECT_EQ(AllocationCount() - before, 0) << walks8[k].name;
  }
}

class NeverAbort final : public RenderAbort {
 public:
  bool Aborted() override { return false; }
};

// Every way through the effect: straight and premultiplied, in place and
// into another picture, with a window that leaves rows and columns beside it
// to be judged through the scratch rows, asking the abort, in bands shared
// by a host's workers, as the rule always was and in each of its modes.
TEST(PassAllocation, TheEffectRendersWithoutAllocating) {
  EffectSettings settings{true, {}, {}};
  settings.entries.count = kMaxColourEntries;
  for (std::size_t k = 0; k < kMaxColourEntries; ++k) {
    settings.entries.enabled[k] = 1;
    settings.entries.colours[k] = Rgb8{static_cast<std::uint8_t>(k * 25), 90, 40};
    settings.entries.ranges[k] = 60.0f;
    settings.entries.softness[k] = 70.0f;
  }
  std::vector<RgbaFloat::Pixel> source(700 * 9);
  std::vector<RgbaFloat::Pixel> target(source.size());
  for (std::size_t i = 0; i < source.size(); ++i) {
    source[i] = RgbaFloat::Pixel{static_cast<float>(i % 251) / 250.0f, 0.35f, 0.15f,
                                 static_cast<float>(i % 3) / 2.0f};
  }
  const ImageView source_view{reinterpret_cast<std::byte*>(source.data()), 700 * 16, 700, 9};
  const ImageView target_view{reinterpret_cast<std::byte*>(target.data()), 700 * 16, 700, 9};
  NeverAbort abort;
  testing_support::WorkersInTurn workers(3);
  for (const RuleModes modes :
       {RuleModes{}, RuleModes{JudgeColours::kSrgbEncoded, FeatheredAlpha::kFades}}) {
    settings.modes = modes;
    // The sRGB tables are made once per process, before the first frame.
    RenderEffect<RgbaFloat>(source_view, target_view, settings);
    for (const AlphaMode alpha : {AlphaMode::kStraight, AlphaMode::kPremultiplied}) {
      for (const ImageView* into : {&target_view, &source_view}) {
        const long before = AllocationCount();
        RenderEffect<RgbaFloat>(
            source_view, *into, settings,
            {.alpha = alpha, .window = PictureRect{3, 2, 650, 6}, .abort = &abort});
        RenderEffect<RgbaFloat>(source_view, *into, settings, {.alpha = alpha});
        RenderEffect<RgbaFloat>(testing_support::BandedWalk<RgbaFloat>(1400), source_view, *into,
                                settings, {.alpha = alpha, .workers = &workers});
        EXPECT_EQ(AllocationCount() - before, 0);
      }
    }
  }
}

}  // namespace
}  // namespace huesieve
