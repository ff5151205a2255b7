#include "threads/band_threads.h"

#include <pthread.h>

#include <algorithm>
#include <array>

namespace huesieve {
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

BandThreads::BandThreads(unsigned int count) : count_(std::clamp(count, 1u, kMaxThreads)) {}

void BandThreads::Run(Job* job, unsigned int workers, void* argument) {
  workers = std::min(workers, count_);
  std::array<Share, kMaxThreads> shares{};
  std::array<pthread_t, kMaxThreads> threads{};
  unsigned int started = 0;
  for (unsigned int worker = 1; worker < workers; ++worker) {
    shares[worker] = Share{job, worker, workers, argument};
    if (::pthread_create(&threads[started], nullptr, RunShare, &shares[worker]) != 0) break;
    ++started;
  }
  job(0, workers, argument);
  for (unsigned int k = 0; k < started; ++k) ::pthread_join(threads[k], nullptr);
}

}  // namespace huesieve
