// The selection pass allocates nothing: its per-frame rule lives on the stack.
// Counted by replacing the global allocation functions in this test binary.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "render/fast_selection_pass.h"
#include "render/kernel_isa.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace huesieve {
namespace {

TEST(PassAllocation, EveryKernelRendersWithoutAllocating) {
  ColourEntryTable table;
  table.count = kMaxColourEntries;
  for (std::size_t k = 0; k < kMaxColourEntries; ++k) {
    table.enabled[k] = k % 3 == 0 ? 0 : 1;
    table.colours[k] = PF_Pixel{0, static_cast<A_u_char>(k * 25), 100, static_cast<A_u_char>(250 - k * 20)};
    table.ranges[k] = 40.0f;
    table.softness[k] = 50.0f;
  }
  std::vector<PF_Pixel> frame8(64 * 32);
  std::vector<PF_Pixel16> frame16(64 * 32);
  for (std::size_t i = 0; i < frame8.size(); ++i) {
    frame8[i] = PF_Pixel{255, static_cast<A_u_char>(i * 7), static_cast<A_u_char>(i * 3),
                         static_cast<A_u_char>(i)};
    frame16[i] = PF_Pixel16{32768, static_cast<A_u_short>(i * 901 % 32769),
                            static_cast<A_u_short>(i * 383 % 32769), static_cast<A_u_short>(i * 17)};
  }
  for (KernelIsa isa : kAllKernelIsas) {
    if (!KernelIsaRuns(isa)) continue;
    const long before = allocations.load();
    FastSelectionPass(ImageRows<PF_Pixel>(frame8.data(), 64 * 4), 32, table, isa);
    FastSelectionPass(ImageRows<PF_Pixel16>(frame16.data(), 64 * 8), 32, table, isa);
    EXPECT_EQ(allocations.load() - before, 0) << KernelIsaName(isa);
  }
}

}  // namespace
}  // namespace huesieve
