#include "tools/huesieve-render/processor_share.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

namespace {

using huesieve::cli::ProcessorShare;
using huesieve::cli::ShareProcessors;

struct Share {
  const char* name;
  int processors;
  std::uint64_t frames;
  int jobs_asked;
  int threads_asked;
  int jobs;
  int threads;
};

void PrintTo(const Share& share, std::ostream* out) { *out << share.name; }

class ProcessorShareTable : public ::testing::TestWithParam<Share> {};

TEST_P(ProcessorShareTable, FramesFirstThenBands) {
  const Share& share = GetParam();
  const ProcessorShare given =
      ShareProcessors(share.processors, share.frames, share.jobs_asked, share.threads_asked);
  EXPECT_EQ(given.jobs, share.jobs);
  EXPECT_EQ(given.threads, share.threads);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ProcessorShareTable,
    ::testing::Values(Share{"SingleImageTakesEveryProcessorForItsBands", 8, 1, 0, 0, 1, 8},
                      Share{"LongSequenceRendersAFrameAProcessor", 8, 100, 0, 0, 8, 1},
                      Share{"ShortSequenceGivesWhatIsLeftToBands", 8, 3, 0, 0, 3, 2},
                      Share{"StreamOnTwoProcessors", 2, UINT64_MAX, 0, 0, 2, 1},
                      Share{"JobsAskedThreadsFill", 8, 100, 2, 0, 2, 4},
                      Share{"ThreadsAskedJobsFill", 8, 100, 0, 4, 2, 4},
                      Share{"ThreadsBeyondTheProcessorsLeaveOneJob", 8, 100, 0, 16, 1, 16},
                      Share{"BothAskedAreTakenAsAsked", 8, 100, 3, 5, 3, 5},
                      Share{"JobsBeyondTheFramesLeaveTheirThreadsToBands", 8, 2, 6, 0, 2, 4},
                      Share{"ThreadsNotDividingTheProcessors", 3, 100, 0, 2, 1, 2},
                      Share{"OneProcessor", 1, 1, 0, 0, 1, 1}),
    [](const ::testing::TestParamInfo<Share>& share) { return std::string(share.param.name); });

}  // namespace
