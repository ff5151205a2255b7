// The Render command through EffectMain, at both depths: the walk, the
// bounds, the copy and the corner markers.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "entry/effect_main.h"
#include "hostsim/strict_host.h"
#include "params/param_layout.h"
#include "testing/support/colour_entry_params.h"
#include "testing/support/pixel_compare.h"
#include "testing/support/pixel_depth.h"

namespace {

using hostsim::Depth;
using hostsim::World;

using huesieve_test::DepthOf;

template <typename Pixel>
class RenderTest : public ::testing::Test {
 protected:
  using D = DepthOf<Pixel>;

  RenderTest() : host(&EffectMain) {}
  void SetUp() override {
    ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
    host.param(huesieve::kEnableEffectSlot).u.bd.value = 1;
  }

  static Pixel Opaque(int red, int green, int blue) {
    return Pixel{D::kFull, D::Channel(red), D::Channel(green), D::Channel(blue)};
  }
  static Pixel Red() { return Pixel{D::kFull, D::kFull, 0, 0}; }
  static Pixel Black() { return Pixel{0, 0, 0, 0}; }
  // Far from every colour the tests pick: never claimed.
  static Pixel Background() { return Opaque(20, 200, 220); }

  void SetEntry(int k, PF_Pixel colour, double range, double softness, bool enabled = true) {
    huesieve_test::SetColourEntry(host, k, enabled ? 1 : 0, colour, range, softness);
  }

  World Frame(A_long width, A_long height, A_long rowbytes = 0) {
    World world(D::kDepth, width, height, rowbytes);
    world.Fill(Background());
    return world;
  }

  // Every slot of `world` equals `expected` except the listed ones.
  static void ExpectSlots(const World& world, const Pixel& expected,
                          const std::vector<std::pair<A_long, A_long>>& except = {}) {
    for (A_long row = 0; row < world.def().height; ++row) {
      for (A_long column = 0; column < world.slots_per_row(); ++column) {
        bool listed = false;
        for (const auto& [c, r] : except) listed = listed || (c == column && r == row);
        if (!listed) {
          EXPECT_EQ(world.Get<Pixel>(column, row), expected)
              << "slot (" << column << ", " << row << ")";
        }
      }
    }
  }

  static void ExpectMarkers(const World& output, std::vector<std::pair<A_long, A_long>> at) {
    for (const auto& [column, row] : at) {
      EXPECT_EQ(output.Get<Pixel>(column, row), Red())
          << "marker expected at (" << column << ", " << row << ")";
    }
  }

  hostsim::StrictHost host;
};

using PixelTypes = ::testing::Types<PF_Pixel, PF_Pixel16>;
TYPED_TEST_SUITE(RenderTest, PixelTypes);

constexpr PF_Pixel kOrange{255, 250, 120, 0};
constexpr PF_Pixel kViolet{255, 120, 0, 250};

TYPED_TEST(RenderTest, MasterSwitchOffCopiesTheInputUnchanged) {
  for (PF_ParamValue off : {0, 2, -1}) {
    this->host.param(huesieve::kEnableEffectSlot).u.bd.value = off;
    this->SetEntry(0, kOrange, 50, 0);
    World input = this->Frame(6, 4);
    input.Set(2, 1, this->Opaque(250, 120, 0));
    const World original = input;
    World output(TestFixture::D::kDepth, 6, 4);
    EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
    EXPECT_EQ(output.storage(), original.storage()) << "switch value " << off;
    EXPECT_EQ(input.storage(), original.storage());
  }
}

TYPED_TEST(RenderTest, NothingClaimedClearsAllAndDrawsATopLeftSquare) {
  World input = this->Frame(5, 4);
  World output(TestFixture::D::kDepth, 5, 4);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  this->ExpectSlots(input, this->Black());
  const std::vector<std::pair<A_long, A_long>> square{{0, 0}, {0, 1}, {1, 0}, {1, 1}};
  this->ExpectMarkers(output, square);
  this->ExpectSlots(output, this->Black(), square);
}

TYPED_TEST(RenderTest, SingleClaimedSlotIsMarkedAtItsCornerAndBeyond) {
  this->SetEntry(0, kOrange, 10, 0);
  World input = this->Frame(12, 10);
  input.Set(5, 7, this->Opaque(250, 120, 0));
  World output(TestFixture::D::kDepth, 12, 10);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  const std::vector<std::pair<A_long, A_long>> corners{{5, 7}, {5, 8}, {6, 7}, {6, 8}};
  this->ExpectMarkers(output, corners);
  this->ExpectSlots(output, this->Black(), corners);
}

TYPED_TEST(RenderTest, BoundsSpanClaimsInDifferentRows) {
  this->SetEntry(0, kOrange, 10, 0);
  World input = this->Frame(12, 8);
  input.Set(9, 1, this->Opaque(250, 120, 0));
  input.Set(2, 4, this->Opaque(250, 120, 0));
  World output(TestFixture::D::kDepth, 12, 8);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  // left 2, top 1, right 10, bottom 5
  const std::vector<std::pair<A_long, A_long>> corners{{2, 1}, {2, 5}, {10, 1}, {10, 5}};
  this->ExpectMarkers(output, corners);
  this->ExpectSlots(output, this->Black(), {{2, 1}, {2, 5}, {10, 1}, {10, 5}, {9, 1}, {2, 4}});
  EXPECT_EQ(output.template Get<TypeParam>(9, 1), this->Opaque(250, 120, 0));
}

TYPED_TEST(RenderTest, DisabledEntryClearsButWidensBounds) {
  this->SetEntry(0, kViolet, 10, 0, /*enabled=*/false);
  this->SetEntry(1, kOrange, 10, 0);
  World input = this->Frame(12, 10);
  input.Set(1, 1, this->Opaque(250, 120, 0));
  input.Set(8, 6, this->Opaque(120, 0, 250));
  World output(TestFixture::D::kDepth, 12, 10);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  EXPECT_EQ(input.template Get<TypeParam>(8, 6), this->Black());
  this->ExpectMarkers(output, {{1, 1}, {1, 7}, {9, 1}, {9, 7}});
}

TYPED_TEST(RenderTest, FeatherAlphaReachesTheOutput) {
  // A second claim above and left keeps the markers off the feathered slot.
  this->SetEntry(0, {255, 250, 10, 0}, 25, 30);
  World input = this->Frame(6, 6);
  input.Set(1, 1, this->Opaque(250, 10, 0));
  input.Set(3, 3, this->Opaque(255, 0, 0));
  World output(TestFixture::D::kDepth, 6, 6);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  const int expected_alpha = TestFixture::D::kFull == 255 ? 109 : 14105;
  const TypeParam feathered = output.template Get<TypeParam>(3, 3);
  EXPECT_EQ(feathered.alpha, expected_alpha);
  EXPECT_EQ(feathered.red, TestFixture::D::kFull);
}

TYPED_TEST(RenderTest, PaddingSlotsAreWalkedAndCanMoveTheBounds) {
  this->SetEntry(0, kOrange, 10, 0);
  const A_long pixel_size = static_cast<A_long>(sizeof(TypeParam));
  World input = this->Frame(4, 5, 7 * pixel_size);  // three padding slots a row
  input.Set(5, 2, this->Opaque(250, 120, 0));       // in the padding
  World output(TestFixture::D::kDepth, 4, 5, 7 * pixel_size);
  output.Fill(this->Background());
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  // Padding is judged like any pixel: the unclaimed background there is cleared.
  this->ExpectSlots(input, this->Black(), {{5, 2}});
  // right = 6 lies in the output's padding, inside its stride.
  this->ExpectMarkers(output, {{5, 2}, {5, 3}, {6, 2}, {6, 3}});
}

TYPED_TEST(RenderTest, FailingCopyStillDrawsTheMarkersAndReturnsItsCode) {
  this->host.faults.copy_result = 0x1234;
  this->SetEntry(0, kOrange, 10, 0);
  World input = this->Frame(8, 8);
  input.Set(2, 3, this->Opaque(250, 120, 0));
  World output(TestFixture::D::kDepth, 8, 8);
  output.Fill(this->Background());
  EXPECT_EQ(this->host.Render(input, output), 0x1234);
  const std::vector<std::pair<A_long, A_long>> corners{{2, 3}, {2, 4}, {3, 3}, {3, 4}};
  this->ExpectMarkers(output, corners);
  this->ExpectSlots(output, this->Background(), corners);
}

TYPED_TEST(RenderTest, FailingCopyInBypassReturnsItsCode) {
  this->host.param(huesieve::kEnableEffectSlot).u.bd.value = 0;
  this->host.faults.copy_result = 0x4321;
  World input = this->Frame(3, 3);
  World output(TestFixture::D::kDepth, 3, 3);
  EXPECT_EQ(this->host.Render(input, output), 0x4321);
}

// Markers that fall outside the output are skipped: no write past the buffer
// (the worlds hold exactly their rows) and no wrap into the next row.
TYPED_TEST(RenderTest, MarkersOutsideTheOutputAreSkipped) {
  this->SetEntry(0, kOrange, 10, 0);
  World input = this->Frame(6, 4);
  input.Set(5, 1, this->Opaque(250, 120, 0));  // last column: right = 6
  input.Set(2, 3, this->Opaque(250, 120, 0));  // last row: bottom = 4
  World output(TestFixture::D::kDepth, 6, 4);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  this->ExpectMarkers(output, {{2, 1}});
  this->ExpectSlots(output, this->Black(), {{2, 1}, {5, 1}, {2, 3}});
  EXPECT_EQ(output.template Get<TypeParam>(0, 2), this->Black());
}

TYPED_TEST(RenderTest, SmallerOutputGetsOnlyTheMarkersThatFit) {
  this->SetEntry(0, kOrange, 10, 0);
  World input = this->Frame(10, 10);
  input.Set(1, 1, this->Opaque(250, 120, 0));
  input.Set(6, 6, this->Opaque(250, 120, 0));
  World output(TestFixture::D::kDepth, 4, 4);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  this->ExpectMarkers(output, {{1, 1}});
  this->ExpectSlots(output, this->Black(), {{1, 1}});
}

TYPED_TEST(RenderTest, AbsentBuffersFailWithoutWriting) {
  for (bool input_missing : {true, false}) {
    this->host.faults.no_input_pixels = input_missing;
    this->host.faults.no_output_pixels = !input_missing;
    World input = this->Frame(4, 4);
    const World original = input;
    World output(TestFixture::D::kDepth, 4, 4);
    output.Fill(this->Background());
    EXPECT_EQ(this->host.Render(input, output), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(input.storage(), original.storage());
    EXPECT_EQ(output.storage(), original.storage());
  }
}

// Rows stored bottom-up are walked and marked like any others.
TYPED_TEST(RenderTest, NegativeStrideRendersLikeAPositiveOne) {
  this->SetEntry(0, kOrange, 10, 0);
  const A_long rowbytes = 9 * static_cast<A_long>(sizeof(TypeParam));
  World up_input = this->Frame(9, 10, rowbytes);
  World down_input = this->Frame(9, 10, -rowbytes);
  for (World* input : {&up_input, &down_input}) {
    input->Set(5, 7, this->Opaque(250, 120, 0));
    input->Set(3, 2, this->Opaque(250, 120, 0));
  }
  World up_output(TestFixture::D::kDepth, 9, 10, rowbytes);
  World down_output(TestFixture::D::kDepth, 9, 10, -rowbytes);
  EXPECT_EQ(this->host.Render(up_input, up_output), PF_Err_NONE);
  EXPECT_EQ(this->host.Render(down_input, down_output), PF_Err_NONE);
  this->ExpectMarkers(down_output, {{3, 2}, {3, 8}, {6, 2}, {6, 8}});
  for (A_long row = 0; row < 10; ++row) {
    for (A_long column = 0; column < 9; ++column) {
      EXPECT_EQ(up_output.template Get<TypeParam>(column, row),
                down_output.template Get<TypeParam>(column, row));
    }
  }
}

// A stride that is no multiple of the pixel size leaves pixels unaligned; the
// rows still start rowbytes apart.
TYPED_TEST(RenderTest, OddStrideIsWalkedRowByRow) {
  this->SetEntry(0, kOrange, 10, 0);
  const A_long rowbytes = 3 * static_cast<A_long>(sizeof(TypeParam)) + 3;
  World input = this->Frame(3, 4, rowbytes);
  input.Set(1, 2, this->Opaque(250, 120, 0));
  World output(TestFixture::D::kDepth, 3, 4, rowbytes);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  this->ExpectMarkers(output, {{1, 2}, {1, 3}, {2, 2}, {2, 3}});
  this->ExpectSlots(output, this->Black(), {{1, 2}, {1, 3}, {2, 2}, {2, 3}});
}

TYPED_TEST(RenderTest, EmptyInputStillMarksTheTopLeft) {
  World input = this->Frame(0, 0);
  World output(TestFixture::D::kDepth, 2, 2);
  output.Fill(this->Background());
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  this->ExpectSlots(output, this->Red());
}

}  // namespace
