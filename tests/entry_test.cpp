// The command dispatch, Global Setup and About, through EffectMain.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "entry/effect_main.h"
#include "hostsim/strict_host.h"

namespace {

using hostsim::BrokerCall;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kAboutText[] =
    "Huesieve v1.0\r\n\nCopyright 2026 Quorvel VFX.\nhttps://quorvelvfx.com";

BrokerCall Acquire(const char* name, std::int32_t version) {
  return {BrokerCall::Kind::kAcquire, name, version};
}
BrokerCall Release(const char* name, std::int32_t version) {
  return {BrokerCall::Kind::kRelease, name, version};
}

class EntryTest : public ::testing::Test {
 protected:
  // The host's record starts out poisoned; it must survive where the module
  // does not write.
  EntryTest() : host(&EffectMain) { std::memcpy(before, &host.out_data, sizeof before); }

  bool OutDataUnchanged() const { return std::memcmp(before, &host.out_data, sizeof before) == 0; }
  std::string ReturnMsg() const {
    return std::string(host.out_data.return_msg,
                       strnlen(host.out_data.return_msg, sizeof host.out_data.return_msg));
  }

  hostsim::StrictHost host;
  unsigned char before[sizeof(PF_OutData)];
};

class UnhandledCommandTest : public EntryTest, public ::testing::WithParamInterface<PF_Cmd> {};

TEST_P(UnhandledCommandTest, ReturnsSuccessAndTouchesNothing) {
  EXPECT_EQ(host.Send(GetParam()), PF_Err_NONE);
  EXPECT_TRUE(OutDataUnchanged());
  EXPECT_THAT(host.broker_log(), IsEmpty());
  EXPECT_EQ(host.add_param_calls(), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryOtherCommand, UnhandledCommandTest,
                         ::testing::Values(2, 3, 5, 6, 7, 8, 9, 10, 12, 13, 100, -1, -11, INT_MIN,
                                           INT_MAX));

TEST_F(EntryTest, GlobalSetupReplacesWhatTheHostPutThere) {
  EXPECT_EQ(host.GlobalSetup(), PF_Err_NONE);
  EXPECT_EQ(host.out_data.my_version, 0x00080001u);
  EXPECT_EQ(host.out_data.out_flags, 0x02000800);
  EXPECT_EQ(host.out_data.out_flags2, 0x08000000);
  EXPECT_THAT(host.broker_log(), IsEmpty());
}

TEST_F(EntryTest, AboutWritesNameVersionAndDescription) {
  EXPECT_EQ(host.About(), PF_Err_NONE);
  EXPECT_EQ(ReturnMsg(), kAboutText);
  EXPECT_THAT(host.broker_log(),
              ElementsAre(Acquire("PF ANSI Suite", 1), Release("PF ANSI Suite", 1)));
}

TEST_F(EntryTest, AboutIgnoresAFailedRelease) {
  host.faults.release_fails = true;
  EXPECT_EQ(host.About(), PF_Err_NONE);
  EXPECT_EQ(ReturnMsg(), kAboutText);
  EXPECT_THAT(host.broker_log(),
              ElementsAre(Acquire("PF ANSI Suite", 1), Release("PF ANSI Suite", 1)));
}

TEST_F(EntryTest, AboutWithoutBrokerFailsWithoutCallingIt) {
  host.faults.no_broker = true;
  EXPECT_EQ(host.About(), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(OutDataUnchanged());
  EXPECT_THAT(host.broker_log(), IsEmpty());
}

TEST_F(EntryTest, AboutWhenTheHostRefusesTheSuiteReleasesNothing) {
  host.faults.refused_suite = "PF ANSI Suite";
  EXPECT_EQ(host.About(), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(OutDataUnchanged());
  EXPECT_THAT(host.broker_log(), ElementsAre(Acquire("PF ANSI Suite", 1)));
}

TEST_F(EntryTest, AboutWhenTheHostYieldsANullSuiteReleasesNothing) {
  host.faults.null_suite = true;
  EXPECT_EQ(host.About(), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(OutDataUnchanged());
  EXPECT_THAT(host.broker_log(), ElementsAre(Acquire("PF ANSI Suite", 1)));
}

TEST_F(EntryTest, HostErrorCodesFromParamsSetupPassThroughUnchanged) {
  host.faults.refuse_param_number = 3;
  host.faults.param_refusal = 0x7FFF1234;
  EXPECT_EQ(host.ParamsSetup(), 0x7FFF1234);
}

}  // namespace
