// PluginDataEntryFunction, through a callback that records what it is given.
#include "entry/plugin_registration.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Registration {
  int calls = 0;
  PF_PluginDataPtr host_pointer = nullptr;
  std::string node_name;
  std::string match_name;
  std::string category;
  std::string entry_point;
  A_long kind = 0;
  A_long major = 0;
  A_long minor = 0;
  A_long reserved = 0;
};

// The callback gets no context but the host's pointer, which is under test.
Registration recorded;
PF_Err callback_result = PF_Err_NONE;

PF_Err Record(PF_PluginDataPtr inPtr, const A_char* inNodeName, const A_char* inMatchName,
              const A_char* inCategoryName, const A_char* inEntryPointName, A_long inType,
              A_long inMajorVersion, A_long inMinorVersion, A_long inReserved) {
  recorded = {recorded.calls + 1, inPtr,  inNodeName,     inMatchName,    inCategoryName,
              inEntryPointName,   inType, inMajorVersion, inMinorVersion, inReserved};
  return callback_result;
}

class PluginRegistrationTest : public testing::Test {
 protected:
  void SetUp() override {
    recorded = {};
    callback_result = PF_Err_NONE;
  }
  PF_Err Register() {
    return PluginDataEntryFunction(&host_token_, &Record, nullptr, "Host", "1.0");
  }
  int host_token_ = 0;
};

TEST_F(PluginRegistrationTest, CallsTheCallbackOnceWithTheNineValuesInOrder) {
  EXPECT_EQ(Register(), PF_Err_NONE);

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
  callback_result = GetParam();

  EXPECT_EQ(Register(), GetParam());
  EXPECT_EQ(recorded.calls, 1);
}

INSTANTIATE_TEST_SUITE_P(HostResults, PluginRegistrationResultTest,
                         testing::Values(PF_Err_NONE, PF_Err_OUT_OF_MEMORY,
                                         PF_Err_BAD_CALLBACK_PARAM, -1));

}  // namespace
