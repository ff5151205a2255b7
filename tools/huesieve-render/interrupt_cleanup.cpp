#include "tools/huesieve-render/interrupt_cleanup.h"

#include <pthread.h>
#include <unistd.h>

namespace huesieve::cli {

InterruptCleanup::InterruptCleanup(files::TemporaryFiles& temporaries) : temporaries_(temporaries) {
  sigemptyset(&signals_);
  sigaddset(&signals_, SIGINT);
  sigaddset(&signals_, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals_, &previous_mask_);
  waiter_ = std::thread([this] { Wait(); });
}

InterruptCleanup::~InterruptCleanup() {
  // The waiter is woken with a signal it waits for, which it then ignores.
  finished_.store(true);
  pthread_kill(waiter_.native_handle(), SIGTERM);
  waiter_.join();
  pthread_sigmask(SIG_SETMASK, &previous_mask_, nullptr);
}

void InterruptCleanup::Wait() {
  int signal = 0;
  if (sigwait(&signals_, &signal) != 0 || finished_.load()) return;
  temporaries_.RemoveAll();
  // Workers may be inside the libraries: nothing of the process is unwound.
  ::_exit(128 + signal);
}

}  // namespace huesieve::cli
