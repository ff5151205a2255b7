#include "tools/huesieve-render/processor_share.h"

#include <algorithm>

namespace huesieve::cli {

ProcessorShare ShareProcessors(int processors, std::uint64_t frames, int jobs_asked,
                               int threads_asked) {
  processors = std::max(1, processors);
  const int jobs_wanted = jobs_asked > 0      ? jobs_asked
                          : threads_asked > 0 ? processors / threads_asked
                                              : processors;
  ProcessorShare share;
  share.jobs = static_cast<int>(
      std::clamp<std::uint64_t>(frames, 1, static_cast<std::uint64_t>(std::max(1, jobs_wanted))));
  share.threads = threads_asked > 0 ? threads_asked : std::max(1, processors / share.jobs);
  return share;
}

}  // namespace huesieve::cli
