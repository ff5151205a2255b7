// A host's workers run one after another on the calling thread: the core's
// part of sharing a frame, without the host's threads. The first worker takes
// every band; the others find none left.
#pragma once

#include "core/band_workers.h"

namespace huesieve::testing_support {

class WorkersInTurn final : public BandWorkers {
 public:
  explicit WorkersInTurn(unsigned int count) : count_(count) {}
  unsigned int Count() override { return count_; }
  void Run(Job* job, unsigned int workers, void* argument) override {
    for (unsigned int worker = 0; worker < workers; ++worker) job(worker, workers, argument);
  }

 private:
  unsigned int count_;
};

}  // namespace huesieve::testing_support
