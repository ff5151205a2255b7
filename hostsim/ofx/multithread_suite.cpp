// The multithread suite: real threads for splitting a render. The mutex
// functions are traps, as Huesieve's code takes no locks.
#include <algorithm>
#include <thread>
#include <vector>

#include "hostsim/ofx/suite_traps.h"
#include "hostsim/ofx/suites.h"

namespace hostsim::ofx {
namespace {

// Which of multiThread's threads this is: the suite's index and spawned
// questions come with no handle, so the answer lives with the thread.
struct SpawnedThread {
  bool spawned = false;
  unsigned int index = 0;
};
thread_local SpawnedThread this_thread_role;

OfxStatus multiThread(OfxThreadFunctionV1 function, unsigned int threads, void* argument) {
  if (function == nullptr) return kOfxStatFailed;
  if (this_thread_role.spawned) return kOfxStatErrExists;
  threads = std::max(1u, threads);
  std::vector<std::thread> running;
  for (unsigned int index = 0; index < threads; ++index) {
    running.emplace_back([=] {
      this_thread_role = {true, index};
      function(index, threads, argument);
    });
  }
  for (std::thread& thread : running) thread.join();
  return kOfxStatOK;
}

OfxStatus multiThreadNumCPUs(unsigned int* cpus) {
  if (cpus == nullptr) return kOfxStatFailed;
  *cpus = std::max(1u, std::thread::hardware_concurrency());
  return kOfxStatOK;
}

OfxStatus multiThreadIndex(unsigned int* index) {
  if (index == nullptr) return kOfxStatFailed;
  *index = this_thread_role.spawned ? this_thread_role.index : 0;
  return kOfxStatOK;
}

int multiThreadIsSpawnedThread() { return this_thread_role.spawned ? 1 : 0; }

OfxMultiThreadSuiteV1 Build() {
  OfxMultiThreadSuiteV1 suite;
  TrapEverySlot(&suite, sizeof suite, TrappedSuite::kMultiThread);
  suite.multiThread = &multiThread;
  suite.multiThreadNumCPUs = &multiThreadNumCPUs;
  suite.multiThreadIndex = &multiThreadIndex;
  suite.multiThreadIsSpawnedThread = &multiThreadIsSpawnedThread;
  return suite;
}

}  // namespace

const OfxMultiThreadSuiteV1& MultiThreadSuite() {
  static const OfxMultiThreadSuiteV1 suite = Build();
  return suite;
}

}  // namespace hostsim::ofx
