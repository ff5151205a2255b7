#include "files/temporary_files.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "files/file_error.h"

namespace huesieve::files {

// A slot is kFree, or kBusy while one thread creates, renames or removes its
// file, kNamed while the file exists under its name, or kClosed once
// RemoveAll has taken it. Only the thread that moved a slot to kBusy touches
// its name until it leaves kBusy.

TemporaryFiles::TemporaryFiles(std::size_t capacity)
    : capacity_(capacity), slots_(std::make_unique<Slot[]>(capacity)) {}

std::size_t TemporaryFiles::Create(const std::string& prefix, int& descriptor) {
  for (std::size_t slot = 0; slot < capacity_; ++slot) {
    int expected = kFree;
    if (!slots_[slot].state.compare_exchange_strong(expected, kBusy)) continue;
    std::string& path = slots_[slot].path;
    path = prefix + "XXXXXX";
    descriptor = ::mkstemp(path.data());
    if (descriptor < 0) {
      const int error = errno;
      slots_[slot].state.store(kFree);
      throw FileError(std::strerror(error));
    }
    slots_[slot].state.store(kNamed);
    return slot;
  }
  throw FileError("the run is ending or has no room for another temporary file");
}

int TemporaryFiles::Rename(std::size_t slot, const std::string& target) {
  int expected = kNamed;
  if (!slots_[slot].state.compare_exchange_strong(expected, kBusy)) return ECANCELED;
  const int error = std::rename(slots_[slot].path.c_str(), target.c_str()) == 0 ? 0 : errno;
  slots_[slot].state.store(error == 0 ? kFree : kNamed);
  return error;
}

void TemporaryFiles::Remove(std::size_t slot) {
  int expected = kNamed;
  if (!slots_[slot].state.compare_exchange_strong(expected, kBusy)) return;
  ::unlink(slots_[slot].path.c_str());
  slots_[slot].state.store(kFree);
}

void TemporaryFiles::RemoveAll() {
  for (std::size_t slot = 0; slot < capacity_; ++slot) {
    for (;;) {
      int state = slots_[slot].state.load();
      if (state == kBusy) {
        std::this_thread::yield();
        continue;
      }
      if (slots_[slot].state.compare_exchange_strong(state, kClosed)) {
        if (state == kNamed) ::unlink(slots_[slot].path.c_str());
        break;
      }
    }
  }
}

}  // namespace huesieve::files
