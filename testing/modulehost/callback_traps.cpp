#include "testing/modulehost/callback_traps.h"

#include <cstdio>
#include <span>

#include "testing/support/slot_traps.h"

namespace modulehost {
namespace {

using huesieve::testing_support::kSlotTraps;
using huesieve::testing_support::kTrapSlotSize;

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

void ReportStrayCall(CallbackRecord which, std::size_t slot) {
  std::fprintf(stderr,
               "module host: during %s the module called the slot at offset %zu of %s, "
               "which it has no business calling\n",
               command_in_progress, slot * kTrapSlotSize, RecordName(which));
}

template <CallbackRecord kWhich>
constexpr const auto& kTraps = kSlotTraps<kWhich, &ReportStrayCall, kMaxSlots>;

std::span<const huesieve::testing_support::SlotTrap> TrapsOf(CallbackRecord which) {
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
  huesieve::testing_support::FillWithTraps(record, size, TrapsOf(which),
                                           {data_offsets.begin(), data_offsets.size()});
}

TrapCommandName::TrapCommandName(const char* command) : previous_(command_in_progress) {
  command_in_progress = command;
}

TrapCommandName::~TrapCommandName() { command_in_progress = previous_; }

}  // namespace modulehost
