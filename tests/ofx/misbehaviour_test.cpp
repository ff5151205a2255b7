// The simulated host catches a plug-in that misbehaves: writes to its source
// or outside its output, keeps or double-releases images, asks for properties
// wrongly, or calls a suite function it has no business calling.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "testing/hostsim/ofx/frame_pattern.h"
#include "tests/ofx/copy_fixture.h"

namespace {

using copy_fixture::Behaviour;
using copy_fixture::CopyFixtureTest;
using hostsim::ofx::ComplaintKind;
using hostsim::ofx::Image;
using hostsim::ofx::PixelDepth;

struct Misbehaviour {
  const char* name;
  Behaviour behaviour;
  ComplaintKind kind;
  const char* detail;  // what the complaint must mention
};

std::ostream& operator<<(std::ostream& out, const Misbehaviour& m) { return out << m.name; }

class MisbehaviourTest : public CopyFixtureTest,
                         public ::testing::WithParamInterface<Misbehaviour> {};

TEST_P(MisbehaviourTest, IsCaughtAndNamed) {
  auto instance = MakeInstance({.depth = PixelDepth::kByte});
  ASSERT_NE(instance, nullptr);
  instance->SetInteger("behaviour", static_cast<int>(GetParam().behaviour));
  Image source({.bounds = {0, 0, 5, 4}, .depth = PixelDepth::kByte});
  Image output({.bounds = {0, 0, 5, 4}, .depth = PixelDepth::kByte, .row_padding = 4});
  hostsim::ofx::FillPattern(source, 1);

  instance->Render({.time = 2, .source = &source, .output = &output});

  const auto complaints = host_.complaints();
  ASSERT_EQ(complaints.size(), 1u) << ::testing::PrintToString(complaints);
  EXPECT_EQ(complaints[0].kind, GetParam().kind);
  EXPECT_THAT(complaints[0].what, ::testing::HasSubstr(GetParam().detail));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MisbehaviourTest,
    ::testing::Values(Misbehaviour{"WriteToTheSource", Behaviour::kWriteSource,
                                   ComplaintKind::kSourceWritten, "pixel x = 0, y = 0"},
                      Misbehaviour{"WritePastTheOutputsTopRow", Behaviour::kWritePastOutputRow,
                                   ComplaintKind::kOutsideOutput, "padding of row y = 3"},
                      Misbehaviour{"KeepTheSourceImage", Behaviour::kKeepSource,
                                   ComplaintKind::kLeak, "Source@2 was fetched and never released"},
                      Misbehaviour{"AskForAnUnknownProperty", Behaviour::kReadUnknownProperty,
                                   ComplaintKind::kRefusal, "OfxImagePropNoSuchThing"},
                      Misbehaviour{"AskForTheRowBytesAsADouble", Behaviour::kReadRowBytesAsDouble,
                                   ComplaintKind::kRefusal, "is a int property, asked as double"},
                      Misbehaviour{"AskForTheBoundsPastTheirEnd", Behaviour::kReadBoundsPastEnd,
                                   ComplaintKind::kRefusal, "index 4 of dimension 4"},
                      Misbehaviour{"ReleaseTheOutputTwice", Behaviour::kReleaseOutputTwice,
                                   ComplaintKind::kRefusal, "twice"}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

TEST_F(CopyFixtureTest, AWellBehavedRenderLeavesNoComplaint) {
  auto instance = MakeInstance({.depth = PixelDepth::kByte});
  ASSERT_NE(instance, nullptr);
  Image source({.bounds = {0, 0, 5, 4}});
  Image output({.bounds = {0, 0, 5, 4}, .row_padding = 4});
  hostsim::ofx::FillPattern(source, 1);

  instance->Render({.time = 2, .source = &source, .output = &output});

  EXPECT_THAT(host_.complaints(), ::testing::IsEmpty());
}

using CopyFixtureDeathTest = CopyFixtureTest;

TEST_F(CopyFixtureDeathTest, ACallToATrappedFunctionNamesItAndAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto instance = MakeInstance({.depth = PixelDepth::kByte});
  ASSERT_NE(instance, nullptr);
  instance->SetInteger("behaviour", static_cast<int>(Behaviour::kCallKeyframeFunction));
  Image source({.bounds = {0, 0, 2, 2}});
  Image output({.bounds = {0, 0, 2, 2}});

  EXPECT_DEATH(instance->Render({.time = 0, .source = &source, .output = &output}),
               "OfxParameterSuiteV1::paramGetNumKeys \\(slot 10\\)");
}

}  // namespace
