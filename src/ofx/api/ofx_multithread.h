// The multithread suite: the host's threads for splitting work, and mutexes.
#ifndef HUESIEVE_OFX_API_OFX_MULTITHREAD_H
#define HUESIEVE_OFX_API_OFX_MULTITHREAD_H

#include "ofx/api/ofx_core.h"

#ifdef __cplusplus
extern "C" {
#endif

#define kOfxMultiThreadSuite "OfxMultiThreadSuite"

typedef struct OfxMutex* OfxMutexHandle;

typedef void(OfxThreadFunctionV1)(unsigned int threadIndex, unsigned int threadMax,
                                  void* customArg);

typedef struct OfxMultiThreadSuiteV1 {
  OfxStatus (*multiThread)(OfxThreadFunctionV1 func, unsigned int nThreads, void* customArg);
  OfxStatus (*multiThreadNumCPUs)(unsigned int* nCPUs);
  OfxStatus (*multiThreadIndex)(unsigned int* threadIndex);
  int (*multiThreadIsSpawnedThread)(void);
  OfxStatus (*mutexCreate)(OfxMutexHandle* mutex, int lockCount);
  OfxStatus (*mutexDestroy)(const OfxMutexHandle mutex);
  OfxStatus (*mutexLock)(const OfxMutexHandle mutex);
  OfxStatus (*mutexUnLock)(const OfxMutexHandle mutex);
  OfxStatus (*mutexTryLock)(const OfxMutexHandle mutex);
} OfxMultiThreadSuiteV1;
static_assert(sizeof(OfxMultiThreadSuiteV1) == 72, "OfxMultiThreadSuiteV1 size");
static_assert(offsetof(OfxMultiThreadSuiteV1, multiThread) == 0, "multiThread");
static_assert(offsetof(OfxMultiThreadSuiteV1, multiThreadNumCPUs) == 8, "multiThreadNumCPUs");
static_assert(offsetof(OfxMultiThreadSuiteV1, multiThreadIndex) == 16, "multiThreadIndex");
static_assert(offsetof(OfxMultiThreadSuiteV1, multiThreadIsSpawnedThread) == 24,
              "multiThreadIsSpawnedThread");
static_assert(offsetof(OfxMultiThreadSuiteV1, mutexCreate) == 32, "mutexCreate");
static_assert(offsetof(OfxMultiThreadSuiteV1, mutexDestroy) == 40, "mutexDestroy");
static_assert(offsetof(OfxMultiThreadSuiteV1, mutexLock) == 48, "mutexLock");
static_assert(offsetof(OfxMultiThreadSuiteV1, mutexUnLock) == 56, "mutexUnLock");
static_assert(offsetof(OfxMultiThreadSuiteV1, mutexTryLock) == 64, "mutexTryLock");

#ifdef __cplusplus
}
#endif

#endif
