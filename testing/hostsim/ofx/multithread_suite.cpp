// The multithread suite: real threads for splitting a render, as many as the
// plug-in asks for whatever number of processors the suite reports, so a
// test can have a frame shared by more threads than the machine has. The
// mutex functions are traps, as Huesieve's code takes no locks.
#include <algorithm>
#include <array>
#include <thread>
#include <utility>
#include <vector>

#include "testing/hostsim/ofx/suite_traps.h"
#include "testing/hostsim/ofx/suites.h"

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

// The suite's functions take no handle, so each number reported has a
// function, and a table, of its own; 0 stands for the machine's processors.
template <unsigned int kReportedCpus>
OfxStatus multiThreadNumCPUs(unsigned int* cpus) {
  if (cpus == nullptr) return kOfxStatFailed;
  *cpus = kReportedCpus != 0 ? kReportedCpus : std::max(1u, std::thread::hardware_concurrency());
  return kOfxStatOK;
}

OfxStatus multiThreadIndex(unsigned int* index) {
  if (index == nullptr) return kOfxStatFailed;
  *index = this_thread_role.spawned ? this_thread_role.index : 0;
  return kOfxStatOK;
}

int multiThreadIsSpawnedThread() { return this_thread_role.spawned ? 1 : 0; }

template <unsigned int kReportedCpus>
OfxMultiThreadSuiteV1 Build() {
  OfxMultiThreadSuiteV1 suite;
  TrapEverySlot(&suite, sizeof suite, TrappedSuite::kMultiThread);
  suite.multiThread = &multiThread;
  suite.multiThreadNumCPUs = &multiThreadNumCPUs<kReportedCpus>;
  suite.multiThreadIndex = &multiThreadIndex;
  suite.multiThreadIsSpawnedThread = &multiThreadIsSpawnedThread;
  return suite;
}

template <std::size_t... kReportedCpus>
std::array<OfxMultiThreadSuiteV1, sizeof...(kReportedCpus)> BuildEach(
    std::index_sequence<kReportedCpus...>) {
  return {Build<kReportedCpus>()...};
}

}  // namespace

const OfxMultiThreadSuiteV1& MultiThreadSuite(unsigned int reported_cpus) {
  static const auto suites = BuildEach(std::make_index_sequence<kMostReportedCpus + 1>());
  return suites[std::min(reported_cpus, kMostReportedCpus)];
}

bool OnSpawnedThread() { return this_thread_role.spawned; }

}  // namespace hostsim::ofx
