// Workers a host lends the core to share one frame between. The core starts
// no thread of its own: the host says how many workers it has and runs a job
// on each, however it runs them (its own pool, the OpenFX multithread suite's
// multiThread, which has exactly this shape, std::thread, or WebAssembly
// workers over one shared memory, which call the job through the module's
// function table).
#pragma once

namespace huesieve {

class BandWorkers {
 public:
  // One worker's share: `worker` runs from 0 to `workers` - 1. The core's jobs
  // take bands of rows from a shared counter, so they rely on neither number
  // and any worker may run any share; they throw nothing.
  using Job = void(unsigned int worker, unsigned int workers, void* argument);

  // How many workers Run may start; 1 or less renders on the calling thread.
  virtual unsigned int Count() = 0;

  // Calls `job(worker, workers, argument)` for each worker, at once or in
  // turn, and returns once every call has returned. A host that cannot start
  // them returns without calling them: the calling thread then renders
  // whatever no worker took, so the frame is whole either way.
  virtual void Run(Job* job, unsigned int workers, void* argument) = 0;

 protected:
  ~BandWorkers() = default;
};

}  // namespace huesieve
