// Runs frames on several workers at once. Each worker reads, renders and
// writes whole frames with buffers of its own, so a frame costs one worker's
// input and output images and nothing is shared but the order of a stream.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace huesieve::cli {

// What a worker does with one frame. Frames are numbered from 0 in input
// order.
class FrameWork {
 public:
  virtual ~FrameWork() = default;
  // Reads frame `index` into this worker's input. Returns false when the
  // input holds no more frames.
  virtual bool Read(std::uint64_t index) = 0;
  // Renders the frame this worker read last.
  virtual void Render(std::uint64_t index) = 0;
  // Writes the frame this worker rendered last.
  virtual void Write(std::uint64_t index) = 0;
  // Names frame `index` in a message that has no name of its own.
  virtual std::string Name(std::uint64_t index) const = 0;
};

struct PipelineSettings {
  int workers = 1;
  // A stream: frames are read one at a time, in order, and written in the
  // same order. Otherwise frames are independent files.
  bool in_order = false;
  // Frames to run when known; a stream runs until Read finds no more.
  std::optional<std::uint64_t> frame_count;
};

struct FrameFailure {
  std::uint64_t index = 0;
  std::string message;
  bool quiet = false;  // the output's reader went away: no message
};

// Runs the frames, `make_work` giving each worker its FrameWork and
// `frame_done` called after each frame is written (from any worker, one call
// at a time). A failure stops the run once the frames in flight are done; in
// a stream, frames after the failed one are not written. Returns the failure
// of the earliest frame that failed, if any.
std::optional<FrameFailure> RunFrames(const PipelineSettings& settings,
                                      const std::function<std::unique_ptr<FrameWork>()>& make_work,
                                      const std::function<void()>& frame_done);

}  // namespace huesieve::cli
