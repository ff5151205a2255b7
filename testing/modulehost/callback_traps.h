// Traps for the host callbacks a command has no business calling. Every
// pointer-sized slot of a callback record starts out pointing at a trap; the
// host then arms the few callbacks the command may use. A trap that fires
// names the record, the slot's offset and the command, and aborts: whatever
// the module expected back, continuing would only hide the fault.
#pragma once

#include <cstddef>
#include <initializer_list>

namespace modulehost {

enum class CallbackRecord { kInteract, kUtil, kBroker, kAnsiSuite };

// Points every 8-byte slot of the `size` bytes at `record` at a trap, except
// the data members that start at `data_offsets`, which keep their bytes.
void TrapEverySlot(void* record, std::size_t size, CallbackRecord which,
                   std::initializer_list<std::size_t> data_offsets = {});

// Names the command in trap messages, for the lifetime of the object, on the
// thread that creates it.
class TrapCommandName {
 public:
  explicit TrapCommandName(const char* command);
  ~TrapCommandName();
  TrapCommandName(const TrapCommandName&) = delete;
  TrapCommandName& operator=(const TrapCommandName&) = delete;

 private:
  const char* previous_;
};

}  // namespace modulehost
