#include "web/wasm/tuner_workers.h"

#include <pthread.h>

#include <algorithm>
#include <array>

namespace huesieve::tuner {
namespace {

struct Share {
  BandWorkers::Job* job;
  unsigned int worker;
  unsigned int workers;
  void* argument;
};

void* RunShare(void* share) {
  const auto& run = *static_cast<const Share*>(share);
  run.job(run.worker, run.workers, run.argument);
  return nullptr;
}

}  // namespace

TunerWorkers::TunerWorkers(unsigned int count) : count_(std::clamp(count, 1u, kMaxWorkers)) {}

// pthread_create reports a thread it cannot start (always, in the build
// without threads) instead of throwing as std::thread would: the shares that
// started run, and the core renders what they leave on the calling thread.
void TunerWorkers::Run(Job* job, unsigned int workers, void* argument) {
  workers = std::min(workers, count_);
  std::array<Share, kMaxWorkers> shares{};
  std::array<pthread_t, kMaxWorkers> threads{};
  unsigned int started = 0;
  for (unsigned int worker = 1; worker < workers; ++worker) {
    shares[worker] = Share{job, worker, workers, argument};
    if (::pthread_create(&threads[started], nullptr, RunShare, &shares[worker]) != 0) break;
    ++started;
  }
  job(0, workers, argument);
  for (unsigned int k = 0; k < started; ++k) ::pthread_join(threads[k], nullptr);
}

}  // namespace huesieve::tuner
