// PluginDataEntryFunction, through a callback that records what it is given.
#include "entry/plugin_registration.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/hostsim/registration.h"

namespace {

using hostsim::RecordedRegistration;
using hostsim::RecordRegistration;
using hostsim::RegistrationResult;

class PluginRegistrationTest : public testing::Test {
 protected:
  void SetUp() override {
    RecordedRegistration() = {};
    RegistrationResult() = PF_Err_NONE;
  }
  PF_Err Register() {
    return PluginDataEntryFunction(&host_token_, &RecordRegistration, nullptr, "Host", "1.0");
  }
  int host_token_ = 0;
};

TEST_F(PluginRegistrationTest, CallsTheCallbackOnceWithTheNineValuesInOrder) {
  EXPECT_EQ(Register(), PF_Err_NONE);

  const hostsim::Registration& recorded = RecordedRegistration();
  EXPECT_EQ(recorded.calls, 1);
  EXPECT_EQ(recorded.host_pointer, &host_token_);
  EXPECT_EQ(recorded.node_name, "Huesieve");
  EXPECT_EQ(recorded.match_name, "Quorvel VFX Huesieve");
  EXPECT_EQ(recorded.category, "Quorvel VFX");
  EXPECT_EQ(recorded.entry_point, "EffectMain");
  EXPECT_EQ(recorded.kind, 0x65464B54);
  EXPECT_EQ(recorded.major, 13);
  EXPECT_EQ(recorded.minor, 27);
  EXPECT_EQ(recorded.reserved, 8);
}

class PluginRegistrationResultTest : public PluginRegistrationTest,
                                     public testing::WithParamInterface<PF_Err> {};

TEST_P(PluginRegistrationResultTest, ReturnsTheCallbacksResultUnchanged) {
  RegistrationResult() = GetParam();

  EXPECT_EQ(Register(), GetParam());
  EXPECT_EQ(RecordedRegistration().calls, 1);
}

INSTANTIATE_TEST_SUITE_P(HostResults, PluginRegistrationResultTest,
                         testing::Values(PF_Err_NONE, PF_Err_OUT_OF_MEMORY,
                                         PF_Err_BAD_CALLBACK_PARAM, -1));

}  // namespace
