#include "testing/hostsim/ofx/suite_traps.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <utility>

namespace hostsim::ofx {
namespace {

using Trap = void (*)();
constexpr std::size_t kSlotSize = sizeof(Trap);
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

template <TrappedSuite kSuite, std::size_t kSlot>
[[noreturn]] void StrayCall() {
  const std::span<const char* const> names = FunctionNames(kSuite);
  std::fprintf(stderr,
               "simulated OFX host: the plug-in called %s::%s (slot %zu), which it has no "
               "business calling\n",
               SuiteName(kSuite), kSlot < names.size() ? names[kSlot] : "?", kSlot);
  std::fflush(stderr);
  std::abort();
}

template <TrappedSuite kSuite>
constexpr std::array<Trap, kMaxSlots> kTraps = [
]<std::size_t... kSlot>(std::index_sequence<kSlot...>) {
  return std::array<Trap, kMaxSlots>{&StrayCall<kSuite, kSlot>...};
}
(std::make_index_sequence<kMaxSlots>{});

const std::array<Trap, kMaxSlots>& TrapsOf(TrappedSuite suite) {
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
  const std::array<Trap, kMaxSlots>& traps = TrapsOf(suite);
  auto* bytes = static_cast<unsigned char*>(table);
  for (std::size_t slot = 0; slot < std::min(size / kSlotSize, kMaxSlots); ++slot) {
    std::memcpy(bytes + slot * kSlotSize, &traps[slot], kSlotSize);
  }
}

}  // namespace hostsim::ofx
