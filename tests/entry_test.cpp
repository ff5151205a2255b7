// The command dispatch, Global Setup and About, through EffectMain; and that
// no exception a host callback throws crosses back into the host.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <ostream>
#include <string>

#include "entry/effect_main.h"
#include "params/param_layout.h"
#include "testing/hostsim/strict_host.h"
#include "testing/hostsim/world.h"

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

// The command during which a callback throws.
PF_Err SendAbout(hostsim::StrictHost& host) { return host.About(); }
PF_Err SendParamsSetup(hostsim::StrictHost& host) { return host.ParamsSetup(); }
template <hostsim::Depth kDepth>
PF_Err SendRender(hostsim::StrictHost& host) {
  host.param(huesieve::kEnableEffectSlot).u.bd.value = 1;
  hostsim::World input(kDepth, 2, 2);
  hostsim::World output(kDepth, 2, 2);
  return host.Render(input, output);
}

struct ThrowCase {
  const char* callback;
  PF_Err (*send)(hostsim::StrictHost&);
  bool bad_alloc;
  PF_Err expected;
};

void PrintTo(const ThrowCase& given, std::ostream* os) {
  *os << given.callback << (given.bad_alloc ? " throws std::bad_alloc" : " throws another type");
}

class ThrowingCallbackTest : public EntryTest, public ::testing::WithParamInterface<ThrowCase> {};

// An allocation failure becomes PF_Err_OUT_OF_MEMORY, anything else
// PF_Err_INTERNAL_STRUCT_DAMAGED; the command is unwound either way.
TEST_P(ThrowingCallbackTest, BecomesAnErrorCode) {
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  host.faults.throwing_callback = GetParam().callback;
  host.faults.throws_bad_alloc = GetParam().bad_alloc;
  EXPECT_EQ(GetParam().send(host), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    HostCallbacks, ThrowingCallbackTest,
    ::testing::Values(
        ThrowCase{"copy", &SendRender<hostsim::Depth::k16>, true, PF_Err_OUT_OF_MEMORY},
        ThrowCase{"copy", &SendRender<hostsim::Depth::k16>, false, PF_Err_INTERNAL_STRUCT_DAMAGED},
        ThrowCase{"get_pixel_data8", &SendRender<hostsim::Depth::k8>, true, PF_Err_OUT_OF_MEMORY},
        ThrowCase{"get_pixel_data8", &SendRender<hostsim::Depth::k8>, false,
                  PF_Err_INTERNAL_STRUCT_DAMAGED},
        ThrowCase{"get_pixel_data16", &SendRender<hostsim::Depth::k16>, true,
                  PF_Err_OUT_OF_MEMORY},
        ThrowCase{"get_pixel_data16", &SendRender<hostsim::Depth::k16>, false,
                  PF_Err_INTERNAL_STRUCT_DAMAGED},
        ThrowCase{"add_param", &SendParamsSetup, true, PF_Err_OUT_OF_MEMORY},
        ThrowCase{"add_param", &SendParamsSetup, false, PF_Err_INTERNAL_STRUCT_DAMAGED},
        ThrowCase{"AcquireSuite", &SendAbout, true, PF_Err_OUT_OF_MEMORY},
        ThrowCase{"AcquireSuite", &SendAbout, false, PF_Err_INTERNAL_STRUCT_DAMAGED}),
    [](const ::testing::TestParamInfo<ThrowCase>& param_info) {
      std::string name = param_info.param.callback;
      std::erase(name, '_');
      return name + (param_info.param.bad_alloc ? "ThrowsBadAlloc" : "ThrowsOther");
    });

}  // namespace
