#include "threads/band_threads.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

namespace {

struct Calls {
  std::array<std::atomic<int>, 8> per_worker{};
  std::array<std::atomic<unsigned int>, 8> workers_seen{};
  std::thread::id caller;
  std::atomic<int> on_caller{-1};
};

void Record(unsigned int worker, unsigned int workers, void* argument) {
  Calls& calls = *static_cast<Calls*>(argument);
  calls.per_worker[worker].fetch_add(1);
  calls.workers_seen[worker].store(workers);
  if (std::this_thread::get_id() == calls.caller) calls.on_caller.store(int(worker));
}

TEST(BandThreads, EachWorkerRunsOnceWithWorkerZeroOnTheCallingThread) {
  huesieve::BandThreads threads(5);
  EXPECT_EQ(threads.Count(), 5u);
  Calls calls;
  calls.caller = std::this_thread::get_id();
  threads.Run(&Record, 5, &calls);
  for (unsigned int worker = 0; worker < 8; ++worker) {
    EXPECT_EQ(calls.per_worker[worker].load(), worker < 5 ? 1 : 0) << "worker " << worker;
    EXPECT_EQ(calls.workers_seen[worker].load(), worker < 5 ? 5u : 0u) << "worker " << worker;
  }
  EXPECT_EQ(calls.on_caller.load(), 0);
}

}  // namespace
