// Copies rows that will not be read again soon: the frame a render writes is
// the host's to use, so writing it past the cache saves the memory traffic of
// reading each line in before it is overwritten.
#pragma once

#include <cstddef>

namespace huesieve {

// Copies `bytes` bytes; `to` and `from` must not overlap. What is written may
// sit in the processor's write buffers until StreamCopiesDone.
void StreamCopy(std::byte* to, const std::byte* from, std::size_t bytes);

// Orders every StreamCopy before the writes that follow.
void StreamCopiesDone();

}  // namespace huesieve
