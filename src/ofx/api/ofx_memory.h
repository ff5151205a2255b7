// The memory suite: general-purpose memory from the host's pools.
#ifndef HUESIEVE_OFX_API_OFX_MEMORY_H
#define HUESIEVE_OFX_API_OFX_MEMORY_H

#include "ofx/api/ofx_core.h"

#ifdef __cplusplus
extern "C" {
#endif

#define kOfxMemorySuite "OfxMemorySuite"

typedef struct OfxMemorySuiteV1 {
  OfxStatus (*memoryAlloc)(void* handle, size_t nBytes, void** allocatedData);
  OfxStatus (*memoryFree)(void* allocatedData);
} OfxMemorySuiteV1;
static_assert(sizeof(OfxMemorySuiteV1) == 16, "OfxMemorySuiteV1 size");
static_assert(offsetof(OfxMemorySuiteV1, memoryAlloc) == 0, "OfxMemorySuiteV1::memoryAlloc");
static_assert(offsetof(OfxMemorySuiteV1, memoryFree) == 8, "OfxMemorySuiteV1::memoryFree");

#ifdef __cplusplus
}
#endif

#endif
