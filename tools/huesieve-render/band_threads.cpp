#include "tools/huesieve-render/band_threads.h"

#include <exception>
#include <thread>
#include <vector>

namespace huesieve::cli {

void BandThreads::Run(Job* job, unsigned int workers, void* argument) {
  std::vector<std::thread> threads;
  try {
    threads.reserve(workers - 1);
    for (unsigned int worker = 1; worker < workers; ++worker) {
      threads.emplace_back(job, worker, workers, argument);
    }
  } catch (const std::exception&) {
    // Out of threads or memory: those started and this one do the frame.
  }
  job(0, workers, argument);
  for (std::thread& thread : threads) thread.join();
}

}  // namespace huesieve::cli
