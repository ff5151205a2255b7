// Traps for the suite functions a plug-in of Huesieve's kind has no business
// calling (keyframe editing, parameter copies, mutexes, ...). Every slot of a
// suite table starts out as a trap; the host then puts its functions in the
// slots it serves. A trap that fires names the suite and the function, and
// aborts: whatever the plug-in expected back, going on would only hide the
// fault.
#pragma once

#include <cstddef>

namespace hostsim::ofx {

enum class TrappedSuite { kProperty, kImageEffect, kParameter, kMessage, kMemory, kMultiThread };

// Points every 8-byte slot of the `size` bytes at `table` at a trap.
void TrapEverySlot(void* table, std::size_t size, TrappedSuite suite);

}  // namespace hostsim::ofx
