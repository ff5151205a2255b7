// The message suite: how a plug-in tells the user something, at once or as
// a message that stays on the effect until the plug-in clears it.
#ifndef HUESIEVE_OFX_API_OFX_MESSAGE_H
#define HUESIEVE_OFX_API_OFX_MESSAGE_H

#include "ofx/api/ofx_core.h"

#ifdef __cplusplus
extern "C" {
#endif

#define kOfxMessageSuite "OfxMessageSuite"

#define kOfxMessageFatal "OfxMessageFatal"
#define kOfxMessageError "OfxMessageError"
#define kOfxMessageWarning "OfxMessageWarning"
#define kOfxMessageMessage "OfxMessageMessage"
#define kOfxMessageLog "OfxMessageLog"
#define kOfxMessageQuestion "OfxMessageQuestion"

// The text is a printf format and its arguments.
typedef struct OfxMessageSuiteV1 {
  OfxStatus (*message)(void* handle, const char* messageType, const char* messageId,
                       const char* format, ...);
} OfxMessageSuiteV1;
static_assert(sizeof(OfxMessageSuiteV1) == 8, "OfxMessageSuiteV1 size");
static_assert(offsetof(OfxMessageSuiteV1, message) == 0, "OfxMessageSuiteV1::message");

// Version 2 begins with version 1's function, so a host may hand out one
// table for both.
typedef struct OfxMessageSuiteV2 {
  OfxStatus (*message)(void* handle, const char* messageType, const char* messageId,
                       const char* format, ...);
  OfxStatus (*setPersistentMessage)(void* handle, const char* messageType, const char* messageId,
                                    const char* format, ...);
  OfxStatus (*clearPersistentMessage)(void* handle);
} OfxMessageSuiteV2;
static_assert(sizeof(OfxMessageSuiteV2) == 24, "OfxMessageSuiteV2 size");
static_assert(offsetof(OfxMessageSuiteV2, message) == 0, "OfxMessageSuiteV2::message");
static_assert(offsetof(OfxMessageSuiteV2, setPersistentMessage) == 8,
              "OfxMessageSuiteV2::setPersistentMessage");
static_assert(offsetof(OfxMessageSuiteV2, clearPersistentMessage) == 16,
              "OfxMessageSuiteV2::clearPersistentMessage");

#ifdef __cplusplus
}
#endif

#endif
