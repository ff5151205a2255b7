#include "tools/huesieve-render/progress.h"

#include <unistd.h>

namespace huesieve::cli {
namespace {

// The live line is redrawn at most this often; its first drawing is at once.
constexpr std::chrono::milliseconds kRedrawInterval{200};

// Carriage return, then "erase to the end of the line" after the text.
constexpr char kEraseLine[] = "\r\x1b[K";

std::string ClockTime(double seconds) {
  const auto whole = static_cast<long long>(seconds + 0.5);
  char text[32];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                  whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  }
  return text;
}

}  // namespace

Progress::Progress(std::FILE* out, bool live, bool summary, std::optional<std::uint64_t> total)
    : out_(out), live_(live), summary_(summary), total_(total) {}

double Progress::Seconds() const {
  return std::chrono::duration<double>(Clock::now() - start_).count();
}

std::string Progress::LiveLine() const {
  const double seconds = Seconds();
  const double rate = seconds > 0 ? static_cast<double>(done_) / seconds : 0.0;
  char text[128];
  if (total_) {
    const double left = rate > 0 ? static_cast<double>(*total_ - done_) / rate : 0.0;
    std::snprintf(text, sizeof text, "frame %llu of %llu, %.1f frames/s, %s left",
                  static_cast<unsigned long long>(done_), static_cast<unsigned long long>(*total_),
                  rate, ClockTime(left).c_str());
  } else {
    std::snprintf(text, sizeof text, "frame %llu, %.1f frames/s",
                  static_cast<unsigned long long>(done_), rate);
  }
  return text;
}

void Progress::FrameDone() {
  ++done_;
  if (!live_) return;
  const Clock::time_point now = Clock::now();
  if (shown_ && now - *shown_ < kRedrawInterval) return;
  shown_ = now;
  std::fprintf(out_, "\r%s\x1b[K", LiveLine().c_str());
  std::fflush(out_);
}

void Progress::Finish(bool succeeded) {
  if (shown_) std::fputs(kEraseLine, out_);
  if (succeeded && summary_) {
    const double seconds = Seconds();
    std::fprintf(out_, "huesieve-render: %llu frame%s in %.2f s, %.1f frames/s\n",
                 static_cast<unsigned long long>(done_), done_ == 1 ? "" : "s", seconds,
                 seconds > 0 ? static_cast<double>(done_) / seconds : 0.0);
  }
  std::fflush(out_);
}

bool StandardErrorIsATerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace huesieve::cli
