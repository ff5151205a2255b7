// On SIGINT or SIGTERM, removes the run's temporary files and exits with 128
// plus the signal's number (130, 143), as a shell reports a command a signal
// ended. Frames already renamed into place stay.
//
// The signals are blocked in every thread and taken by a thread of this
// object's in sigwait, not by a handler: a handler could reach the temporary
// files only through global state, and call only async-signal-safe
// functions; the waiting thread is an ordinary thread holding a reference.
#pragma once

#include <signal.h>

#include <atomic>
#include <thread>

#include "files/temporary_files.h"

namespace huesieve::cli {

class InterruptCleanup {
 public:
  // Blocks the signals in the calling thread and so in every thread it
  // starts afterwards: make it before any other thread.
  explicit InterruptCleanup(files::TemporaryFiles& temporaries);
  // Stops the waiting thread and restores the signal mask.
  ~InterruptCleanup();
  InterruptCleanup(const InterruptCleanup&) = delete;
  InterruptCleanup& operator=(const InterruptCleanup&) = delete;

 private:
  void Wait();

  files::TemporaryFiles& temporaries_;
  sigset_t signals_;
  sigset_t previous_mask_;
  std::atomic<bool> finished_{false};
  std::thread waiter_;
};

}  // namespace huesieve::cli
