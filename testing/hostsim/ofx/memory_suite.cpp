// The memory suite. Each block carries a header naming the host that lent it,
// so memoryFree, which is given nothing else, can hand it back; a block
// allocated without an effect handle belongs to no host and is left to the
// leak sanitizer.
#include <cstdint>
#include <cstdlib>

#include "testing/hostsim/ofx/bad_handle.h"
#include "testing/hostsim/ofx/effect.h"
#include "testing/hostsim/ofx/host.h"
#include "testing/hostsim/ofx/suite_traps.h"
#include "testing/hostsim/ofx/suites.h"

namespace hostsim::ofx {
namespace {

struct alignas(std::max_align_t) BlockHeader {
  std::uint64_t tag;
  Host* host;
};
constexpr std::uint64_t kBlockTag = 0x4d454d424c4f434b;  // "MEMBLOCK"

BlockHeader* HeaderOf(void* data) { return static_cast<BlockHeader*>(data) - 1; }

OfxStatus memoryAlloc(void* handle, std::size_t bytes, void** data) {
  if (data == nullptr) return RefuseBadHandle("memoryAlloc", "a null result");
  Effect* effect = Effect::Find(static_cast<OfxImageEffectHandle>(handle));
  if (handle != nullptr && effect == nullptr) {
    return RefuseBadHandle("memoryAlloc", "no image effect");
  }
  auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + bytes));
  if (header == nullptr) return kOfxStatErrMemory;
  Host* host = effect != nullptr ? &effect->host() : nullptr;
  header->tag = kBlockTag;
  header->host = host;
  void* block = header + 1;
  if (host != nullptr) host->Lend(block);
  *data = block;
  return kOfxStatOK;
}

OfxStatus memoryFree(void* data) {
  if (data == nullptr || HeaderOf(data)->tag != kBlockTag) {
    return RefuseBadHandle("memoryFree", "no block of the memory suite");
  }
  BlockHeader* header = HeaderOf(data);
  if (header->host != nullptr && !header->host->TakeBack(data)) {
    return RefuseBadHandle("memoryFree", "a block already freed");
  }
  header->tag = 0;
  std::free(header);
  return kOfxStatOK;
}

OfxMemorySuiteV1 Build() {
  OfxMemorySuiteV1 suite;
  TrapEverySlot(&suite, sizeof suite, TrappedSuite::kMemory);
  suite.memoryAlloc = &memoryAlloc;
  suite.memoryFree = &memoryFree;
  return suite;
}

}  // namespace

const OfxMemorySuiteV1& MemorySuite() {
  static const OfxMemorySuiteV1 suite = Build();
  return suite;
}

}  // namespace hostsim::ofx
