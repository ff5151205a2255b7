// The temporary files a run has made, so that an interrupt can remove every
// one of them. Made from any thread and removed from another without a lock:
// each file's name lives in a slot that a state word hands between the thread
// that owns the file and the one that removes everything.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

namespace huesieve::files {

class TemporaryFiles {
 public:
  // Room for `capacity` files at once.
  explicit TemporaryFiles(std::size_t capacity);
  TemporaryFiles(const TemporaryFiles&) = delete;
  TemporaryFiles& operator=(const TemporaryFiles&) = delete;

  // A new empty file, its name `prefix` followed by six random characters,
  // opened for writing. Returns its slot and sets `descriptor`. Throws
  // FileError when no slot is free, after RemoveAll, or with the system's
  // reason.
  std::size_t Create(const std::string& prefix, int& descriptor);
  // Renames the file of `slot` to `target`. Returns 0, or the system's error
  // number (the file then keeps its name; ECANCELED after RemoveAll).
  int Rename(std::size_t slot, const std::string& target);
  // Removes the file of `slot`, unless RemoveAll has.
  void Remove(std::size_t slot);

  // Removes every file still named and refuses new ones. Waits for a Create,
  // Rename or Remove in progress, which is one system call.
  void RemoveAll();

 private:
  enum State : int { kFree, kBusy, kNamed, kClosed };
  struct Slot {
    std::atomic<int> state{kFree};
    std::string path;
  };
  std::size_t capacity_;
  std::unique_ptr<Slot[]> slots_;
};

}  // namespace huesieve::files
