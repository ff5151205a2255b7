// What the module does with bad input from the host: absent buffers, odd and
// negative strides, empty and mismatched images, slider values that are not
// finite, refusals and exceptions from host callbacks. Each case goes through
// EffectMain and the simulated host, the way a host would send it; images of
// exact allocation let AddressSanitizer catch any access outside them.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "entry/effect_main.h"
#include "hostsim/exact_world.h"
#include "hostsim/strict_host.h"
#include "params/param_layout.h"
#include "testing/support/colour_entry_params.h"
#include "testing/support/pixel_depth.h"
#include "hostsim/world.h"

namespace {

using hostsim::Depth;
using hostsim::ExactWorld;
using hostsim::World;
using Channels = std::array<int, 4>;  // alpha, red, green, blue

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

template <typename Pixel>
Channels ChannelsOf(const Pixel& pixel) {
  return {pixel.alpha, pixel.red, pixel.green, pixel.blue};
}

using huesieve_test::DepthOf;
using huesieve_test::MakePixel;

class HostFixture : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(host_.ParamsSetup(), PF_Err_NONE); }

  void SetMaster(PF_ParamValue value) {
    host_.param(huesieve::kEnableEffectSlot).u.bd.value = value;
  }

  void SetEntry(int k, PF_Pixel colour, double range, double softness, PF_ParamValue enable = 1) {
    huesieve_test::SetColourEntry(host_, k, enable, colour, range, softness);
  }

  hostsim::StrictHost host_{&EffectMain};
};

constexpr PF_Pixel kRedColour{255, 255, 0, 0};

// ---------------------------------------------------------------------------
// Typed over both depths.

template <typename Pixel>
class RenderContractTest : public HostFixture {
 protected:
  static constexpr int kFull = DepthOf<Pixel>::kFull;
  static Pixel Red() { return MakePixel<Pixel>(kFull, kFull, 0, 0); }
  static Pixel Blue() { return MakePixel<Pixel>(kFull, 0, 0, kFull); }
  static Pixel Filler() { return MakePixel<Pixel>(7, 7, 7, 7); }
  static World MakeWorld(A_long width, A_long height, A_long rowbytes = 0) {
    return World(DepthOf<Pixel>::kDepth, width, height, rowbytes);
  }
  static constexpr A_long kPixelSize = static_cast<A_long>(sizeof(Pixel));
};

using PixelTypes = ::testing::Types<PF_Pixel, PF_Pixel16>;
TYPED_TEST_SUITE(RenderContractTest, PixelTypes);

TYPED_TEST(RenderContractTest, AbsentInputPixelsReturnBadCallbackParamAndWriteNothing) {
  World input = TestFixture::MakeWorld(3, 2);
  input.Fill(TestFixture::Red());
  World output = TestFixture::MakeWorld(3, 2);
  output.Fill(TestFixture::Filler());
  const World input_before = input;
  const World output_before = output;
  this->SetMaster(1);
  this->host_.faults.no_input_pixels = true;

  EXPECT_EQ(this->host_.Render(input, output), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(input.storage(), input_before.storage());
  EXPECT_EQ(output.storage(), output_before.storage());
}

TYPED_TEST(RenderContractTest, AbsentOutputPixelsReturnBadCallbackParamEvenWhenBypassed) {
  World input = TestFixture::MakeWorld(3, 2);
  input.Fill(TestFixture::Red());
  World output = TestFixture::MakeWorld(3, 2);
  output.Fill(TestFixture::Filler());
  const World output_before = output;
  this->SetMaster(0);
  this->host_.faults.no_output_pixels = true;

  EXPECT_EQ(this->host_.Render(input, output), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(output.storage(), output_before.storage());
}

// Rows stored bottom-up: row 0 lies last in memory. The single claimed slot at
// (1, 2) gives bounds (1, 2)-(2, 3); the markers on row 3 fall outside the
// three-row output and are skipped.
TYPED_TEST(RenderContractTest, NegativeStrideAddressesRowsBottomUp) {
  using Pixel = TypeParam;
  const A_long stride = 3 * TestFixture::kPixelSize;
  World input = TestFixture::MakeWorld(3, 3, -stride);
  input.Fill(TestFixture::Blue());
  input.Set(1, 2, TestFixture::Red());
  World output = TestFixture::MakeWorld(3, 3, -stride);
  this->SetMaster(1);
  this->SetEntry(0, kRedColour, 10.0, 0.0);

  EXPECT_EQ(this->host_.Render(input, output), PF_Err_NONE);

  const Channels red = ChannelsOf(TestFixture::Red());
  const Channels clear{0, 0, 0, 0};
  const std::array<std::array<Channels, 3>, 3> expected{{
      {clear, clear, clear},
      {clear, clear, clear},
      {clear, red, red},
  }};
  for (A_long row = 0; row < 3; ++row) {
    for (A_long column = 0; column < 3; ++column) {
      EXPECT_EQ(ChannelsOf(output.Get<Pixel>(column, row)),
                expected[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)])
          << "column " << column << " row " << row;
    }
  }
  // Row 2 is stored first: its middle slot holds the kept red pixel.
  Pixel stored{};
  std::memcpy(&stored, input.storage().data() + sizeof(Pixel), sizeof stored);
  EXPECT_EQ(ChannelsOf(stored), red);
}

// A stride of three slots and a few bytes: the trailing bytes of each row are
// no slot, so neither the walk nor the markers touch them, and the slots of
// later rows are misaligned.
TYPED_TEST(RenderContractTest, OddStrideLeavesTheBytesPastTheLastSlotAlone) {
  using Pixel = TypeParam;
  const A_long stride = 3 * TestFixture::kPixelSize + 3;
  World input = TestFixture::MakeWorld(3, 3, stride);
  World output = TestFixture::MakeWorld(3, 3, stride);
  std::vector<std::byte> input_bytes(input.storage().size(), std::byte{0xEE});
  std::memcpy(input.def().data, input_bytes.data(), input_bytes.size());
  std::memcpy(output.def().data, input_bytes.data(), input_bytes.size());
  this->SetMaster(1);  // every Range 0: nothing is claimed

  EXPECT_EQ(this->host_.Render(input, output), PF_Err_NONE);

  const Channels red = ChannelsOf(TestFixture::Red());
  const Channels clear{0, 0, 0, 0};
  for (A_long row = 0; row < 3; ++row) {
    for (A_long column = 0; column < 3; ++column) {
      const bool marker = row < 2 && column < 2;
      EXPECT_EQ(ChannelsOf(output.Get<Pixel>(column, row)), marker ? red : clear);
      EXPECT_EQ(ChannelsOf(input.Get<Pixel>(column, row)), clear);
    }
    for (std::size_t byte = 3 * sizeof(Pixel); byte < static_cast<std::size_t>(stride); ++byte) {
      const std::size_t at = static_cast<std::size_t>(row * stride) + byte;
      EXPECT_EQ(input.storage()[at], std::byte{0xEE});
      EXPECT_EQ(output.storage()[at], std::byte{0xEE});
    }
  }
}

// Empty images hold no bytes at all; the render must not touch any.
struct EmptyShape {
  A_long width;
  A_long height;
  A_long rowbytes;
};

TYPED_TEST(RenderContractTest, EmptyImagesRenderToNothingAndSucceed) {
  const bool deep = sizeof(TypeParam) == 8;
  for (const EmptyShape shape :
       {EmptyShape{0, 0, 0}, EmptyShape{0, 4, 0}, EmptyShape{4, 0, 32}, EmptyShape{2, 0, -16}}) {
    ExactWorld input(deep, shape.width, shape.height, shape.rowbytes);
    ExactWorld output(deep, shape.width, shape.height, shape.rowbytes);
    ASSERT_EQ(input.size(), 0u);
    this->SetMaster(1);
    this->SetEntry(0, kRedColour, kInfinity, 0.0);
    EXPECT_EQ(this->host_.Render(input.def(), output.def()), PF_Err_NONE);
    this->SetMaster(0);
    EXPECT_EQ(this->host_.Render(input.def(), output.def()), PF_Err_NONE);
  }
}

TYPED_TEST(RenderContractTest, EmptyOutputTakesNoMarkersWhileTheInputIsStillFiltered) {
  using Pixel = TypeParam;
  const bool deep = sizeof(Pixel) == 8;
  ExactWorld input(deep, 2, 2, 2 * TestFixture::kPixelSize);
  ExactWorld output(deep, 0, 0, 0);
  const Pixel blue = TestFixture::Blue();
  for (std::size_t at = 0; at < input.size(); at += sizeof(Pixel)) {
    std::memcpy(input.bytes() + at, &blue, sizeof blue);
  }
  this->SetMaster(1);  // nothing claimed

  EXPECT_EQ(this->host_.Render(input.def(), output.def()), PF_Err_NONE);
  for (std::size_t at = 0; at < input.size(); ++at) EXPECT_EQ(input.bytes()[at], std::byte{0});
}

// The walk covers the input; markers go to the output only where it has the
// slot. Claimed slot (3, 3) of a 4 × 4 input: every marker lies outside a
// 2 × 2 output, which holds just the copy.
TYPED_TEST(RenderContractTest, SmallerOutputSkipsMarkersOutsideIt) {
  using Pixel = TypeParam;
  World input = TestFixture::MakeWorld(4, 4);
  input.Fill(TestFixture::Blue());
  input.Set(3, 3, TestFixture::Red());
  World output = TestFixture::MakeWorld(2, 2);
  output.Fill(TestFixture::Filler());
  this->SetMaster(1);
  this->SetEntry(0, kRedColour, 10.0, 0.0);

  EXPECT_EQ(this->host_.Render(input, output), PF_Err_NONE);
  for (A_long row = 0; row < 2; ++row) {
    for (A_long column = 0; column < 2; ++column) {
      EXPECT_EQ(ChannelsOf(output.Get<Pixel>(column, row)), (Channels{0, 0, 0, 0}));
    }
  }
  EXPECT_EQ(ChannelsOf(input.Get<Pixel>(3, 3)), ChannelsOf(TestFixture::Red()));
}

// Claimed slot (1, 1) of a 2 × 2 input: markers at (1, 1), (1, 2), (2, 1) and
// (2, 2) of a 4 × 4 output, two of them beyond the copied area.
TYPED_TEST(RenderContractTest, LargerOutputTakesMarkersBeyondTheCopiedArea) {
  using Pixel = TypeParam;
  World input = TestFixture::MakeWorld(2, 2);
  input.Fill(TestFixture::Blue());
  input.Set(1, 1, TestFixture::Red());
  World output = TestFixture::MakeWorld(4, 4);
  output.Fill(TestFixture::Filler());
  this->SetMaster(1);
  this->SetEntry(0, kRedColour, 10.0, 0.0);

  EXPECT_EQ(this->host_.Render(input, output), PF_Err_NONE);
  const Channels red = ChannelsOf(TestFixture::Red());
  const Channels clear{0, 0, 0, 0};
  const Channels filler = ChannelsOf(TestFixture::Filler());
  const std::array<std::array<Channels, 4>, 4> expected{{
      {clear, clear, filler, filler},
      {clear, red, red, filler},
      {filler, red, red, filler},
      {filler, filler, filler, filler},
  }};
  for (A_long row = 0; row < 4; ++row) {
    for (A_long column = 0; column < 4; ++column) {
      EXPECT_EQ(ChannelsOf(output.Get<Pixel>(column, row)),
                expected[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)])
          << "column " << column << " row " << row;
    }
  }
}

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

TYPED_TEST(RenderContractTest, HostileSliderAndSwitchValues) {
  using Pixel = TypeParam;
  const int full = TestFixture::kFull;
  for (const SliderCase& given : kSliderCases) {
    SCOPED_TRACE(given.name);
    World input = TestFixture::MakeWorld(3, 3);
    input.Fill(MakePixel<Pixel>(100, full, 0, 0));
    World output = TestFixture::MakeWorld(3, 3);
    this->SetMaster(1);
    this->SetEntry(0, kRedColour, given.range, given.softness, given.enable);

    EXPECT_EQ(this->host_.Render(input, output), PF_Err_NONE);
    const int alpha = sizeof(Pixel) == 8 ? given.alpha_16 : given.alpha_8;
    const Channels kept{alpha, full, 0, 0};
    const Channels red = ChannelsOf(TestFixture::Red());
    const Channels clear{0, 0, 0, 0};
    for (A_long row = 0; row < 3; ++row) {
      for (A_long column = 0; column < 3; ++column) {
        // Claimed everywhere: bounds (0, 0)-(3, 3), only (0, 0) inside.
        const bool marker = given.claimed ? (column == 0 && row == 0) : (column < 2 && row < 2);
        const Channels expected = marker ? red : (given.claimed ? kept : clear);
        EXPECT_EQ(ChannelsOf(output.Get<Pixel>(column, row)), expected)
            << "column " << column << " row " << row;
      }
    }
  }
}

TYPED_TEST(RenderContractTest, MasterSwitchOtherThanOneCopiesTheInputThrough) {
  using Pixel = TypeParam;
  for (const PF_ParamValue master : {0, 2, -1, 0x7fffffff}) {
    SCOPED_TRACE(master);
    World input = TestFixture::MakeWorld(3, 2);
    input.Fill(MakePixel<Pixel>(9, 8, 7, 6));
    World output = TestFixture::MakeWorld(3, 2);
    this->SetMaster(master);
    this->SetEntry(0, kRedColour, kInfinity, 100.0);

    EXPECT_EQ(this->host_.Render(input, output), PF_Err_NONE);
    for (A_long row = 0; row < 2; ++row) {
      for (A_long column = 0; column < 3; ++column) {
        EXPECT_EQ(ChannelsOf(output.Get<Pixel>(column, row)), (Channels{9, 8, 7, 6}));
        EXPECT_EQ(ChannelsOf(input.Get<Pixel>(column, row)), (Channels{9, 8, 7, 6}));
      }
    }
  }
}

// A refused copy copies nothing, yet the markers are drawn and the refusal is
// the result.
TYPED_TEST(RenderContractTest, RefusedCopyStillDrawsMarkersAndReturnsTheRefusal) {
  using Pixel = TypeParam;
  World input = TestFixture::MakeWorld(3, 3);
  World output = TestFixture::MakeWorld(3, 3);
  output.Fill(TestFixture::Filler());
  this->SetMaster(1);  // nothing claimed: markers as a 2 × 2 square
  this->host_.faults.copy_result = PF_Err_OUT_OF_MEMORY;

  EXPECT_EQ(this->host_.Render(input, output), PF_Err_OUT_OF_MEMORY);
  for (A_long row = 0; row < 3; ++row) {
    for (A_long column = 0; column < 3; ++column) {
      const bool marker = column < 2 && row < 2;
      EXPECT_EQ(ChannelsOf(output.Get<Pixel>(column, row)),
                marker ? ChannelsOf(TestFixture::Red()) : ChannelsOf(TestFixture::Filler()));
    }
  }
}

TYPED_TEST(RenderContractTest, RefusedBypassCopyReturnsTheRefusalAndWritesNothing) {
  World input = TestFixture::MakeWorld(3, 3);
  input.Fill(TestFixture::Blue());
  World output = TestFixture::MakeWorld(3, 3);
  output.Fill(TestFixture::Filler());
  const World output_before = output;
  this->SetMaster(0);
  this->host_.faults.copy_result = 1234;

  EXPECT_EQ(this->host_.Render(input, output), 1234);
  EXPECT_EQ(output.storage(), output_before.storage());
}

// ---------------------------------------------------------------------------
// Single cases.

using ContractTest = HostFixture;

TEST_F(ContractTest, MismatchedDepthsReturnBadCallbackParamAndWriteNothing) {
  World input(Depth::k16, 2, 2);
  input.Fill(PF_Pixel16{32768, 32768, 0, 0});
  World output(Depth::k8, 2, 2);
  output.Fill(PF_Pixel{7, 7, 7, 7});
  const World input_before = input;
  const World output_before = output;
  SetMaster(1);
  SetEntry(0, kRedColour, 10.0, 0.0);

  EXPECT_EQ(host_.Render(input, output), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(input.storage(), input_before.storage());
  EXPECT_EQ(output.storage(), output_before.storage());
  EXPECT_EQ(host_.Render(output, input), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(input.storage(), input_before.storage());
  EXPECT_EQ(output.storage(), output_before.storage());
}

// A Softness of a tiny fraction of a percent makes the feather band cancel to
// nothing or to a sliver. Pixel 101, 100, 100 lies at distance √2 from 100,
// 100, 100; just inside a Range of 0x1.6a09ecp+0 with Softness 0.00002 the
// ramp computes to 382.5 at 8 bits and 49152 at 16 bits: written as the
// channel's maximum, not wrapped.
TEST_F(ContractTest, RampBeyondTheMaximumIsWrittenAsTheMaximum) {
  SetMaster(1);
  SetEntry(0, PF_Pixel{255, 100, 100, 100}, 0x1.6a09ecp+0, 2e-5);
  World input8(Depth::k8, 1, 1);
  input8.Set(0, 0, PF_Pixel{10, 101, 100, 100});
  World output8(Depth::k8, 1, 1);
  World input16(Depth::k16, 1, 1);
  input16.Set(0, 0, PF_Pixel16{10, 12979, 12850, 12850});  // 101, 100, 100 at 8 bits
  World output16(Depth::k16, 1, 1);

  ASSERT_EQ(host_.Render(input8, output8), PF_Err_NONE);
  ASSERT_EQ(host_.Render(input16, output16), PF_Err_NONE);
  // The single slot carries the (left, top) marker in the output; the input
  // holds the rule's result.
  EXPECT_EQ(ChannelsOf(input8.Get<PF_Pixel>(0, 0)), (Channels{255, 101, 100, 100}));
  EXPECT_EQ(ChannelsOf(input16.Get<PF_Pixel16>(0, 0)), (Channels{32768, 12979, 12850, 12850}));
}

// Pixel 97, 98, 97 lies at distance √60 from 100, 100, 100, which rounds up to
// the Range 0x1.efbdecp+2 in single precision: with Softness 0.000001 the ramp
// is 0 ÷ 0, not a number, and the alpha becomes 0.
TEST_F(ContractTest, RampThatIsNotANumberIsWrittenAsZero) {
  SetMaster(1);
  SetEntry(0, PF_Pixel{255, 100, 100, 100}, 0x1.efbdecp+2, 1e-6);
  World input(Depth::k8, 1, 1);
  input.Set(0, 0, PF_Pixel{200, 97, 98, 97});
  World output(Depth::k8, 1, 1);

  ASSERT_EQ(host_.Render(input, output), PF_Err_NONE);
  EXPECT_EQ(ChannelsOf(input.Get<PF_Pixel>(0, 0)), (Channels{0, 97, 98, 97}));
}

TEST_F(ContractTest, RefusedParameterEndsParamsSetupWithTheRefusal) {
  host_.faults.refuse_param_number = 5;
  host_.faults.param_refusal = PF_Err_OUT_OF_MEMORY;

  EXPECT_EQ(host_.ParamsSetup(), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(host_.add_param_calls(), 5);
  EXPECT_EQ(host_.added_params().size(), 4u);
}

TEST_F(ContractTest, RefusedSuiteEndsAboutWithBadCallbackParamAndLeavesTheMessage) {
  std::strcpy(host_.out_data.return_msg, "host text");
  host_.faults.refused_suite = "PF ANSI Suite";

  EXPECT_EQ(host_.About(), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_STREQ(host_.out_data.return_msg, "host text");
  ASSERT_EQ(host_.broker_log().size(), 1u);
  EXPECT_EQ(host_.broker_log()[0].kind, hostsim::BrokerCall::Kind::kAcquire);
}

TEST_F(ContractTest, MissingBrokerEndsAboutWithBadCallbackParam) {
  std::strcpy(host_.out_data.return_msg, "host text");
  host_.faults.no_broker = true;

  EXPECT_EQ(host_.About(), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_STREQ(host_.out_data.return_msg, "host text");
  EXPECT_TRUE(host_.broker_log().empty());
}

// Exceptions thrown by host callbacks never cross back into the host: an
// allocation failure becomes PF_Err_OUT_OF_MEMORY, anything else
// PF_Err_INTERNAL_STRUCT_DAMAGED.
// The command during which the callback throws.
PF_Err SendRender(hostsim::StrictHost& host) {
  host.param(huesieve::kEnableEffectSlot).u.bd.value = 1;
  World input(Depth::k16, 2, 2);
  World output(Depth::k16, 2, 2);
  return host.Render(input, output);
}
PF_Err SendParamsSetup(hostsim::StrictHost& host) { return host.ParamsSetup(); }
PF_Err SendAbout(hostsim::StrictHost& host) { return host.About(); }

struct ThrowCase {
  const char* callback;
  PF_Err (*send)(hostsim::StrictHost&);
  bool bad_alloc;
  PF_Err expected;
};

void PrintTo(const ThrowCase& given, std::ostream* os) {
  *os << given.callback << (given.bad_alloc ? " throws std::bad_alloc" : " throws another type");
}

class ThrowingCallbackTest : public HostFixture, public ::testing::WithParamInterface<ThrowCase> {};

TEST_P(ThrowingCallbackTest, BecomesAnErrorCode) {
  const ThrowCase& given = GetParam();
  host_.faults.throwing_callback = given.callback;
  host_.faults.throws_bad_alloc = given.bad_alloc;

  EXPECT_EQ(given.send(host_), given.expected);
}

INSTANTIATE_TEST_SUITE_P(
    HostCallbacks, ThrowingCallbackTest,
    ::testing::Values(
        ThrowCase{"copy", &SendRender, true, PF_Err_OUT_OF_MEMORY},
        ThrowCase{"copy", &SendRender, false, PF_Err_INTERNAL_STRUCT_DAMAGED},
        ThrowCase{"get_pixel_data16", &SendRender, false, PF_Err_INTERNAL_STRUCT_DAMAGED},
        ThrowCase{"get_pixel_data16", &SendRender, true, PF_Err_OUT_OF_MEMORY},
        ThrowCase{"add_param", &SendParamsSetup, true, PF_Err_OUT_OF_MEMORY},
        ThrowCase{"add_param", &SendParamsSetup, false, PF_Err_INTERNAL_STRUCT_DAMAGED},
        ThrowCase{"AcquireSuite", &SendAbout, false, PF_Err_INTERNAL_STRUCT_DAMAGED},
        ThrowCase{"AcquireSuite", &SendAbout, true, PF_Err_OUT_OF_MEMORY}),
    [](const ::testing::TestParamInfo<ThrowCase>& param_info) {
      std::string name = param_info.param.callback;
      std::erase(name, '_');
      return name + (param_info.param.bad_alloc ? "ThrowsBadAlloc" : "ThrowsOther");
    });

TEST_F(ContractTest, ThrowingEightBitAccessBecomesAnErrorCode) {
  SetMaster(1);
  host_.faults.throwing_callback = "get_pixel_data8";
  World input(Depth::k8, 2, 2);
  World output(Depth::k8, 2, 2);

  EXPECT_EQ(host_.Render(input, output), PF_Err_INTERNAL_STRUCT_DAMAGED);
}

}  // namespace
