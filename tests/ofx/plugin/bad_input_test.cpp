// Bad input from the host: the plug-in answers with an OpenFX error status
// and a message, writes nothing outside the output, releases every image it
// fetched, and never crashes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "ofx/api/ofx_message.h"
#include "ofx/api/ofx_property.h"
#include "testing/hostsim/ofx/faults.h"
#include "testing/hostsim/ofx/frame_pattern.h"
#include "tests/ofx/plugin/plugin_fixture.h"

namespace huesieve_ofx_test {
namespace {

using ::testing::IsEmpty;
using ::testing::SizeIs;
namespace faults = hostsim::ofx::faults;

TEST(MissingSuiteTest, AHostWithoutASuiteThePlugInNeedsCannotLoadIt) {
  for (const char* suite : {kOfxPropertySuite, kOfxImageEffectSuite, kOfxParameterSuite}) {
    SCOPED_TRACE(suite);
    hostsim::ofx::Host host(faults::WithoutSuite(suite));
    hostsim::ofx::Bundle bundle(host, kBundlePath);
    EXPECT_EQ(bundle.LoadPlugin(kIdentifier), nullptr);
    EXPECT_THAT(bundle.error(), ::testing::HasSubstr("returned 4"));  // missing host feature
  }
}

TEST(MissingSuiteTest, AHostWithoutMessagesStillRenders) {
  hostsim::ofx::Host host(faults::WithoutSuite(kOfxMessageSuite));
  hostsim::ofx::Bundle bundle(host, kBundlePath);
  auto plugin = bundle.LoadPlugin(kIdentifier);
  ASSERT_NE(plugin, nullptr) << bundle.error();
  auto instance = plugin->CreateInstance({.depth = PixelDepth::kByte});
  instance->SetBoolean("enable", true);
  Image source({.bounds = {0, 0, 5, 5}});
  Image output({.bounds = {0, 0, 5, 5}});
  hostsim::ofx::FillPattern(source, 1);
  EXPECT_EQ(instance->Render({.time = 0, .source = &source, .output = &output}).status, kOfxStatOK);
  EXPECT_THAT(host.complaints(), IsEmpty());
}

class BadInputTest : public PluginTest {
 protected:
  // Renders with the switch on, and checks that nothing but an error came of
  // it: no complaint (no image kept, no byte written outside the output or
  // into the source) and the output's pixels untouched.
  OfxStatus RenderBadly(Image* source, Image& output, const faults::ImageFaults& image_faults = {},
                        PixelDepth depth = PixelDepth::kByte) {
    auto instance = MakeInstance({.depth = depth});
    if (instance == nullptr) return kOfxStatErrFatal;
    instance->SetBoolean("enable", true);
    image_faults.InstallOn(*instance);
    if (source != nullptr) hostsim::ofx::FillPattern(*source, 9);
    const std::vector<std::byte> before = output.Snapshot();
    const OfxStatus status =
        instance->Render({.time = 0, .source = source, .output = &output}).status;
    EXPECT_EQ(output.FirstChange(before, /*pixels_too=*/true), std::nullopt);
    EXPECT_THAT(host_.complaints(), IsEmpty());
    return status;
  }

  void ExpectErrorMessage() {
    const auto messages = host_.messages();
    ASSERT_THAT(messages, SizeIs(1));
    EXPECT_EQ(messages[0].type, kOfxMessageError);
    EXPECT_FALSE(messages[0].text.empty());
  }
};

TEST_F(BadInputTest, AFetchThatFails) {
  Image source({.bounds = {0, 0, 6, 4}});
  Image output({.bounds = {0, 0, 6, 4}});
  EXPECT_EQ(RenderBadly(&source, output,
                        faults::ImageFaults().FailFetch(kOfxImageEffectOutputClipName)),
            kOfxStatFailed);
  ExpectErrorMessage();
}

TEST_F(BadInputTest, AnOutputFetchThatHandsOutNothing) {
  Image source({.bounds = {0, 0, 6, 4}});
  Image output({.bounds = {0, 0, 6, 4}});
  EXPECT_EQ(RenderBadly(&source, output,
                        faults::ImageFaults().FetchNothing(kOfxImageEffectOutputClipName)),
            kOfxStatFailed);
  ExpectErrorMessage();
}

// A source the host has but cannot hand over is no missing source: its
// status travels back unchanged.
TEST_F(BadInputTest, ASourceFetchThatFailsForWantOfMemory) {
  Image source({.bounds = {0, 0, 6, 4}});
  Image output({.bounds = {0, 0, 6, 4}});
  EXPECT_EQ(RenderBadly(&source, output,
                        faults::ImageFaults().FailFetch(kOfxImageEffectSimpleSourceClipName,
                                                        kOfxStatErrMemory)),
            kOfxStatErrMemory);
  ExpectErrorMessage();
}

TEST_F(BadInputTest, ComponentsOtherThanRgba) {
  Image source({.bounds = {0, 0, 6, 4}});
  Image output({.bounds = {0, 0, 6, 4}});
  EXPECT_EQ(RenderBadly(&source, output,
                        faults::ImageFaults().Relabel(kOfxImageEffectSimpleSourceClipName,
                                                      kOfxImageEffectPropComponents,
                                                      kOfxImageComponentAlpha)),
            kOfxStatErrImageFormat);
  ExpectErrorMessage();
}

TEST_F(BadInputTest, AnUnknownDepth) {
  Image source({.bounds = {0, 0, 6, 4}});
  Image output({.bounds = {0, 0, 6, 4}});
  EXPECT_EQ(RenderBadly(&source, output,
                        faults::ImageFaults().Relabel(kOfxImageEffectOutputClipName,
                                                      kOfxImageEffectPropPixelDepth,
                                                      kOfxBitDepthHalf)),
            kOfxStatErrImageFormat);
  ExpectErrorMessage();
}

TEST_F(BadInputTest, ASourceReachingBeyondTheOutput) {
  Image source({.bounds = {0, 0, 6, 5}});
  Image output({.bounds = {0, 0, 6, 4}});
  EXPECT_EQ(RenderBadly(&source, output), kOfxStatErrImageFormat);
  ExpectErrorMessage();
}

TEST_F(BadInputTest, SourceAndOutputOfDifferentDepths) {
  Image source({.bounds = {0, 0, 6, 4}, .depth = PixelDepth::kShort});
  Image output({.bounds = {0, 0, 6, 4}});
  EXPECT_EQ(RenderBadly(&source, output), kOfxStatErrImageFormat);
  ExpectErrorMessage();
}

TEST_F(BadInputTest, ZeroSizedImages) {
  for (const OfxRectI bounds : {OfxRectI{0, 0, 0, 4}, OfxRectI{2, 3, 9, 3}}) {
    Image source({.bounds = bounds, .depth = PixelDepth::kFloat});
    Image output({.bounds = bounds, .depth = PixelDepth::kFloat});
    EXPECT_EQ(RenderBadly(&source, output, {}, PixelDepth::kFloat), kOfxStatErrImageFormat);
  }
}

}  // namespace
}  // namespace huesieve_ofx_test
