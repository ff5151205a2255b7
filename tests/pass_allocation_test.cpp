// The selection pass allocates nothing: its per-frame rule lives on the stack.
// Counted by the replacement allocation functions linked into this binary.
#include <gtest/gtest.h>

#include <vector>

#include "render/kernel_isa.h"
#include "render/selection_pass.h"

// Heap allocations so far in this binary (counting_allocator.cpp).
long AllocationCount();

namespace huesieve {
namespace {

TEST(PassAllocation, EveryKernelRendersWithoutAllocating) {
  ColourEntryTable table;
  table.count = kMaxColourEntries;
  for (std::size_t k = 0; k < kMaxColourEntries; ++k) {
    table.enabled[k] = k % 3 == 0 ? 0 : 1;
    table.colours[k] =
        PF_Pixel{0, static_cast<A_u_char>(k * 25), 100, static_cast<A_u_char>(250 - k * 20)};
    table.ranges[k] = 40.0f;
    table.softness[k] = 50.0f;
  }
  std::vector<PF_Pixel> frame8(64 * 32);
  std::vector<PF_Pixel16> frame16(64 * 32);
  for (std::size_t i = 0; i < frame8.size(); ++i) {
    frame8[i] = PF_Pixel{255, static_cast<A_u_char>(i * 7), static_cast<A_u_char>(i * 3),
                         static_cast<A_u_char>(i)};
    frame16[i] =
        PF_Pixel16{32768, static_cast<A_u_short>(i * 901 % 32769),
                   static_cast<A_u_short>(i * 383 % 32769), static_cast<A_u_short>(i * 17)};
  }
  for (KernelIsa isa : kAllKernelIsas) {
    if (!KernelIsaRuns(isa)) continue;
    const long before = AllocationCount();
    SelectionPass(ImageRows<PF_Pixel>(frame8.data(), 64 * 4), 32, table, isa);
    SelectionPass(ImageRows<PF_Pixel16>(frame16.data(), 64 * 8), 32, table, isa);
    EXPECT_EQ(AllocationCount() - before, 0) << KernelIsaName(isa);
  }
}

}  // namespace
}  // namespace huesieve
