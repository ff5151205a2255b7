#include "testing/modulehost/callback_traps.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace modulehost {
namespace {

using Trap = void (*)();

constexpr std::size_t kSlotSize = sizeof(Trap);
// The utility callbacks are the largest callback record: 552 bytes.
constexpr std::size_t kMaxSlots = 69;

thread_local const char* command_in_progress = "no command";

const char* RecordName(CallbackRecord which) {
  switch (which) {
    case CallbackRecord::kInteract:
      return "PF_InteractCallbacks (in_data->inter)";
    case CallbackRecord::kUtil:
      return "PF_UtilCallbacks (in_data->utils)";
    case CallbackRecord::kBroker:
      return "SPBasicSuite (in_data->pica_basicP)";
    case CallbackRecord::kAnsiSuite:
      return "PF_ANSICallbacksSuite1 (\"PF ANSI Suite\" 1)";
  }
  return "an unknown record";
}

template <CallbackRecord kWhich, std::size_t kSlot>
[[noreturn]] void StrayCall() {
  std::fprintf(stderr,
               "module host: during %s the module called the slot at offset %zu of %s, "
               "which it has no business calling\n",
               command_in_progress, kSlot * kSlotSize, RecordName(kWhich));
  std::fflush(stderr);
  std::abort();
}

template <CallbackRecord kWhich>
constexpr std::array<Trap, kMaxSlots> kTraps = [
]<std::size_t... kSlot>(std::index_sequence<kSlot...>) {
  return std::array<Trap, kMaxSlots>{&StrayCall<kWhich, kSlot>...};
}
(std::make_index_sequence<kMaxSlots>{});

const std::array<Trap, kMaxSlots>& TrapsOf(CallbackRecord which) {
  switch (which) {
    case CallbackRecord::kInteract:
      return kTraps<CallbackRecord::kInteract>;
    case CallbackRecord::kUtil:
      return kTraps<CallbackRecord::kUtil>;
    case CallbackRecord::kBroker:
      return kTraps<CallbackRecord::kBroker>;
    case CallbackRecord::kAnsiSuite:
      break;
  }
  return kTraps<CallbackRecord::kAnsiSuite>;
}

}  // namespace

void TrapEverySlot(void* record, std::size_t size, CallbackRecord which,
                   std::initializer_list<std::size_t> data_offsets) {
  const std::array<Trap, kMaxSlots>& traps = TrapsOf(which);
  auto* bytes = static_cast<unsigned char*>(record);
  for (std::size_t slot = 0; slot < std::min(size / kSlotSize, kMaxSlots); ++slot) {
    const std::size_t offset = slot * kSlotSize;
    if (std::find(data_offsets.begin(), data_offsets.end(), offset) != data_offsets.end()) continue;
    std::memcpy(bytes + offset, &traps[slot], kSlotSize);
  }
}

TrapCommandName::TrapCommandName(const char* command) : previous_(command_in_progress) {
  command_in_progress = command;
}

TrapCommandName::~TrapCommandName() { command_in_progress = previous_; }

}  // namespace modulehost
