#include "testing/hostsim/ofx/suite_traps.h"

#include <cstdio>
#include <span>

#include "testing/support/slot_traps.h"

namespace hostsim::ofx {
namespace {

using huesieve::testing_support::kSlotTraps;

// The property and parameter suites are the largest: 18 functions.
constexpr std::size_t kMaxSlots = 18;

constexpr const char* kPropertyFunctions[] = {
    "propSetPointer", "propSetString",  "propSetDouble",   "propSetInt",     "propSetPointerN",
    "propSetStringN", "propSetDoubleN", "propSetIntN",     "propGetPointer", "propGetString",
    "propGetDouble",  "propGetInt",     "propGetPointerN", "propGetStringN", "propGetDoubleN",
    "propGetIntN",    "propReset",      "propGetDimension"};
constexpr const char* kImageEffectFunctions[] = {"getPropertySet",
                                                 "getParamSet",
                                                 "clipDefine",
                                                 "clipGetHandle",
                                                 "clipGetPropertySet",
                                                 "clipGetImage",
                                                 "clipReleaseImage",
                                                 "clipGetRegionOfDefinition",
                                                 "abort",
                                                 "imageMemoryAlloc",
                                                 "imageMemoryFree",
                                                 "imageMemoryLock",
                                                 "imageMemoryUnlock"};
constexpr const char* kParameterFunctions[] = {
    "paramDefine",      "paramGetHandle",      "paramSetGetPropertySet", "paramGetPropertySet",
    "paramGetValue",    "paramGetValueAtTime", "paramGetDerivative",     "paramGetIntegral",
    "paramSetValue",    "paramSetValueAtTime", "paramGetNumKeys",        "paramGetKeyTime",
    "paramGetKeyIndex", "paramDeleteKey",      "paramDeleteAllKeys",     "paramCopy",
    "paramEditBegin",   "paramEditEnd"};
constexpr const char* kMessageFunctions[] = {"message", "setPersistentMessage",
                                             "clearPersistentMessage"};
constexpr const char* kMemoryFunctions[] = {"memoryAlloc", "memoryFree"};
constexpr const char* kMultiThreadFunctions[] = {
    "multiThread", "multiThreadNumCPUs", "multiThreadIndex", "multiThreadIsSpawnedThread",
    "mutexCreate", "mutexDestroy",       "mutexLock",        "mutexUnLock",
    "mutexTryLock"};

const char* SuiteName(TrappedSuite suite) {
  switch (suite) {
    case TrappedSuite::kProperty:
      return "OfxPropertySuiteV1";
    case TrappedSuite::kImageEffect:
      return "OfxImageEffectSuiteV1";
    case TrappedSuite::kParameter:
      return "OfxParameterSuiteV1";
    case TrappedSuite::kMessage:
      return "OfxMessageSuiteV2";
    case TrappedSuite::kMemory:
      return "OfxMemorySuiteV1";
    case TrappedSuite::kMultiThread:
      return "OfxMultiThreadSuiteV1";
  }
  return "an unknown suite";
}

std::span<const char* const> FunctionNames(TrappedSuite suite) {
  switch (suite) {
    case TrappedSuite::kProperty:
      return kPropertyFunctions;
    case TrappedSuite::kImageEffect:
      return kImageEffectFunctions;
    case TrappedSuite::kParameter:
      return kParameterFunctions;
    case TrappedSuite::kMessage:
      return kMessageFunctions;
    case TrappedSuite::kMemory:
      return kMemoryFunctions;
    case TrappedSuite::kMultiThread:
      return kMultiThreadFunctions;
  }
  return {};
}

void ReportStrayCall(TrappedSuite suite, std::size_t slot) {
  const std::span<const char* const> names = FunctionNames(suite);
  std::fprintf(stderr,
               "simulated OFX host: the plug-in called %s::%s (slot %zu), which it has no "
               "business calling\n",
               SuiteName(suite), slot < names.size() ? names[slot] : "?", slot);
}

template <TrappedSuite kSuite>
constexpr const auto& kTraps = kSlotTraps<kSuite, &ReportStrayCall, kMaxSlots>;

std::span<const huesieve::testing_support::SlotTrap> TrapsOf(TrappedSuite suite) {
  switch (suite) {
    case TrappedSuite::kProperty:
      return kTraps<TrappedSuite::kProperty>;
    case TrappedSuite::kImageEffect:
      return kTraps<TrappedSuite::kImageEffect>;
    case TrappedSuite::kParameter:
      return kTraps<TrappedSuite::kParameter>;
    case TrappedSuite::kMessage:
      return kTraps<TrappedSuite::kMessage>;
    case TrappedSuite::kMemory:
      return kTraps<TrappedSuite::kMemory>;
    case TrappedSuite::kMultiThread:
      break;
  }
  return kTraps<TrappedSuite::kMultiThread>;
}

}  // namespace

void TrapEverySlot(void* table, std::size_t size, TrappedSuite suite) {
  huesieve::testing_support::FillWithTraps(table, size, TrapsOf(suite));
}

}  // namespace hostsim::ofx
