// The suites the simulated host serves, called as a plug-in calls them: what
// each hands back, what it refuses, and what it holds against the caller.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "ofx/api/ofx_memory.h"
#include "ofx/api/ofx_message.h"
#include "ofx/api/ofx_multithread.h"
#include "ofx/api/ofx_property.h"
#include "tests/ofx/copy_fixture.h"

namespace {

using copy_fixture::CopyFixtureTest;
using hostsim::ofx::ComplaintKind;
using ::testing::IsEmpty;

template <typename Suite>
const Suite* Fetch(hostsim::ofx::Host& host, const char* name, int version) {
  return static_cast<const Suite*>(
      host.ofx_host()->fetchSuite(host.ofx_host()->host, name, version));
}

class SuitesTest : public CopyFixtureTest {
 protected:
  void SetUp() override {
    CopyFixtureTest::SetUp();
    instance_ = MakeInstance();
    ASSERT_NE(instance_, nullptr);
  }
  OfxImageEffectHandle effect() { return instance_->effect().handle(); }

  std::unique_ptr<hostsim::ofx::Instance> instance_;
};

TEST_F(SuitesTest, AVersionTheHostDoesNotServeIsNull) {
  EXPECT_EQ(Fetch<void>(host_, kOfxPropertySuite, 2), nullptr);
  EXPECT_EQ(Fetch<void>(host_, "OfxNoSuchSuite", 1), nullptr);
  EXPECT_EQ(Fetch<void>(host_, kOfxMessageSuite, 1), Fetch<void>(host_, kOfxMessageSuite, 2));
}

TEST_F(SuitesTest, MessagesAreFormattedAndKeptWithTheirEffect) {
  const auto* messages = Fetch<OfxMessageSuiteV2>(host_, kOfxMessageSuite, 2);
  EXPECT_EQ(messages->message(effect(), kOfxMessageWarning, "w1", "%d of %s", 3, "four"),
            kOfxStatOK);
  EXPECT_EQ(messages->message(effect(), kOfxMessageQuestion, "", "go on?"), kOfxStatFailed);
  EXPECT_EQ(messages->clearPersistentMessage(effect()), kOfxStatOK);
  const auto log = host_.messages();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].text, "3 of four");
  EXPECT_EQ(log[0].id, "w1");
  EXPECT_EQ(log[0].effect, instance_->effect().label());
  EXPECT_EQ(log[2].call, "clearPersistentMessage");
}

TEST_F(SuitesTest, HostMemoryIsLentAndTakenBackOnce) {
  const auto* memory = Fetch<OfxMemorySuiteV1>(host_, kOfxMemorySuite, 1);
  void* block = nullptr;
  ASSERT_EQ(memory->memoryAlloc(effect(), 64, &block), kOfxStatOK);
  EXPECT_EQ(host_.blocks_on_loan(), 1u);
  EXPECT_EQ(memory->memoryFree(block), kOfxStatOK);
  EXPECT_EQ(host_.blocks_on_loan(), 0u);
}

TEST_F(SuitesTest, ImageMemoryUnlocksOnlyWhatIsLocked) {
  const auto* suite = Fetch<OfxImageEffectSuiteV1>(host_, kOfxImageEffectSuite, 1);
  OfxImageMemoryHandle memory = nullptr;
  void* data = nullptr;
  ASSERT_EQ(suite->imageMemoryAlloc(effect(), 16, &memory), kOfxStatOK);
  EXPECT_EQ(suite->imageMemoryLock(memory, &data), kOfxStatOK);
  EXPECT_NE(data, nullptr);
  EXPECT_EQ(suite->imageMemoryUnlock(memory), kOfxStatOK);
  EXPECT_EQ(suite->imageMemoryUnlock(memory), kOfxStatErrBadHandle);
  EXPECT_EQ(suite->imageMemoryFree(memory), kOfxStatOK);
}

TEST_F(SuitesTest, MemoryStillLentWhenThePlugInUnloadsIsALeak) {
  const auto* suite = Fetch<OfxImageEffectSuiteV1>(host_, kOfxImageEffectSuite, 1);
  OfxImageMemoryHandle memory = nullptr;
  ASSERT_EQ(suite->imageMemoryAlloc(effect(), 16, &memory), kOfxStatOK);
  instance_.reset();
  plugin_.reset();
  const auto complaints = host_.complaints();
  ASSERT_EQ(complaints.size(), 1u);
  EXPECT_EQ(complaints[0].kind, ComplaintKind::kLeak);
  suite->imageMemoryFree(memory);
}

TEST_F(SuitesTest, ParameterValuesComeBackThroughTheVariadicPointers) {
  const auto* params = Fetch<OfxParameterSuiteV1>(host_, kOfxParameterSuite, 1);
  OfxParamSetHandle set = instance_->effect().params().handle();
  OfxParamHandle invert = nullptr;
  OfxParamHandle behaviour = nullptr;
  ASSERT_EQ(params->paramGetHandle(set, "invert", &invert, nullptr), kOfxStatOK);
  ASSERT_EQ(params->paramGetHandle(set, "behaviour", &behaviour, nullptr), kOfxStatOK);
  instance_->SetValueAt("behaviour", 0, {{2.0}, {}});
  instance_->SetValueAt("behaviour", 10, {{6.0}, {}});
  int value = -1;
  EXPECT_EQ(params->paramGetValueAtTime(behaviour, 9.5, &value), kOfxStatOK);
  EXPECT_EQ(value, 2);  // integers hold the earlier key
  EXPECT_EQ(params->paramSetValue(invert, 1), kOfxStatOK);
  EXPECT_EQ(params->paramGetValue(invert, &value), kOfxStatOK);
  EXPECT_EQ(value, 1);
  EXPECT_THAT(host_.complaints(), IsEmpty());
  EXPECT_EQ(params->paramGetHandle(set, "nothing", &invert, nullptr), kOfxStatErrUnknown);
  EXPECT_EQ(params->paramDefine(set, kOfxParamTypeDouble, "late", nullptr), kOfxStatErrBadHandle);
  EXPECT_EQ(host_.complaints().size(), 2u);
}

TEST(ParamValueTest, DoublesInterpolateBetweenKeysAndHoldBeyondThem) {
  hostsim::ofx::ComplaintLog log;
  hostsim::ofx::Param descriptor(log, *hostsim::ofx::FindParamType(kOfxParamTypeRGB), "colour",
                                 "test");
  hostsim::ofx::Param param(descriptor, "test", 0.0);
  param.SetValueAt(0, {{0.0, 1.0, 0.5}, {}});
  param.SetValueAt(4, {{1.0, 0.0, 0.5}, {}});
  EXPECT_EQ(param.ValueAt(1), (hostsim::ofx::ParamValue{{0.25, 0.75, 0.5}, {}}));
  EXPECT_EQ(param.ValueAt(-3), (hostsim::ofx::ParamValue{{0.0, 1.0, 0.5}, {}}));
  EXPECT_EQ(param.ValueAt(9), (hostsim::ofx::ParamValue{{1.0, 0.0, 0.5}, {}}));
}

// What the threads of one multiThread call saw.
struct ThreadReport {
  const OfxMultiThreadSuiteV1* suite;
  std::atomic<unsigned int> indices_seen{0};
  std::atomic<int> nesting_refused{0};
};

TEST_F(SuitesTest, MultiThreadRunsEveryIndexOnItsOwnThreadAndRefusesNesting) {
  ThreadReport report{Fetch<OfxMultiThreadSuiteV1>(host_, kOfxMultiThreadSuite, 1)};
  EXPECT_EQ(report.suite->multiThreadIsSpawnedThread(), 0);
  ASSERT_EQ(report.suite->multiThread(
                [](unsigned int index, unsigned int count, void* argument) {
                  auto& r = *static_cast<ThreadReport*>(argument);
                  unsigned int reported = count;
                  r.suite->multiThreadIndex(&reported);
                  if (reported == index) r.indices_seen |= 1u << index;
                  if (r.suite->multiThreadIsSpawnedThread() == 1 &&
                      r.suite->multiThread([](unsigned int, unsigned int, void*) {}, 2, nullptr) ==
                          kOfxStatErrExists) {
                    ++r.nesting_refused;
                  }
                },
                4, &report),
            kOfxStatOK);
  EXPECT_EQ(report.indices_seen.load(), 0xFu);
  EXPECT_EQ(report.nesting_refused.load(), 4);
}

// A host may say it has more processors than the machine, or one; the suite
// reports what it was told, and the machine's own count when told nothing.
TEST(MultiThreadSuiteTest, ReportsTheProcessorsTheHostWasGiven) {
  for (const unsigned int reported : {1u, 8u, 64u}) {
    hostsim::ofx::Host host({.reported_cpus = reported});
    unsigned int cpus = 0;
    ASSERT_EQ(Fetch<OfxMultiThreadSuiteV1>(host, kOfxMultiThreadSuite, 1)->multiThreadNumCPUs(&cpus),
              kOfxStatOK);
    EXPECT_EQ(cpus, reported);
  }
  hostsim::ofx::Host machine;
  unsigned int cpus = 0;
  Fetch<OfxMultiThreadSuiteV1>(machine, kOfxMultiThreadSuite, 1)->multiThreadNumCPUs(&cpus);
  EXPECT_EQ(cpus, std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace
