// The tuner's workers for one frame: threads of the WebAssembly build with
// shared memory (each a Web Worker from the module's pool), sharing the
// frame's bands. In a build without threads none can start, and the frame
// renders on the calling thread alone.
#pragma once

#include "core/band_workers.h"

namespace huesieve::tuner {

class TunerWorkers final : public BandWorkers {
 public:
  // At most this many, the calling thread included.
  static constexpr unsigned int kMaxWorkers = 16;

  // `count` workers, the calling thread included; the page passes as many as
  // the module's pool holds plus one, since a thread beyond the pool would
  // wait for a Web Worker that the blocked calling thread cannot start.
  explicit TunerWorkers(unsigned int count);

  unsigned int Count() override { return count_; }
  void Run(Job* job, unsigned int workers, void* argument) override;

 private:
  unsigned int count_;
};

}  // namespace huesieve::tuner
