// The suite handler's lifetime rules, with a broker of the test's own.
#include "host/suite_handler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_error.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct Call {
  std::string what;
  std::int32_t version;
  bool operator==(const Call&) const = default;
};

// The broker's callbacks carry no context, so the fake keeps its state here.
std::vector<Call> calls;
SPErr acquire_result = 0;
const void* acquired_suite = nullptr;
PF_ANSICallbacksSuite1 ansi_suite{};

SPErr Acquire(const char* name, std::int32_t version, const void** suite) {
  calls.push_back({std::string("acquire ") + name, version});
  *suite = acquired_suite;
  return acquire_result;
}

SPErr Release(const char* name, std::int32_t version) {
  calls.push_back({std::string("release ") + name, version});
  return 1;  // a failing release must not matter
}

class SuiteHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    acquire_result = 0;
    acquired_suite = &ansi_suite;
    broker.AcquireSuite = &Acquire;
    broker.ReleaseSuite = &Release;
  }
  SPBasicSuite broker{};
};

PF_Err CodeOf(auto&& action) {
  try {
    action();
  } catch (const huesieve::HostError& error) {
    return error.code();
  }
  return PF_Err_NONE;
}

TEST_F(SuiteHandlerTest, UnusedHandlerNeverCallsTheBroker) {
  { huesieve::SuiteHandler handler(&broker); }
  EXPECT_THAT(calls, IsEmpty());
}

TEST_F(SuiteHandlerTest, ObtainsOnceAndHandsBackOnce) {
  {
    huesieve::SuiteHandler handler(&broker);
    EXPECT_EQ(handler.AnsiSuite(), &ansi_suite);
    EXPECT_EQ(handler.AnsiSuite(), &ansi_suite);
  }
  EXPECT_THAT(calls,
              ElementsAre(Call{"acquire PF ANSI Suite", 1}, Call{"release PF ANSI Suite", 1}));
}

TEST_F(SuiteHandlerTest, NullBrokerRaises516) {
  EXPECT_EQ(CodeOf([] { huesieve::SuiteHandler handler(nullptr); }), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_THAT(calls, IsEmpty());
}

TEST_F(SuiteHandlerTest, RefusedSuiteRaises516AndIsNotHandedBack) {
  acquire_result = 7;  // a pointer that comes with a failure code is not the module's
  EXPECT_EQ(CodeOf([this] {
              huesieve::SuiteHandler handler(&broker);
              handler.AnsiSuite();
            }),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_THAT(calls, ElementsAre(Call{"acquire PF ANSI Suite", 1}));
}

TEST_F(SuiteHandlerTest, NullSuiteRaises516AndIsNotHandedBack) {
  acquired_suite = nullptr;
  EXPECT_EQ(CodeOf([this] {
              huesieve::SuiteHandler handler(&broker);
              handler.AnsiSuite();
            }),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_THAT(calls, ElementsAre(Call{"acquire PF ANSI Suite", 1}));
}

TEST_F(SuiteHandlerTest, SuiteObtainedBeforeAnErrorIsStillHandedBack) {
  EXPECT_EQ(CodeOf([this] {
              huesieve::SuiteHandler handler(&broker);
              handler.AnsiSuite();
              throw huesieve::HostError(PF_Err_BAD_CALLBACK_PARAM);
            }),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_THAT(calls,
              ElementsAre(Call{"acquire PF ANSI Suite", 1}, Call{"release PF ANSI Suite", 1}));
}

}  // namespace
