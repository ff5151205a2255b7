// The frame pipeline with several workers: stream order, every frame once,
// and how a failure stops the run. Runs under ThreadSanitizer too.
#include "tools/huesieve-render/frame_pipeline.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <numeric>
#include <set>
#include <stdexcept>
#include <thread>

#include "tools/huesieve-render/raw_frames.h"

namespace {

using huesieve::cli::FrameFailure;
using huesieve::cli::FrameWork;
using huesieve::cli::PipelineSettings;
using huesieve::cli::RunFrames;
using ::testing::ElementsAreArray;

// What the fake input holds and where it goes wrong.
struct Script {
  std::uint64_t frames = 0;              // in the input
  std::set<std::uint64_t> render_fails;  // frames whose Render throws
  std::optional<std::uint64_t> read_fails;
  std::optional<std::uint64_t> pipe_breaks;  // Write throws BrokenPipe
  // Render time in milliseconds by frame; earlier frames slower by default,
  // so that later ones overtake them.
  std::function<int(std::uint64_t)> render_ms = [](std::uint64_t index) {
    return static_cast<int>(3 - index % 4);
  };
};

struct Log {
  std::mutex mutex;
  std::vector<std::uint64_t> read;
  std::vector<std::uint64_t> written;
  std::size_t read_when_first_failed = 0;  // frames read when a Render first threw
  int done_calls = 0;
};

class FakeWork : public FrameWork {
 public:
  FakeWork(const Script& script, Log& log) : script_(script), log_(log) {}

  bool Read(std::uint64_t index) override {
    {
      std::lock_guard lock(log_.mutex);
      log_.read.push_back(index);
    }
    if (script_.read_fails == index)
      throw std::runtime_error("frame " + std::to_string(index) + " is incomplete");
    current_ = index;
    return index < script_.frames;
  }

  void Render(std::uint64_t index) override {
    EXPECT_EQ(index, current_);
    std::this_thread::sleep_for(std::chrono::milliseconds(script_.render_ms(index)));
    if (script_.render_fails.contains(index)) {
      {
        std::lock_guard lock(log_.mutex);
        if (log_.read_when_first_failed == 0) log_.read_when_first_failed = log_.read.size();
      }
      throw std::runtime_error("frame " + std::to_string(index) + " failed");
    }
  }

  void Write(std::uint64_t index) override {
    EXPECT_EQ(index, current_);
    if (script_.pipe_breaks == index) throw huesieve::cli::BrokenPipe();
    std::lock_guard lock(log_.mutex);
    log_.written.push_back(index);
  }

  std::string Name(std::uint64_t index) const override { return "frame " + std::to_string(index); }

 private:
  const Script& script_;
  Log& log_;
  std::uint64_t current_ = UINT64_MAX;
};

std::vector<std::uint64_t> Frames(std::uint64_t first, std::uint64_t end) {
  std::vector<std::uint64_t> frames(end - first);
  std::iota(frames.begin(), frames.end(), first);
  return frames;
}

struct Outcome {
  std::optional<FrameFailure> failure;
  std::vector<std::uint64_t> read;
  std::vector<std::uint64_t> written;
  std::size_t read_when_first_failed = 0;
  int done_calls = 0;
};

Outcome RunScript(const Script& script, int workers, bool in_order) {
  Log log;
  PipelineSettings settings{workers, in_order, std::nullopt};
  if (!in_order) settings.frame_count = script.frames;
  Outcome outcome;
  outcome.failure = RunFrames(
      settings, [&] { return std::make_unique<FakeWork>(script, log); }, [&] { ++log.done_calls; });
  outcome.read = log.read;
  outcome.written = log.written;
  outcome.read_when_first_failed = log.read_when_first_failed;
  outcome.done_calls = log.done_calls;
  return outcome;
}

TEST(FramePipeline, StreamIsWrittenInInputOrder) {
  Script script;
  script.frames = 40;
  const Outcome outcome = RunScript(script, 4, true);
  EXPECT_FALSE(outcome.failure.has_value());
  EXPECT_THAT(outcome.written, ElementsAreArray(Frames(0, 40)));
  EXPECT_EQ(outcome.done_calls, 40);
}

TEST(FramePipeline, FilesRenderEveryFrameOnce) {
  Script script;
  script.frames = 25;
  Outcome outcome = RunScript(script, 3, false);
  EXPECT_FALSE(outcome.failure.has_value());
  std::sort(outcome.written.begin(), outcome.written.end());
  EXPECT_THAT(outcome.written, ElementsAreArray(Frames(0, 25)));
  EXPECT_EQ(outcome.done_calls, 25);
}

TEST(FramePipeline, StreamWritesNothingFromTheFailedFrameOn) {
  Script script;
  script.frames = 30;
  script.render_fails = {10};
  const Outcome outcome = RunScript(script, 4, true);
  ASSERT_TRUE(outcome.failure.has_value());
  EXPECT_EQ(outcome.failure->index, 10u);
  EXPECT_EQ(outcome.failure->message, "frame 10 failed");
  EXPECT_FALSE(outcome.failure->quiet);
  EXPECT_THAT(outcome.written, ElementsAreArray(Frames(0, 10)));
}

TEST(FramePipeline, PartialFrameEndsTheStreamAfterTheFramesBeforeIt) {
  Script script;
  script.frames = 30;
  script.read_fails = 7;
  const Outcome outcome = RunScript(script, 3, true);
  ASSERT_TRUE(outcome.failure.has_value());
  EXPECT_EQ(outcome.failure->message, "frame 7 is incomplete");
  EXPECT_THAT(outcome.written, ElementsAreArray(Frames(0, 7)));
}

TEST(FramePipeline, BrokenPipeFailsQuietly) {
  Script script;
  script.frames = 20;
  script.pipe_breaks = 3;
  const Outcome outcome = RunScript(script, 2, true);
  ASSERT_TRUE(outcome.failure.has_value());
  EXPECT_TRUE(outcome.failure->quiet);
  EXPECT_EQ(outcome.failure->index, 3u);
  EXPECT_THAT(outcome.written, ElementsAreArray(Frames(0, 3)));
}

// Frame 6 fails at once, frame 5 only later, on another worker: frame 5 is
// the one reported, in a stream and among files alike.
class EarliestFailure : public ::testing::TestWithParam<bool> {};

TEST_P(EarliestFailure, IsTheOneReported) {
  Script script;
  script.frames = 12;
  script.render_fails = {5, 6};
  // Frames after 6 take long enough that the failure is known before any of
  // them ends, however the threads are scheduled around the throw.
  script.render_ms = [](std::uint64_t index) { return index == 5 ? 40 : index > 6 ? 20 : 0; };
  const int workers = 3;
  const Outcome outcome = RunScript(script, workers, GetParam());
  ASSERT_TRUE(outcome.failure.has_value());
  EXPECT_EQ(outcome.failure->index, 5u);
  EXPECT_EQ(outcome.failure->message, "frame 5 failed");
  // No frame is begun once a failure is known: beyond those read when frame 6
  // threw, at most one a worker other than its own had already claimed.
  ASSERT_GT(outcome.read_when_first_failed, 0u);
  EXPECT_LE(outcome.read.size(), outcome.read_when_first_failed + (workers - 1));
}

INSTANTIATE_TEST_SUITE_P(Modes, EarliestFailure, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param_info) {
                           return param_info.param ? "Stream" : "Files";
                         });

}  // namespace
