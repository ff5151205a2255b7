// How a run's frames (--jobs) and one frame's bands (--threads) share the
// processors the tool may run on, so that the two together take no more than
// there are unless the user asks for more.
#pragma once

#include <cstdint>

namespace huesieve::cli {

struct ProcessorShare {
  int jobs = 1;     // frames at once
  int threads = 1;  // threads on each frame's bands
};

// `frames` is the run's frame count (UINT64_MAX for a stream); `jobs_asked`
// and `threads_asked` are the options, 0 when not given. Frames come first:
// a run of at least as many frames as processors renders one frame a
// processor, each on one thread, since whole frames share nothing; a single
// image, or fewer frames than processors, gives the processors left over to
// each frame's bands. What the user asks for is taken as asked, and the other
// fills what it leaves.
ProcessorShare ShareProcessors(int processors, std::uint64_t frames, int jobs_asked,
                               int threads_asked);

}  // namespace huesieve::cli
