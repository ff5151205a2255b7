#include "tools/huesieve-render/frame_pipeline.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "tools/huesieve-render/raw_frames.h"

namespace huesieve::cli {
namespace {

class Run {
 public:
  Run(const PipelineSettings& settings, const std::function<void()>& frame_done)
      : settings_(settings), frame_done_(frame_done) {}

  void Work(FrameWork& work) {
    while (const std::optional<std::uint64_t> index = NextFrame(work)) {
      if (!Attempt(work, *index, [&] { work.Render(*index); })) return;
      if (settings_.in_order) {
        WriteInTurn(work, *index);
      } else if (Attempt(work, *index, [&] { work.Write(*index); })) {
        std::lock_guard lock(mutex_);
        frame_done_();
      }
    }
  }

  std::optional<FrameFailure> failure() const { return failure_; }

 private:
  // Claims the next frame and reads it; a stream is read by one worker at a
  // time, in order.
  std::optional<std::uint64_t> NextFrame(FrameWork& work) {
    std::unique_lock input(input_mutex_);
    if (input_ended_ || Stopped()) return std::nullopt;
    const std::uint64_t index = next_frame_++;
    if (settings_.frame_count && index >= *settings_.frame_count) return std::nullopt;
    if (!settings_.in_order) input.unlock();
    bool more = true;
    if (!Attempt(work, index, [&] { more = work.Read(index); })) return std::nullopt;
    if (!more) {
      if (!input.owns_lock()) input.lock();
      input_ended_ = true;
      return std::nullopt;
    }
    return index;
  }

  bool Stopped() {
    std::lock_guard lock(mutex_);
    return failure_.has_value();
  }

  void WriteInTurn(FrameWork& work, std::uint64_t index) {
    std::unique_lock lock(mutex_);
    turn_changed_.wait(lock, [&] { return next_to_write_ == index || FailedBefore(index); });
    if (FailedBefore(index)) return;
    lock.unlock();
    // Only the worker whose turn it is gets here: the stream's order holds.
    const bool written = Attempt(work, index, [&] { work.Write(index); });
    lock.lock();
    if (written) {
      ++next_to_write_;
      frame_done_();
    }
    turn_changed_.notify_all();
  }

  bool FailedBefore(std::uint64_t index) const { return failure_ && failure_->index < index; }

  // Runs `step`, recording its failure; the earliest frame's failure is kept.
  template <typename Step>
  bool Attempt(FrameWork& work, std::uint64_t index, Step step) {
    FrameFailure failure{index, "", false};
    try {
      step();
      return true;
    } catch (const BrokenPipe&) {
      failure.quiet = true;
    } catch (const std::bad_alloc&) {
      failure.message = work.Name(index) + ": out of memory";
    } catch (const std::exception& error) {
      failure.message = error.what();
    }
    std::lock_guard lock(mutex_);
    if (!failure_ || index < failure_->index) failure_ = failure;
    turn_changed_.notify_all();
    return false;
  }

  const PipelineSettings& settings_;
  const std::function<void()>& frame_done_;

  std::mutex input_mutex_;  // guards the two below, and a stream's reading
  std::uint64_t next_frame_ = 0;
  bool input_ended_ = false;

  std::mutex mutex_;  // guards the rest, and frame_done_
  std::condition_variable turn_changed_;
  std::uint64_t next_to_write_ = 0;
  std::optional<FrameFailure> failure_;
};

}  // namespace

std::optional<FrameFailure> RunFrames(const PipelineSettings& settings,
                                      const std::function<std::unique_ptr<FrameWork>()>& make_work,
                                      const std::function<void()>& frame_done) {
  Run run(settings, frame_done);
  std::vector<std::unique_ptr<FrameWork>> works;
  for (int worker = 0; worker < std::max(1, settings.workers); ++worker) {
    works.push_back(make_work());
  }
  if (works.size() == 1) {
    run.Work(*works.front());
  } else {
    std::vector<std::jthread> threads;
    for (auto& work : works) threads.emplace_back([&run, &work] { run.Work(*work); });
  }
  return run.failure();
}

}  // namespace huesieve::cli
