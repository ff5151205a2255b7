// Loading a bundle as a host does, and the order of the actions the host
// sends from loading to unloading.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/ofx/copy_fixture.h"

namespace {

using copy_fixture::CopyFixtureTest;
using hostsim::ofx::ActionCall;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> ActionNames(const std::vector<ActionCall>& calls, std::size_t from = 0) {
  std::vector<std::string> names;
  for (std::size_t i = from; i < calls.size(); ++i) names.push_back(calls[i].action);
  return names;
}

TEST(BundleLayoutTest, ScanningTheFolderFindsTheBundle) {
  const std::filesystem::path bundle = copy_fixture::kBundlePath;
  EXPECT_THAT(hostsim::ofx::FindBundles(bundle.parent_path()), ElementsAre(bundle));
}

TEST(BundleLayoutTest, TheBinaryLiesInTheArchitectureFolderUnderTheBareName) {
  EXPECT_EQ(
      hostsim::ofx::BinaryPathIn("/plugins/Huesieve.ofx.bundle"),
      std::filesystem::path("/plugins/Huesieve.ofx.bundle/Contents/Linux-x86-64/Huesieve.ofx"));
}

TEST(BundleLayoutTest, TheInfoListNamesTheBinaryAndTheBundleKind) {
  std::ifstream file(std::filesystem::path(copy_fixture::kBundlePath) / "Contents" / "Info.plist");
  const std::string list((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_THAT(list, ::testing::HasSubstr(
                        "<key>CFBundleExecutable</key>\n  <string>CopyFixture.ofx</string>"));
  EXPECT_THAT(list,
              ::testing::HasSubstr("<key>CFBundlePackageType</key>\n  <string>BNDL</string>"));
}

TEST(BundleLayoutTest, AFolderNotNamedAsABundleIsRefused) {
  hostsim::ofx::Host host;
  const hostsim::ofx::Bundle bundle(host,
                                    std::filesystem::path(copy_fixture::kBundlePath) / "Contents");
  EXPECT_FALSE(bundle.loaded());
  EXPECT_THAT(bundle.error(), ::testing::HasSubstr("NAME.ofx.bundle"));
}

TEST_F(CopyFixtureTest, TheBinaryOffersOnePlugInAndNoSetHost) {
  EXPECT_EQ(bundle_.plugin_count(), 1);
  EXPECT_FALSE(bundle_.exports_set_host());
  EXPECT_EQ(plugin_->identifier(), copy_fixture::kIdentifier);
}

TEST_F(CopyFixtureTest, AnUnknownIdentifierLoadsNothing) {
  EXPECT_EQ(bundle_.LoadPlugin("com.example.NoSuchPlugin"), nullptr);
  EXPECT_THAT(bundle_.error(), ::testing::HasSubstr("no plug-in com.example.NoSuchPlugin"));
}

TEST_F(CopyFixtureTest, LoadingSendsLoadThenDescribe) {
  EXPECT_THAT(ActionNames(plugin_->actions()), ElementsAre(kOfxActionLoad, kOfxActionDescribe));
  EXPECT_EQ(plugin_->descriptor().properties().String(kOfxPropLabel), "Copy fixture");
  EXPECT_EQ(plugin_->descriptor().properties().String(kOfxPluginPropFilePath),
            bundle_.binary_path().string());
}

TEST_F(CopyFixtureTest, TheSharedContextsAreDescribedOnceEachWhenFirstWanted) {
  EXPECT_THAT(plugin_->Contexts(),
              ElementsAre(kOfxImageEffectContextFilter, kOfxImageEffectContextGeneral));
  const auto* filter = plugin_->DescribeInContext(kOfxImageEffectContextFilter);
  ASSERT_NE(filter, nullptr);
  EXPECT_EQ(plugin_->DescribeInContext(kOfxImageEffectContextFilter), filter);
  OfxStatus status = kOfxStatOK;
  EXPECT_EQ(plugin_->DescribeInContext(kOfxImageEffectContextGenerator, &status), nullptr);
  EXPECT_EQ(status, kOfxStatErrUnsupported);
  EXPECT_THAT(ActionNames(plugin_->actions(), 2),
              ElementsAre(kOfxImageEffectActionDescribeInContext));
  EXPECT_NE(filter->FindClip(kOfxImageEffectSimpleSourceClipName), nullptr);
  EXPECT_NE(filter->params().Find("invert"), nullptr);
}

TEST(PluginLifetimeTest, EveryActionComesInTheOrderHostsSendIt) {
  hostsim::ofx::Host host;
  hostsim::ofx::Bundle bundle(host, copy_fixture::kBundlePath);
  auto plugin = bundle.LoadPlugin(copy_fixture::kIdentifier);
  ASSERT_NE(plugin, nullptr);
  hostsim::ofx::Image source({.bounds = {0, 0, 4, 3}});
  hostsim::ofx::Image output({.bounds = {0, 0, 4, 3}});
  auto instance = plugin->CreateInstance();
  ASSERT_NE(instance, nullptr);
  instance->Render({.time = 0, .source = &source, .output = &output});
  instance.reset();

  EXPECT_THAT(
      ActionNames(plugin->actions()),
      ElementsAre(kOfxActionLoad, kOfxActionDescribe, kOfxImageEffectActionDescribeInContext,
                  kOfxActionCreateInstance, kOfxImageEffectActionGetClipPreferences,
                  kOfxImageEffectActionBeginSequenceRender,
                  kOfxImageEffectActionGetRegionOfDefinition,
                  kOfxImageEffectActionGetRegionsOfInterest, kOfxImageEffectActionIsIdentity,
                  kOfxImageEffectActionRender, kOfxImageEffectActionEndSequenceRender,
                  kOfxActionDestroyInstance));
  EXPECT_THAT(host.complaints(), IsEmpty());
}

TEST_F(CopyFixtureTest, TheFixtureFetchesTheSuitesItNeedsAndAHostServesThem) {
  const auto requests = host_.suite_requests();
  ASSERT_EQ(requests.size(), 4u);
  for (const auto& request : requests) EXPECT_TRUE(request.served) << request.name;
}

}  // namespace
