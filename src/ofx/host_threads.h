// The host's threads as the core's band workers, through the multithread
// suite: one frame shared between as many threads as the host reports
// processors.
#pragma once

#include "core/band_workers.h"
#include "ofx/api/ofx_multithread.h"

namespace huesieve::ofx {

// Without the suite, with one processor (Resolve's suite is a dummy that
// reports one), or on a thread the suite started itself (multiThread cannot
// be called from one), the frame renders on the calling thread. The suite's
// mutexes are never used: the core shares a frame without locks.
class HostThreads final : public BandWorkers {
 public:
  explicit HostThreads(const OfxMultiThreadSuiteV1* suite) : suite_(suite) {}

  unsigned int Count() override;
  // A multiThread that fails leaves its bands to the calling thread.
  void Run(Job* job, unsigned int workers, void* argument) override;

 private:
  const OfxMultiThreadSuiteV1* suite_;
};

}  // namespace huesieve::ofx
