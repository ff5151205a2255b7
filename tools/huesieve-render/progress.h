// What a run of several frames shows on standard error: while frames render
// and it is a terminal, one line updated in place (frames done and total,
// frames per second, time left); at the end, one summary line.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace huesieve::cli {

class Progress {
 public:
  // `live` shows the updating line, `summary` the last line; `total` is the
  // number of frames when known.
  Progress(std::FILE* out, bool live, bool summary, std::optional<std::uint64_t> total);

  // A frame is written. Not thread-safe: the caller serialises the calls.
  void FrameDone();
  // Clears the live line; prints the summary after a successful run.
  void Finish(bool succeeded);

 private:
  using Clock = std::chrono::steady_clock;
  double Seconds() const;
  std::string LiveLine() const;

  std::FILE* out_;
  bool live_;
  bool summary_;
  std::optional<std::uint64_t> total_;
  Clock::time_point start_ = Clock::now();
  std::optional<Clock::time_point> shown_;  // when the live line was last drawn
  std::uint64_t done_ = 0;
};

// Whether standard error is a terminal, where the live line belongs.
bool StandardErrorIsATerminal();

}  // namespace huesieve::cli
