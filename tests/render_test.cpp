// The Render command through EffectMain and the strict simulated host, at both
// depths: the walk over every slot, the selection bounds, the host's copy and
// the corner markers, and what the module does with bad input from the host
// (absent pixels, odd and bottom-up strides, empty and mismatched images,
// hostile slider values, refused copies). Images of exact allocation let
// AddressSanitizer catch any access outside them.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "entry/effect_main.h"
#include "params/param_layout.h"
#include "testing/hostsim/exact_world.h"
#include "testing/hostsim/strict_host.h"
#include "testing/hostsim/world.h"
#include "testing/support/colour_entry_params.h"
#include "testing/support/pixel_compare.h"
#include "testing/support/pixel_depth.h"

namespace {

using hostsim::Depth;
using hostsim::ExactWorld;
using hostsim::World;
using huesieve_test::DepthOf;
using huesieve_test::MakePixel;
using Slots = std::vector<std::pair<A_long, A_long>>;  // (column, row)

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

constexpr PF_Pixel kOrange{255, 250, 120, 0};
constexpr PF_Pixel kViolet{255, 120, 0, 250};
constexpr PF_Pixel kRed{255, 255, 0, 0};

template <typename Pixel>
class RenderTest : public ::testing::Test {
 protected:
  using D = DepthOf<Pixel>;
  static constexpr bool kDeep = D::kDepth == Depth::k16;
  static constexpr Depth kOtherDepth = kDeep ? Depth::k8 : Depth::k16;
  static constexpr A_long kPixelSize = static_cast<A_long>(sizeof(Pixel));

  void SetUp() override {
    ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
    SetMaster(1);
  }

  void SetMaster(PF_ParamValue value) {
    host.param(huesieve::kEnableEffectSlot).u.bd.value = value;
  }
  void SetEntry(int k, PF_Pixel colour, double range, double softness, PF_ParamValue enable = 1) {
    huesieve_test::SetColourEntry(host, k, enable, colour, range, softness);
  }

  // Channels given at the 8-bit scale, at this depth's nearest value.
  static Pixel Scaled(int alpha, int red, int green, int blue) {
    return Pixel{D::Channel(alpha), D::Channel(red), D::Channel(green), D::Channel(blue)};
  }
  static Pixel Opaque(int red, int green, int blue) { return Scaled(255, red, green, blue); }
  static Pixel Orange() { return Opaque(250, 120, 0); }
  static Pixel Red() { return Pixel{D::kFull, D::kFull, 0, 0}; }
  static Pixel Black() { return Pixel{0, 0, 0, 0}; }
  // Far from every colour the tests pick: never claimed.
  static Pixel Background() { return Opaque(20, 200, 220); }

  // An image of this depth, every byte 0.
  static World Blank(A_long width, A_long height, A_long rowbytes = 0) {
    return World(D::kDepth, width, height, rowbytes);
  }
  // An image of this depth, every slot the background.
  static World Frame(A_long width, A_long height, A_long rowbytes = 0) {
    World world = Blank(width, height, rowbytes);
    world.Fill(Background());
    return world;
  }
  // Every byte of a top-down image, padding included.
  static void FillBytes(World& world, unsigned char value) {
    std::memset(world.def().data, value, world.storage().size());
  }

  // Every slot of `world` equals `expected` except the listed ones.
  static void ExpectSlots(const World& world, const Pixel& expected, const Slots& except = {}) {
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

  static void ExpectMarkers(const World& output, const Slots& at) {
    for (const auto& [column, row] : at) {
      EXPECT_EQ(output.Get<Pixel>(column, row), Red())
          << "marker expected at (" << column << ", " << row << ")";
    }
  }

  // Every slot of `world`, row by row.
  static void ExpectImage(const World& world, const std::vector<std::vector<Pixel>>& rows) {
    ASSERT_EQ(static_cast<std::size_t>(world.def().height), rows.size());
    for (std::size_t row = 0; row < rows.size(); ++row) {
      ASSERT_EQ(static_cast<std::size_t>(world.slots_per_row()), rows[row].size());
      for (std::size_t column = 0; column < rows[row].size(); ++column) {
        EXPECT_EQ(world.Get<Pixel>(static_cast<A_long>(column), static_cast<A_long>(row)),
                  rows[row][column])
            << "slot (" << column << ", " << row << ")";
      }
    }
  }

  hostsim::StrictHost host{&EffectMain};
};

using PixelTypes = ::testing::Types<PF_Pixel, PF_Pixel16>;
TYPED_TEST_SUITE(RenderTest, PixelTypes);

// --- The walk, the bounds, the copy and the markers --------------------------

TYPED_TEST(RenderTest, NothingClaimedClearsAllAndDrawsATopLeftSquare) {
  World input = this->Frame(5, 4);
  World output = this->Blank(5, 4);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  this->ExpectSlots(input, this->Black());
  const Slots square{{0, 0}, {0, 1}, {1, 0}, {1, 1}};
  this->ExpectMarkers(output, square);
  this->ExpectSlots(output, this->Black(), square);
}

TYPED_TEST(RenderTest, SingleClaimedSlotIsMarkedAtItsCornerAndBeyond) {
  this->SetEntry(0, kOrange, 10, 0);
  World input = this->Frame(12, 10);
  input.Set(5, 7, this->Orange());
  World output = this->Blank(12, 10);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  const Slots corners{{5, 7}, {5, 8}, {6, 7}, {6, 8}};
  this->ExpectMarkers(output, corners);
  this->ExpectSlots(output, this->Black(), corners);
}

TYPED_TEST(RenderTest, BoundsSpanClaimsInDifferentRows) {
  this->SetEntry(0, kOrange, 10, 0);
  World input = this->Frame(12, 8);
  input.Set(9, 1, this->Orange());
  input.Set(2, 4, this->Orange());
  World output = this->Blank(12, 8);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  // left 2, top 1, right 10, bottom 5
  this->ExpectMarkers(output, {{2, 1}, {2, 5}, {10, 1}, {10, 5}});
  this->ExpectSlots(output, this->Black(), {{2, 1}, {2, 5}, {10, 1}, {10, 5}, {9, 1}, {2, 4}});
  EXPECT_EQ(output.template Get<TypeParam>(9, 1), this->Orange());
}

TYPED_TEST(RenderTest, DisabledEntryClearsButWidensBounds) {
  this->SetEntry(0, kViolet, 10, 0, /*enable=*/0);
  this->SetEntry(1, kOrange, 10, 0);
  World input = this->Frame(12, 10);
  input.Set(1, 1, this->Orange());
  input.Set(8, 6, this->Opaque(120, 0, 250));
  World output = this->Blank(12, 10);
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
  World output = this->Blank(6, 6);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  const int expected_alpha = TestFixture::kDeep ? 14105 : 109;
  const TypeParam feathered = output.template Get<TypeParam>(3, 3);
  EXPECT_EQ(feathered.alpha, expected_alpha);
  EXPECT_EQ(feathered.red, TestFixture::D::kFull);
}

TYPED_TEST(RenderTest, PaddingSlotsAreWalkedAndCanMoveTheBounds) {
  this->SetEntry(0, kOrange, 10, 0);
  const A_long rowbytes = 7 * TestFixture::kPixelSize;  // three padding slots a row
  World input = this->Frame(4, 5, rowbytes);
  input.Set(5, 2, this->Orange());  // in the padding
  World output = this->Frame(4, 5, rowbytes);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  // Padding is judged like any pixel: the unclaimed background there is cleared.
  this->ExpectSlots(input, this->Black(), {{5, 2}});
  // right = 6 lies in the output's padding, inside its stride.
  this->ExpectMarkers(output, {{5, 2}, {5, 3}, {6, 2}, {6, 3}});
}

TYPED_TEST(RenderTest, MasterSwitchOtherThanOneCopiesTheInputThrough) {
  this->SetEntry(0, kOrange, kInfinity, 100);  // on, it would claim every slot
  for (const PF_ParamValue master : {0, 2, -1, 0x7fffffff}) {
    SCOPED_TRACE(master);
    this->SetMaster(master);
    World input = this->Frame(6, 4);
    input.Set(2, 1, this->Orange());
    const World original = input;
    World output = this->Blank(6, 4);
    EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
    EXPECT_EQ(output.storage(), original.storage());
    EXPECT_EQ(input.storage(), original.storage());
  }
}

// --- Images the host may send ------------------------------------------------

// Markers that fall outside the output are skipped: no write past the buffer
// (the images hold exactly their rows) and no wrap into the next row.
TYPED_TEST(RenderTest, MarkersOutsideTheOutputAreSkipped) {
  this->SetEntry(0, kOrange, 10, 0);
  World input = this->Frame(6, 4);
  input.Set(5, 1, this->Orange());  // last column: right = 6
  input.Set(2, 3, this->Orange());  // last row: bottom = 4
  World output = this->Blank(6, 4);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  this->ExpectMarkers(output, {{2, 1}});
  this->ExpectSlots(output, this->Black(), {{2, 1}, {5, 1}, {2, 3}});
  EXPECT_EQ(output.template Get<TypeParam>(0, 2), this->Black());
}

// The walk covers the whole input; markers go to the output only where it has
// the slot. Claims at (1, 1) and (6, 6) of a 10 × 10 input give bounds
// (1, 1)-(7, 7): of the four markers only (1, 1) lies in a 4 × 4 output.
TYPED_TEST(RenderTest, SmallerOutputTakesOnlyTheMarkersThatFitWhileTheWholeInputIsWalked) {
  this->SetEntry(0, kOrange, 10, 0);
  World input = this->Frame(10, 10);
  input.Set(1, 1, this->Orange());
  input.Set(6, 6, this->Orange());
  World output = this->Frame(4, 4);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  this->ExpectMarkers(output, {{1, 1}});
  this->ExpectSlots(output, this->Black(), {{1, 1}});
  this->ExpectSlots(input, this->Black(), {{1, 1}, {6, 6}});
  EXPECT_EQ(input.template Get<TypeParam>(6, 6), this->Orange());
}

// Claimed slot (1, 1) of a 2 × 2 input: markers at (1, 1), (1, 2), (2, 1) and
// (2, 2) of a 4 × 4 output, three of them beyond the copied area.
TYPED_TEST(RenderTest, LargerOutputTakesMarkersBeyondTheCopiedArea) {
  this->SetEntry(0, kRed, 10, 0);
  World input = this->Frame(2, 2);
  input.Set(1, 1, this->Red());
  World output = this->Frame(4, 4);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  const TypeParam c = this->Black();
  const TypeParam r = this->Red();
  const TypeParam b = this->Background();
  this->ExpectImage(output, {{c, c, b, b}, {c, r, r, b}, {b, r, r, b}, {b, b, b, b}});
}

// Rows stored bottom-up: row 0 lies last in memory. The single claimed slot at
// (1, 2) gives bounds (1, 2)-(2, 3); the markers on row 3 fall outside the
// three-row output and are skipped.
TYPED_TEST(RenderTest, NegativeStrideAddressesRowsBottomUp) {
  this->SetEntry(0, kRed, 10, 0);
  const A_long rowbytes = 3 * TestFixture::kPixelSize;
  World input = this->Frame(3, 3, -rowbytes);
  input.Set(1, 2, this->Red());
  World output = this->Blank(3, 3, -rowbytes);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  const TypeParam c = this->Black();
  const TypeParam r = this->Red();
  this->ExpectImage(output, {{c, c, c}, {c, c, c}, {c, r, r}});
  // Row 2 is stored first: its middle slot holds the kept red pixel.
  TypeParam stored{};
  std::memcpy(&stored, input.storage().data() + sizeof(TypeParam), sizeof stored);
  EXPECT_EQ(stored, this->Red());
}

// A stride of three slots and three bytes: the trailing bytes of each row are
// no slot, so neither the walk nor the markers touch them, and the slots of
// later rows are misaligned.
TYPED_TEST(RenderTest, OddStrideWalksEachRowAndLeavesTheBytesPastTheLastSlotAlone) {
  this->SetEntry(0, kOrange, 10, 0);
  const A_long rowbytes = 3 * TestFixture::kPixelSize + 3;
  World input = this->Blank(3, 4, rowbytes);
  World output = this->Blank(3, 4, rowbytes);
  this->FillBytes(input, 0xEE);
  this->FillBytes(output, 0xEE);
  input.Fill(this->Background());
  input.Set(1, 2, this->Orange());
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  this->ExpectSlots(input, this->Black(), {{1, 2}});
  const Slots corners{{1, 2}, {1, 3}, {2, 2}, {2, 3}};
  this->ExpectMarkers(output, corners);
  this->ExpectSlots(output, this->Black(), corners);
  for (A_long row = 0; row < 4; ++row) {
    for (std::size_t byte = 3 * sizeof(TypeParam); byte < static_cast<std::size_t>(rowbytes); ++byte) {
      const std::size_t at = static_cast<std::size_t>(row * rowbytes) + byte;
      EXPECT_EQ(input.storage()[at], std::byte{0xEE}) << "row " << row << " byte " << byte;
      EXPECT_EQ(output.storage()[at], std::byte{0xEE}) << "row " << row << " byte " << byte;
    }
  }
}

TYPED_TEST(RenderTest, EmptyInputStillMarksTheTopLeft) {
  World input = this->Blank(0, 0);
  World output = this->Frame(2, 2);
  EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
  this->ExpectSlots(output, this->Red());
}

// Empty images hold no bytes at all; the render must not touch any.
TYPED_TEST(RenderTest, EmptyImagesRenderToNothingAndSucceed) {
  struct Shape {
    A_long width;
    A_long height;
    A_long rowbytes;
  };
  this->SetEntry(0, kRed, kInfinity, 0);
  for (const Shape shape : {Shape{0, 0, 0}, Shape{0, 4, 0}, Shape{4, 0, 32}, Shape{2, 0, -16}}) {
    SCOPED_TRACE(::testing::Message() << shape.width << " x " << shape.height << ", rowbytes "
                                    << shape.rowbytes);
    ExactWorld input(TestFixture::kDeep, shape.width, shape.height, shape.rowbytes);
    ExactWorld output(TestFixture::kDeep, shape.width, shape.height, shape.rowbytes);
    ASSERT_EQ(input.size(), 0u);
    this->SetMaster(1);
    EXPECT_EQ(this->host.Render(input.def(), output.def()), PF_Err_NONE);
    this->SetMaster(0);
    EXPECT_EQ(this->host.Render(input.def(), output.def()), PF_Err_NONE);
  }
}

TYPED_TEST(RenderTest, EmptyOutputTakesNoMarkersWhileTheInputIsStillFiltered) {
  ExactWorld input(TestFixture::kDeep, 2, 2, 2 * TestFixture::kPixelSize);
  ExactWorld output(TestFixture::kDeep, 0, 0, 0);
  const TypeParam background = this->Background();
  for (std::size_t at = 0; at < input.size(); at += sizeof background) {
    std::memcpy(input.bytes() + at, &background, sizeof background);
  }
  // Every Range 0: nothing is claimed.
  EXPECT_EQ(this->host.Render(input.def(), output.def()), PF_Err_NONE);
  for (std::size_t at = 0; at < input.size(); ++at) EXPECT_EQ(input.bytes()[at], std::byte{0});
}

TYPED_TEST(RenderTest, MismatchedDepthsReturnBadCallbackParamAndWriteNothing) {
  this->SetEntry(0, kOrange, 10, 0);
  World input = this->Frame(2, 2);
  input.Set(0, 0, this->Orange());
  World output(TestFixture::kOtherDepth, 2, 2);
  this->FillBytes(output, 0x5A);
  const World input_before = input;
  const World output_before = output;
  EXPECT_EQ(this->host.Render(input, output), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(input.storage(), input_before.storage());
  EXPECT_EQ(output.storage(), output_before.storage());
}

// --- What the host's callbacks answer ----------------------------------------

TYPED_TEST(RenderTest, AbsentPixelsReturnBadCallbackParamAndWriteNothingEvenWhenBypassed) {
  struct Absence {
    const char* name;
    bool input_absent;
    PF_ParamValue master;
  };
  this->SetEntry(0, kOrange, 10, 0);
  for (const Absence absence : {Absence{"no input pixels", true, 1},
                                Absence{"no output pixels", false, 1},
                                Absence{"no input pixels, bypassed", true, 0},
                                Absence{"no output pixels, bypassed", false, 0}}) {
    SCOPED_TRACE(absence.name);
    this->SetMaster(absence.master);
    this->host.faults.no_input_pixels = absence.input_absent;
    this->host.faults.no_output_pixels = !absence.input_absent;
    World input = this->Frame(4, 4);
    input.Set(1, 2, this->Orange());
    World output = this->Frame(4, 4);
    const World input_before = input;
    const World output_before = output;
    EXPECT_EQ(this->host.Render(input, output), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(input.storage(), input_before.storage());
    EXPECT_EQ(output.storage(), output_before.storage());
  }
}

// A refused copy copies nothing, yet the pass has run, the markers are drawn
// and the host's code, whatever it is, is the result.
TYPED_TEST(RenderTest, RefusedCopyStillDrawsTheMarkersAndReturnsItsCode) {
  this->host.faults.copy_result = 0x1234;
  this->SetEntry(0, kOrange, 10, 0);
  World input = this->Frame(8, 8);
  input.Set(2, 3, this->Orange());
  World output = this->Frame(8, 8);
  EXPECT_EQ(this->host.Render(input, output), 0x1234);
  this->ExpectSlots(input, this->Black(), {{2, 3}});
  const Slots corners{{2, 3}, {2, 4}, {3, 3}, {3, 4}};
  this->ExpectMarkers(output, corners);
  this->ExpectSlots(output, this->Background(), corners);
}

TYPED_TEST(RenderTest, RefusedCopyInBypassReturnsItsCodeAndWritesNothing) {
  this->SetMaster(0);
  this->host.faults.copy_result = 1234;
  World input = this->Frame(3, 3);
  input.Set(1, 1, this->Orange());
  World output = this->Blank(3, 3);
  this->FillBytes(output, 0x5A);
  const World output_before = output;
  EXPECT_EQ(this->host.Render(input, output), 1234);
  EXPECT_EQ(output.storage(), output_before.storage());
}

// --- Slider and switch values the host may send ------------------------------

// 3 × 3 images filled with the entry's own colour at a distance 0.
struct SliderCase {
  const char* name;
  double range;
  double softness;
  PF_ParamValue enable;
  bool claimed;  // false: every slot cleared, markers as a 2 × 2 square
  int alpha_8;   // alpha of a kept slot at 8 bits, which started at 100
  int alpha_16;  // ... and at 16 bits
};

const SliderCase kSliderCases[] = {
    {"RangeNaNClaimsNothing", kNaN, 0.0, 1, false, 0, 0},
    {"RangeMinusInfinityClaimsNothing", -kInfinity, 0.0, 1, false, 0, 0},
    {"RangeNegativeClaimsNothing", -5.0, 0.0, 1, false, 0, 0},
    {"RangeInfinityClaimsAll", kInfinity, 0.0, 1, true, 100, 100},
    {"RangeBeyondFloatNarrowsToInfinity", 1e300, 0.0, 1, true, 100, 100},
    {"SoftnessNaNFeathersNothing", 10.0, kNaN, 1, true, 100, 100},
    {"SoftnessNegativeFeathersNothing", 10.0, -50.0, 1, true, 100, 100},
    {"SoftnessInfinityFeathersToZero", 10.0, kInfinity, 1, true, 0, 0},
    {"SoftnessBeyondFloatFeathersToZero", 10.0, 1e300, 1, true, 0, 0},
    {"SoftnessHundredGivesFullAlphaAtTheCentre", 10.0, 100.0, 1, true, 255, 32768},
    {"EnableValueTwoCountsAsOn", 10.0, 0.0, 2, true, 100, 100},
    {"EnableValueNegativeCountsAsOn", 10.0, 0.0, -7, true, 100, 100},
};

TYPED_TEST(RenderTest, HostileSliderAndSwitchValues) {
  const int full = TestFixture::D::kFull;
  for (const SliderCase& given : kSliderCases) {
    SCOPED_TRACE(given.name);
    this->SetEntry(0, kRed, given.range, given.softness, given.enable);
    World input = this->Blank(3, 3);
    input.Fill(MakePixel<TypeParam>(100, full, 0, 0));
    World output = this->Blank(3, 3);
    EXPECT_EQ(this->host.Render(input, output), PF_Err_NONE);
    const TypeParam kept =
        MakePixel<TypeParam>(TestFixture::kDeep ? given.alpha_16 : given.alpha_8, full, 0, 0);
    const TypeParam c = this->Black();
    const TypeParam r = this->Red();
    if (given.claimed) {
      // Bounds (0, 0)-(3, 3): only the (0, 0) marker lies inside.
      this->ExpectImage(output, {{r, kept, kept}, {kept, kept, kept}, {kept, kept, kept}});
    } else {
      this->ExpectImage(output, {{r, r, c}, {r, r, c}, {c, c, c}});
    }
  }
}

// A Softness of a tiny fraction of a percent makes the feather band cancel to
// nothing or to a sliver. Pixel 101, 100, 100 (12979, 12850, 12850 at 16 bits)
// lies at distance √2 from 100, 100, 100; just inside a Range of
// 0x1.6a09ecp+0 with Softness 0.00002 the ramp computes to 382.5 at 8 bits and
// 49152 at 16 bits: written as the channel's maximum, not wrapped.
TYPED_TEST(RenderTest, RampBeyondTheMaximumIsWrittenAsTheMaximum) {
  this->SetEntry(0, PF_Pixel{255, 100, 100, 100}, 0x1.6a09ecp+0, 2e-5);
  World input = this->Blank(1, 1);
  input.Set(0, 0, this->Scaled(10, 101, 100, 100));
  World output = this->Blank(1, 1);
  ASSERT_EQ(this->host.Render(input, output), PF_Err_NONE);
  // The single slot carries the (left, top) marker in the output; the input
  // holds the rule's result.
  EXPECT_EQ(input.template Get<TypeParam>(0, 0), this->Scaled(255, 101, 100, 100));
}

// Pixel 97, 98, 97 (12465, 12593, 12465 at 16 bits) lies at distance √60 from
// 100, 100, 100, which rounds up to the Range 0x1.efbdecp+2 in single
// precision: with Softness 0.000001 the ramp is 0 ÷ 0, not a number, and the
// alpha becomes 0.
TYPED_TEST(RenderTest, RampThatIsNotANumberIsWrittenAsZero) {
  this->SetEntry(0, PF_Pixel{255, 100, 100, 100}, 0x1.efbdecp+2, 1e-6);
  World input = this->Blank(1, 1);
  input.Set(0, 0, this->Scaled(200, 97, 98, 97));
  World output = this->Blank(1, 1);
  ASSERT_EQ(this->host.Render(input, output), PF_Err_NONE);
  EXPECT_EQ(input.template Get<TypeParam>(0, 0), this->Scaled(0, 97, 98, 97));
}

}  // namespace
