// Threads of a host's own for one frame's bands, for hosts that bring none
// (huesieve-render, the tuner): the core takes workers from its host and
// starts none itself. Over pthreads, which report a thread they cannot start
// rather than throw: natively, and in the tuner's WebAssembly builds, where
// each thread is a Web Worker of the threaded build's pool and none starts
// in the build without threads.
#pragma once

#include "core/band_workers.h"

namespace huesieve {

class BandThreads final : public BandWorkers {
 public:
  // At most this many, the calling thread included.
  static constexpr unsigned int kMaxThreads = 256;

  // `count` threads, the calling thread included. The tuner passes as many
  // as its pool holds plus one, since a thread beyond the pool would wait
  // for a Web Worker that the blocked calling thread cannot start.
  explicit BandThreads(unsigned int count);

  unsigned int Count() override { return count_; }

  // Worker 0 runs on the calling thread and the others on threads started
  // for this frame, joined before it returns. Threads that cannot be started
  // leave their share to the rest: the core's jobs take bands from a shared
  // counter, and the calling thread judges whatever none took.
  void Run(Job* job, unsigned int workers, void* argument) override;

 private:
  unsigned int count_;
};

}  // namespace huesieve
