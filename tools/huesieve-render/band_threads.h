// Threads of the tool's own for one frame's bands: the core takes workers
// from its host and starts none itself.
#pragma once

#include "core/band_workers.h"

namespace huesieve::cli {

class BandThreads final : public BandWorkers {
 public:
  explicit BandThreads(unsigned int count) : count_(count) {}

  unsigned int Count() override { return count_; }

  // Worker 0 runs on the calling thread and the others on threads started
  // for this frame, joined before it returns. Threads that cannot be started
  // leave their share to the rest: the core's jobs take bands from a shared
  // counter, and the calling thread judges whatever none took.
  void Run(Job* job, unsigned int workers, void* argument) override;

 private:
  unsigned int count_;
};

}  // namespace huesieve::cli
