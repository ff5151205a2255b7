// The selection pass allocates nothing: its per-frame rule lives on the stack.
// Counted by the replacement allocation functions linked into this binary.
#include <gtest/gtest.h>

#include <vector>

#include "core/kernel_isa.h"
#include "core/selection_pass.h"

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
        Rgb8{static_cast<std::uint8_t>(k * 25), 100, static_cast<std::uint8_t>(250 - k * 20)};
    table.ranges[k] = 40.0f;
    table.softness[k] = 50.0f;
  }
  std::vector<Argb8::Pixel> frame8(64 * 32);
  std::vector<Argb16::Pixel> frame16(64 * 32);
  for (std::size_t i = 0; i < frame8.size(); ++i) {
    frame8[i] = Argb8::Pixel{255, static_cast<std::uint8_t>(i * 7),
                             static_cast<std::uint8_t>(i * 3), static_cast<std::uint8_t>(i)};
    frame16[i] = Argb16::Pixel{32768, static_cast<std::uint16_t>(i * 901 % 32769),
                               static_cast<std::uint16_t>(i * 383 % 32769),
                               static_cast<std::uint16_t>(i * 17)};
  }
  const ImageView image8{reinterpret_cast<std::byte*>(frame8.data()), 64 * 4, 64, 32};
  const ImageView image16{reinterpret_cast<std::byte*>(frame16.data()), 64 * 8, 64, 32};
  for (KernelIsa isa : kAllKernelIsas) {
    if (!KernelIsaRuns(isa)) continue;
    const long before = AllocationCount();
    SelectionPass<Argb8>(image8, table, isa);
    SelectionPass<Argb16>(image16, table, isa);
    EXPECT_EQ(AllocationCount() - before, 0) << KernelIsaName(isa);
  }
}

}  // namespace
}  // namespace huesieve
