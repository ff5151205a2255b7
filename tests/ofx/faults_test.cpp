// Bad input from the host, injected through the faults layer, reaches the
// plug-in as a real host would send it.
#include "testing/hostsim/ofx/faults.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "testing/hostsim/ofx/frame_pattern.h"
#include "ofx/api/ofx_message.h"
#include "tests/ofx/copy_fixture.h"

namespace {

using copy_fixture::CopyFixtureTest;
using hostsim::ofx::Image;
using hostsim::ofx::PixelDepth;
namespace faults = hostsim::ofx::faults;

TEST(MissingSuiteTest, APlugInThatNeedsTheSuiteDoesNotLoad) {
  hostsim::ofx::Host host(faults::WithoutSuite(kOfxParameterSuite));
  hostsim::ofx::Bundle bundle(host, copy_fixture::kBundlePath);
  EXPECT_EQ(bundle.LoadPlugin(copy_fixture::kIdentifier), nullptr);
  EXPECT_THAT(bundle.error(), ::testing::HasSubstr("returned 4"));  // kOfxStatErrMissingHostFeature
  const auto requests = host.suite_requests();
  EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [](const auto& request) {
    return request.name == kOfxParameterSuite && !request.served;
  }));
}

class ImageFaultTest : public CopyFixtureTest {
 protected:
  hostsim::ofx::FrameOutcome RenderWith(const faults::ImageFaults& image_faults) {
    auto instance = MakeInstance({.depth = PixelDepth::kByte});
    if (instance == nullptr) return {kOfxStatErrFatal, false};
    image_faults.InstallOn(*instance);
    hostsim::ofx::FillPattern(source_, 4);
    return instance->Render({.time = 0, .source = &source_, .output = &output_});
  }

  Image source_{{.bounds = {0, 0, 4, 4}}};
  Image output_{{.bounds = {0, 0, 4, 4}}};
};

TEST_F(ImageFaultTest, AFailingFetchFailsTheFrameAndLeavesAMessage) {
  EXPECT_EQ(RenderWith(faults::ImageFaults().FailFetch(kOfxImageEffectSimpleSourceClipName)).status,
            kOfxStatFailed);
  const auto messages = host_.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].call, "setPersistentMessage");
  EXPECT_EQ(messages[0].type, kOfxMessageError);
  EXPECT_EQ(messages[0].text, "cannot copy these images");
}

TEST_F(ImageFaultTest, AnEmptyFetchFailsTheFrame) {
  EXPECT_EQ(RenderWith(faults::ImageFaults().FetchNothing(kOfxImageEffectOutputClipName)).status,
            kOfxStatFailed);
  EXPECT_THAT(host_.complaints(), ::testing::IsEmpty());
}

TEST_F(ImageFaultTest, ComponentsTheHostNeverOffersReachThePlugIn) {
  EXPECT_EQ(RenderWith(faults::ImageFaults().Relabel(kOfxImageEffectSimpleSourceClipName,
                                                     kOfxImageEffectPropComponents,
                                                     kOfxImageComponentRGB))
                .status,
            kOfxStatFailed);
}

TEST_F(ImageFaultTest, AnUnknownDepthReachesThePlugIn) {
  EXPECT_EQ(
      RenderWith(faults::ImageFaults().Relabel(kOfxImageEffectOutputClipName,
                                               kOfxImageEffectPropPixelDepth, "OfxBitDepthDouble"))
          .status,
      kOfxStatFailed);
}

TEST_F(CopyFixtureTest, AFrameWithoutASourceFailsWithoutAComplaint) {
  auto instance = MakeInstance({.depth = PixelDepth::kByte, .source_connected = false});
  ASSERT_NE(instance, nullptr);
  Image output({.bounds = {0, 0, 3, 3}});
  EXPECT_EQ(instance->Render({.time = 0, .source = nullptr, .output = &output}).status,
            kOfxStatFailed);
  EXPECT_EQ(instance->clip(kOfxImageEffectSimpleSourceClipName)
                .properties()
                .Int(kOfxImageClipPropConnected),
            0);
  EXPECT_THAT(host_.complaints(), ::testing::IsEmpty());
}

}  // namespace
