#include "core/stream_copy.h"

#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace huesieve {

#if defined(__x86_64__) || defined(__i386__)

// Non-temporal stores of 16 bytes (SSE2, which every x86-64 processor has),
// on aligned addresses; the ends of the range are copied plainly.
void StreamCopy(std::byte* to, const std::byte* from, std::size_t bytes) {
  constexpr std::size_t kBlock = 16;
  const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(to) % kBlock;
  std::size_t head = misalignment == 0 ? 0 : kBlock - misalignment;
  if (head > bytes) head = bytes;
  std::memcpy(to, from, head);
  std::size_t done = head;
  for (; done + kBlock <= bytes; done += kBlock) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + done));
    _mm_stream_si128(reinterpret_cast<__m128i*>(to + done), block);
  }
  std::memcpy(to + done, from + done, bytes - done);
}

void StreamCopiesDone() { _mm_sfence(); }

#else

void StreamCopy(std::byte* to, const std::byte* from, std::size_t bytes) {
  std::memcpy(to, from, bytes);
}

void StreamCopiesDone() {}

#endif

}  // namespace huesieve
