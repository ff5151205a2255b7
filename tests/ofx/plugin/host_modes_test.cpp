// The plug-in in each habit of real hosts the simulated host can take on, at
// byte, short and float, against the plain model: a host without the OpenFX
// 1.2 descriptor properties, one that reads tiles from the instance, one that
// labels the output from the clip preferences, one that hands out null
// images, an interlaced one, one whose multithread suite reports one
// processor, one with eight, one without the suite; and in each, the switch off answered as an
// identity, a missing source rendered transparent black, the output labelled
// never opaque, and the host's abort heeded.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "ofx/api/ofx_multithread.h"
#include "testing/hostsim/ofx/faults.h"
#include "tests/ofx/plugin/plugin_fixture.h"

namespace huesieve_ofx_test {
namespace {

using hostsim::ofx::HostConfig;
using ::testing::Each;
using ::testing::Field;
using ::testing::IsEmpty;
using ::testing::SizeIs;

struct HostMode {
  const char* name;
  HostConfig config;
};

void PrintTo(const HostMode& mode, std::ostream* out) { *out << mode.name; }

const HostMode kModes[] = {
    {"Strict", {}},
    {"Without12DescriptorProperties", {.lacks_1_2_descriptor_properties = true}},
    {"TilesFromTheInstance", {.tiles_from_instance = true}},
    {"OutputLabelFromClipPreferences", {.output_label_from_clip_preferences = true}},
    {"MissingImagesAsNull", {.missing_image_as_null = true}},
    {"Interlaced", {.interlaced = true}},
    {"OneCpu", {.reported_cpus = 1}},
    {"EightCpus", {.reported_cpus = 8}},
    {"WithoutMultithreadSuite", hostsim::ofx::faults::WithoutSuite(kOfxMultiThreadSuite)},
};

constexpr PixelDepth kDepths[] = {PixelDepth::kByte, PixelDepth::kShort, PixelDepth::kFloat};

class HostModeTest : public PluginTest,
                     public ::testing::WithParamInterface<std::tuple<HostMode, PixelDepth>> {
 protected:
  HostModeTest() : PluginTest(std::get<0>(GetParam()).config) {}

  static PixelDepth Depth() { return std::get<1>(GetParam()); }
  static hostsim::ofx::ImageLayout Layout(const char* premultiplication) {
    return {.bounds = {-3, 5, 40, 26},
            .depth = Depth(),
            .row_padding = 4 * static_cast<int>(hostsim::ofx::SampleBytes(Depth())),
            .negative_row_bytes = true,
            .premultiplication = premultiplication};
  }

  int RenderActions() const {
    const auto actions = plugin_->actions();
    return static_cast<int>(std::count_if(actions.begin(), actions.end(), [](const auto& call) {
      return call.action == kOfxImageEffectActionRender;
    }));
  }

  // Only a host without the 1.2 properties has reason to refuse anything:
  // the three the plug-in sets best-effort.
  void ExpectNoComplaintBeyondTheMode() {
    const auto complaints = host_.complaints();
    if (host_.config().lacks_1_2_descriptor_properties) {
      EXPECT_THAT(complaints, SizeIs(3));
      EXPECT_THAT(complaints, Each(Field(&hostsim::ofx::Complaint::kind,
                                         hostsim::ofx::ComplaintKind::kRefusal)));
    } else {
      EXPECT_THAT(complaints, IsEmpty());
    }
  }
};

constexpr const char* kLabels[] = {kOfxImagePreMultiplied, kOfxImageUnPreMultiplied,
                                   kOfxImageOpaque};

TEST_P(HostModeTest, EachFrameRendersOnceAsTheModelSays) {
  std::uint32_t seed = 40;
  for (const char* label : kLabels) {
    SCOPED_TRACE(label);
    auto instance = MakeInstance({.depth = Depth(), .premultiplication = label});
    ASSERT_NE(instance, nullptr);
    Image source(Layout(label));
    FillRandom(source, ++seed);
    const EntrySettings entries = RandomEntries(source, ++seed);
    SetEntries(*instance, true, entries);
    Image output(Layout(label));
    const int renders_before = RenderActions();
    ASSERT_EQ(instance->Render({.time = 2, .source = &source, .output = &output}).status,
              kOfxStatOK);
    EXPECT_EQ(RenderActions() - renders_before, 1);
    EXPECT_EQ(FirstDifference(output, ExpectedOutput(source, true, entries)), "");
  }
  EXPECT_EQ(plugin_->descriptor().properties().Has(kOfxPropPluginDescription),
            !host_.config().lacks_1_2_descriptor_properties);
  ExpectNoComplaintBeyondTheMode();
}

TEST_P(HostModeTest, SwitchedOffTheFrameIsAnIdentityOfTheSource) {
  auto instance = MakeInstance({.depth = Depth()});
  ASSERT_NE(instance, nullptr);
  Image source(Layout(kOfxImagePreMultiplied));
  FillRandom(source, 7);
  SetEntries(*instance, false, RandomEntries(source, 8));
  Image output(Layout(kOfxImagePreMultiplied));
  const int renders_before = RenderActions();
  const auto outcome = instance->Render({.time = 0, .source = &source, .output = &output});
  EXPECT_EQ(outcome.status, kOfxStatOK);
  EXPECT_TRUE(outcome.identity);
  EXPECT_EQ(RenderActions(), renders_before);
  EXPECT_EQ(FirstDifference(output, source), "");
  ExpectNoComplaintBeyondTheMode();
}

TEST_P(HostModeTest, AMissingSourceRendersTransparentBlackWithoutAMessage) {
  auto instance = MakeInstance({.depth = Depth()});
  ASSERT_NE(instance, nullptr);
  Image output(Layout(kOfxImageUnPreMultiplied));
  SetEntries(*instance, true, EntrySettings{});
  EXPECT_EQ(instance->Render({.time = 0, .source = nullptr, .output = &output}).status, kOfxStatOK);
  EXPECT_EQ(FirstDifference(output, ExpectedOutput(nullptr, Image(output.layout()), true, {},
                                                   output.layout().bounds)),
            "");
  EXPECT_THAT(host_.messages(), IsEmpty());
  ExpectNoComplaintBeyondTheMode();
}

TEST_P(HostModeTest, TheOutputIsLabelledAsTheSourceAndNeverOpaque) {
  for (const auto& [source_label, output_label] :
       {std::pair{kOfxImagePreMultiplied, kOfxImagePreMultiplied},
        std::pair{kOfxImageUnPreMultiplied, kOfxImageUnPreMultiplied},
        std::pair{kOfxImageOpaque, kOfxImageUnPreMultiplied}}) {
    auto instance = MakeInstance({.depth = Depth(), .premultiplication = source_label});
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->clip(kOfxImageEffectOutputClipName)
                  .properties()
                  .String(kOfxImageEffectPropPreMultiplication),
              output_label)
        << source_label;
  }
  ExpectNoComplaintBeyondTheMode();
}

// Asked before each band of rows (2048 pixels a row: 32 rows a band, four
// bands), the render stops at the second question: the band the first one
// let through is as the whole frame's render has it, whichever thread took
// it, and the others as the host handed them over. Threads that had taken a
// band before the abort may each have asked once more.
TEST_P(HostModeTest, AnAbortEndsTheRenderAtTheNextBandOfRows) {
  auto instance = MakeInstance({.depth = Depth(), .premultiplication = kOfxImageUnPreMultiplied});
  ASSERT_NE(instance, nullptr);
  const hostsim::ofx::ImageLayout layout{
      .bounds = {0, 0, 2048, 128}, .depth = Depth(), .premultiplication = kOfxImageUnPreMultiplied};
  Image source(layout);
  FillRandom(source, 3);
  const EntrySettings entries = RandomEntries(source, 4);
  SetEntries(*instance, true, entries);
  instance->AbortAfter(1);
  Image output(layout);
  const Image untouched(layout);
  EXPECT_EQ(instance->Render({.time = 0, .source = &source, .output = &output}).status, kOfxStatOK);
  EXPECT_GE(instance->abort_checks(), 2);
  EXPECT_LE(instance->abort_checks(), 4);
  // The rendered band less the markers, which an aborted render never draws.
  const Image expected = ExpectedOutput(source, true, entries);
  const double full = plain_reference::Maximum(ScaleOf(Depth()));
  const auto marker = [&](int x, int y) {
    return Sample(expected, x, y, 0) == full && Sample(expected, x, y, 1) == 0 &&
           Sample(expected, x, y, 2) == 0 && Sample(expected, x, y, 3) == full;
  };
  const auto same_rows = [&](const Image& other, int band) {
    for (int y = 96 - 32 * band; y < 128 - 32 * band; ++y) {
      for (int x = 0; x < 2048; ++x) {
        if (!marker(x, y) &&
            std::memcmp(output.PixelAddress(x, y), other.PixelAddress(x, y),
                        output.pixel_bytes()) != 0) {
          return false;
        }
      }
    }
    return true;
  };
  int rendered = 0;
  for (int band = 0; band < 4; ++band) {
    const bool as_rendered = same_rows(expected, band);
    EXPECT_NE(as_rendered, same_rows(untouched, band)) << "band " << band;
    rendered += as_rendered ? 1 : 0;
  }
  EXPECT_EQ(rendered, 1);
  EXPECT_THAT(host_.messages(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(ModesAndDepths, HostModeTest,
                         ::testing::Combine(::testing::ValuesIn(kModes),
                                            ::testing::ValuesIn(kDepths)),
                         [](const ::testing::TestParamInfo<HostModeTest::ParamType>& mode) {
                           return std::string(std::get<0>(mode.param).name) +
                                  hostsim::ofx::DepthName(std::get<1>(mode.param));
                         });

}  // namespace
}  // namespace huesieve_ofx_test
