// Global allocation functions that count every allocation, for the test binary
// that checks the pass allocates nothing. Kept apart from the test itself so
// the compiler does not pair the replacement new with a free it cannot see as
// matching.
#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
}  // namespace

long AllocationCount() { return allocations.load(std::memory_order_relaxed); }

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
