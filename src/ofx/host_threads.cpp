#include "ofx/host_threads.h"

namespace huesieve::ofx {

unsigned int HostThreads::Count() {
  if (suite_ == nullptr || suite_->multiThread == nullptr ||
      suite_->multiThreadNumCPUs == nullptr) {
    return 1;
  }
  if (suite_->multiThreadIsSpawnedThread != nullptr && suite_->multiThreadIsSpawnedThread() != 0) {
    return 1;
  }
  unsigned int cpus = 1;
  return suite_->multiThreadNumCPUs(&cpus) == kOfxStatOK ? cpus : 1;
}

void HostThreads::Run(Job* job, unsigned int workers, void* argument) {
  suite_->multiThread(job, workers, argument);
}

}  // namespace huesieve::ofx
