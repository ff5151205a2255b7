// Frames through the simulated host: images of every depth with padded rows,
// negative row bytes and origins away from 0 reach the plug-in as a host
// hands them over, parameter values reach it at the frame's time, and an
// identity frame is copied by the host.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

#include "testing/hostsim/ofx/frame_pattern.h"
#include "tests/ofx/copy_fixture.h"

namespace {

using copy_fixture::Behaviour;
using copy_fixture::CopyFixtureTest;
using hostsim::ofx::Image;
using hostsim::ofx::ImageLayout;
using hostsim::ofx::PixelDepth;
using ::testing::IsEmpty;

struct Shape {
  const char* name;
  OfxRectI bounds;
  int row_padding;  // in samples of the depth
  bool negative_row_bytes;
};

std::ostream& operator<<(std::ostream& out, const Shape& shape) { return out << shape.name; }

constexpr Shape kShapes[] = {
    {"Packed", {0, 0, 13, 7}, 0, false},          {"PaddedRows", {0, 0, 13, 7}, 5, false},
    {"NegativeRowBytes", {0, 0, 13, 7}, 0, true}, {"OriginAwayFromZero", {-6, 11, 5, 19}, 3, true},
    {"SingleRow", {2, 4, 40, 5}, 1, false},       {"SinglePixel", {-1, -1, 0, 0}, 2, true},
};

constexpr PixelDepth kDepths[] = {PixelDepth::kByte, PixelDepth::kShort, PixelDepth::kFloat};

ImageLayout LayoutOf(const Shape& shape, PixelDepth depth) {
  return {.bounds = shape.bounds,
          .depth = depth,
          .row_padding = shape.row_padding * static_cast<int>(hostsim::ofx::SampleBytes(depth)),
          .negative_row_bytes = shape.negative_row_bytes};
}

bool SamePixel(const Image& a, const Image& b, int x, int y) {
  return std::memcmp(a.PixelAddress(x, y), b.PixelAddress(x, y), a.pixel_bytes()) == 0;
}

// The copy fixture's inversion, worked out per depth on the source's samples.
bool IsInverse(const Image& source, const Image& output, int x, int y) {
  for (int c = 0; c < 3; ++c) {
    switch (source.layout().depth) {
      case PixelDepth::kByte:
        if (output.Get<std::uint8_t>(x, y, c) != 255 - source.Get<std::uint8_t>(x, y, c)) {
          return false;
        }
        break;
      case PixelDepth::kShort:
        if (output.Get<std::uint16_t>(x, y, c) != 65535 - source.Get<std::uint16_t>(x, y, c)) {
          return false;
        }
        break;
      default:
        if (output.Get<float>(x, y, c) != 1.0f - source.Get<float>(x, y, c)) return false;
        break;
    }
  }
  return std::memcmp(
             source.PixelAddress(x, y) + 3 * hostsim::ofx::SampleBytes(source.layout().depth),
             output.PixelAddress(x, y) + 3 * hostsim::ofx::SampleBytes(source.layout().depth),
             hostsim::ofx::SampleBytes(source.layout().depth)) == 0;
}

int RenderActions(const hostsim::ofx::Plugin& plugin) {
  int renders = 0;
  for (const auto& call : plugin.actions()) {
    renders += call.action == kOfxImageEffectActionRender ? 1 : 0;
  }
  return renders;
}

class LayoutTest : public CopyFixtureTest,
                   public ::testing::WithParamInterface<std::tuple<Shape, PixelDepth>> {};

TEST_P(LayoutTest, EveryPixelReachesThePlugInWhereTheImageSaysItIs) {
  const auto& [shape, depth] = GetParam();
  auto instance = MakeInstance({.depth = depth});
  ASSERT_NE(instance, nullptr);
  Image source(LayoutOf(shape, depth));
  Image output(LayoutOf(shape, depth));
  hostsim::ofx::FillPattern(source, 7);

  ASSERT_EQ(instance->Render({.time = 3, .source = &source, .output = &output}).status, kOfxStatOK);

  for (int y = shape.bounds.y1; y < shape.bounds.y2; ++y) {
    for (int x = shape.bounds.x1; x < shape.bounds.x2; ++x) {
      ASSERT_TRUE(SamePixel(source, output, x, y)) << "x " << x << ", y " << y;
    }
  }
  EXPECT_THAT(host_.complaints(), IsEmpty());
}

TEST_P(LayoutTest, AParameterOnReachesThePlugIn) {
  const auto& [shape, depth] = GetParam();
  auto instance = MakeInstance({.depth = depth});
  ASSERT_NE(instance, nullptr);
  instance->SetBoolean("invert", true);
  Image source(LayoutOf(shape, depth));
  Image output(LayoutOf(shape, depth));
  hostsim::ofx::FillPattern(source, 11);

  ASSERT_EQ(instance->Render({.time = 0, .source = &source, .output = &output}).status, kOfxStatOK);

  for (int y = shape.bounds.y1; y < shape.bounds.y2; ++y) {
    for (int x = shape.bounds.x1; x < shape.bounds.x2; ++x) {
      ASSERT_TRUE(IsInverse(source, output, x, y)) << "x " << x << ", y " << y;
    }
  }
  EXPECT_THAT(host_.complaints(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(ShapesAndDepths, LayoutTest,
                         ::testing::Combine(::testing::ValuesIn(kShapes),
                                            ::testing::ValuesIn(kDepths)),
                         [](const auto& case_info) {
                           return std::string(std::get<0>(case_info.param).name) +
                                  hostsim::ofx::DepthName(std::get<1>(case_info.param));
                         });

TEST_F(CopyFixtureTest, KeysGiveEachFrameTheValueAtItsOwnTime) {
  auto instance = MakeInstance({.depth = PixelDepth::kByte, .timeline_time = 0});
  ASSERT_NE(instance, nullptr);
  instance->SetValueAt("invert", 0, {{0.0}, {}});
  instance->SetValueAt("invert", 10, {{1.0}, {}});
  Image source({.bounds = {0, 0, 3, 2}});
  Image early({.bounds = {0, 0, 3, 2}});
  Image late({.bounds = {0, 0, 3, 2}});
  hostsim::ofx::FillPattern(source, 3);

  const hostsim::ofx::FrameRequest frames[] = {{.time = 0, .source = &source, .output = &early},
                                               {.time = 10, .source = &source, .output = &late}};
  instance->RenderSequence(frames);

  EXPECT_TRUE(SamePixel(source, early, 1, 1));
  EXPECT_TRUE(IsInverse(source, late, 1, 1));
}

TEST_F(CopyFixtureTest, ARenderWindowInsideTheOutputLeavesTheRestAlone) {
  auto instance = MakeInstance({.depth = PixelDepth::kByte});
  ASSERT_NE(instance, nullptr);
  Image source({.bounds = {0, 0, 6, 6}});
  Image output({.bounds = {0, 0, 6, 6}});
  hostsim::ofx::FillPattern(source, 5);

  instance->Render(
      {.time = 0, .source = &source, .output = &output, .render_window = OfxRectI{2, 1, 4, 5}});

  EXPECT_TRUE(SamePixel(source, output, 2, 1));
  EXPECT_TRUE(SamePixel(source, output, 3, 4));
  EXPECT_EQ(output.Get<std::uint8_t>(1, 1, 0), 0xA5);
  EXPECT_EQ(output.Get<std::uint8_t>(4, 4, 0), 0xA5);
}

TEST_F(CopyFixtureTest, AnIdentityFrameIsCopiedByTheHostWithoutARender) {
  auto instance = MakeInstance({.depth = PixelDepth::kShort});
  ASSERT_NE(instance, nullptr);
  instance->SetInteger("behaviour", static_cast<int>(Behaviour::kIdentity));
  Image source({.bounds = {1, 1, 5, 4}, .depth = PixelDepth::kShort});
  Image output({.bounds = {1, 1, 5, 4}, .depth = PixelDepth::kShort});
  hostsim::ofx::FillPattern(source, 9);

  const auto outcome = instance->Render({.time = 0, .source = &source, .output = &output});

  EXPECT_TRUE(outcome.identity);
  EXPECT_TRUE(SamePixel(source, output, 4, 3));
  const auto actions = plugin_->actions();
  EXPECT_NE(actions.back().action, kOfxImageEffectActionRender);
}

// A plug-in that leaves tiles at 1 on its instance, in a host that reads
// them there, renders in three strips, each image cropped to its strip.
class TiledHostTest : public ofx_testing::LoadedBundleTest {
 protected:
  TiledHostTest()
      : LoadedBundleTest(copy_fixture::kBundlePath, copy_fixture::kIdentifier,
                         {.tiles_from_instance = true, .interlaced = false}) {}
};

TEST_F(TiledHostTest, AnInstanceThatAllowsTilesIsRenderedInCroppedStrips) {
  auto instance = MakeInstance({.depth = PixelDepth::kByte});
  ASSERT_NE(instance, nullptr);
  Image source({.bounds = {0, 0, 5, 7}});
  Image output({.bounds = {0, 0, 5, 7}});
  hostsim::ofx::FillPattern(source, 4);

  ASSERT_EQ(instance->Render({.time = 0, .source = &source, .output = &output}).status, kOfxStatOK);

  EXPECT_EQ(RenderActions(*plugin_), 3);
  for (int y = 0; y < 7; ++y) EXPECT_TRUE(SamePixel(source, output, 4, y)) << "y " << y;
  EXPECT_THAT(host_.complaints(), IsEmpty());
}

// A plug-in that leaves render-twice-always at 1 in an interlaced host is
// rendered once a field, each field every other row of the frame.
class InterlacedHostTest : public ofx_testing::LoadedBundleTest {
 protected:
  InterlacedHostTest()
      : LoadedBundleTest(copy_fixture::kBundlePath, copy_fixture::kIdentifier,
                         {.interlaced = true}) {}
};

TEST_F(InterlacedHostTest, FieldsAreRenderedApartAsImagesOfEveryOtherRow) {
  auto instance = MakeInstance({.depth = PixelDepth::kShort});
  ASSERT_NE(instance, nullptr);
  instance->SetBoolean("invert", true);
  Image source({.bounds = {2, -3, 6, 4}, .depth = PixelDepth::kShort, .negative_row_bytes = true});
  Image output({.bounds = {2, -3, 6, 4}, .depth = PixelDepth::kShort, .negative_row_bytes = true});
  hostsim::ofx::FillPattern(source, 6);

  ASSERT_EQ(instance->Render({.time = 0, .source = &source, .output = &output}).status, kOfxStatOK);

  EXPECT_EQ(RenderActions(*plugin_), 2);
  for (int y = -3; y < 4; ++y) {
    for (int x = 2; x < 6; ++x) EXPECT_TRUE(IsInverse(source, output, x, y)) << x << "," << y;
  }
  EXPECT_THAT(host_.complaints(), IsEmpty());
}

TEST_F(CopyFixtureTest, AnEmptyImageRendersNothingAndTouchesNothing) {
  auto instance = MakeInstance({.depth = PixelDepth::kFloat});
  ASSERT_NE(instance, nullptr);
  Image source({.bounds = {3, 3, 3, 3}, .depth = PixelDepth::kFloat});
  Image output({.bounds = {3, 3, 3, 3}, .depth = PixelDepth::kFloat});

  EXPECT_EQ(instance->Render({.time = 0, .source = &source, .output = &output}).status, kOfxStatOK);
  EXPECT_THAT(host_.complaints(), IsEmpty());
}

TEST_F(CopyFixtureTest, ClipPreferencesSettleTheClipsDepthAndComponents) {
  auto instance = MakeInstance({.depth = PixelDepth::kShort});
  ASSERT_NE(instance, nullptr);
  const auto& output = instance->clip(kOfxImageEffectOutputClipName).properties();
  EXPECT_EQ(output.String(kOfxImageEffectPropPixelDepth), kOfxBitDepthShort);
  EXPECT_EQ(output.String(kOfxImageEffectPropComponents), kOfxImageComponentRGBA);
  EXPECT_EQ(output.Int(kOfxImageClipPropConnected), 1);
}

}  // namespace
