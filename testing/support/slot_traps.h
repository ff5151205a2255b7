// Traps for the slots of a host's function record that the code under test
// has no business calling. Every pointer-sized slot starts out as a trap; the
// simulated host then puts its functions in the slots it serves. A trap that
// fires has its record and slot reported, then aborts: whatever the caller
// expected back, going on would only hide the fault.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <utility>

namespace huesieve::testing_support {

using SlotTrap = void (*)();
inline constexpr std::size_t kTrapSlotSize = sizeof(SlotTrap);

// `kReport(kWhich, slot)` prints what was called.
template <auto kWhich, auto kReport, std::size_t kSlot>
[[noreturn]] void StrayCall() {
  kReport(kWhich, kSlot);
  std::fflush(stderr);
  std::abort();
}

template <auto kWhich, auto kReport, std::size_t kSlots>
inline constexpr std::array<SlotTrap, kSlots> kSlotTraps =
    []<std::size_t... kSlot>(std::index_sequence<kSlot...>) {
      return std::array<SlotTrap, kSlots>{&StrayCall<kWhich, kReport, kSlot>...};
    }(std::make_index_sequence<kSlots>{});

// Points every slot of the `size` bytes at `record` at its trap, except the
// data members that start at `kept_offsets`, which keep their bytes.
inline void FillWithTraps(void* record, std::size_t size, std::span<const SlotTrap> traps,
                          std::span<const std::size_t> kept_offsets = {}) {
  auto* bytes = static_cast<unsigned char*>(record);
  for (std::size_t slot = 0; slot < std::min(size / kTrapSlotSize, traps.size()); ++slot) {
    const std::size_t offset = slot * kTrapSlotSize;
    if (std::find(kept_offsets.begin(), kept_offsets.end(), offset) != kept_offsets.end()) continue;
    std::memcpy(bytes + offset, &traps[slot], kTrapSlotSize);
  }
}

}  // namespace huesieve::testing_support
