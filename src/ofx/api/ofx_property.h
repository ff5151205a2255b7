// The property suite: every value a host and a plug-in exchange, apart from
// pixels and parameter values, goes through these eighteen functions.
#ifndef HUESIEVE_OFX_API_OFX_PROPERTY_H
#define HUESIEVE_OFX_API_OFX_PROPERTY_H

#include "ofx/api/ofx_core.h"

#ifdef __cplusplus
extern "C" {
#endif

#define kOfxPropertySuite "OfxPropertySuite"

typedef struct OfxPropertySuiteV1 {
  OfxStatus (*propSetPointer)(OfxPropertySetHandle properties, const char* property, int index,
                              void* value);
  OfxStatus (*propSetString)(OfxPropertySetHandle properties, const char* property, int index,
                             const char* value);
  OfxStatus (*propSetDouble)(OfxPropertySetHandle properties, const char* property, int index,
                             double value);
  OfxStatus (*propSetInt)(OfxPropertySetHandle properties, const char* property, int index,
                          int value);
  OfxStatus (*propSetPointerN)(OfxPropertySetHandle properties, const char* property, int count,
                               void* const* value);
  OfxStatus (*propSetStringN)(OfxPropertySetHandle properties, const char* property, int count,
                              const char* const* value);
  OfxStatus (*propSetDoubleN)(OfxPropertySetHandle properties, const char* property, int count,
                              const double* value);
  OfxStatus (*propSetIntN)(OfxPropertySetHandle properties, const char* property, int count,
                           const int* value);
  OfxStatus (*propGetPointer)(OfxPropertySetHandle properties, const char* property, int index,
                              void** value);
  OfxStatus (*propGetString)(OfxPropertySetHandle properties, const char* property, int index,
                             char** value);
  OfxStatus (*propGetDouble)(OfxPropertySetHandle properties, const char* property, int index,
                             double* value);
  OfxStatus (*propGetInt)(OfxPropertySetHandle properties, const char* property, int index,
                          int* value);
  OfxStatus (*propGetPointerN)(OfxPropertySetHandle properties, const char* property, int count,
                               void** value);
  OfxStatus (*propGetStringN)(OfxPropertySetHandle properties, const char* property, int count,
                              char** value);
  OfxStatus (*propGetDoubleN)(OfxPropertySetHandle properties, const char* property, int count,
                              double* value);
  OfxStatus (*propGetIntN)(OfxPropertySetHandle properties, const char* property, int count,
                           int* value);
  OfxStatus (*propReset)(OfxPropertySetHandle properties, const char* property);
  OfxStatus (*propGetDimension)(OfxPropertySetHandle properties, const char* property, int* count);
} OfxPropertySuiteV1;
static_assert(sizeof(OfxPropertySuiteV1) == 144, "OfxPropertySuiteV1 size");
static_assert(offsetof(OfxPropertySuiteV1, propSetPointer) == 0, "propSetPointer");
static_assert(offsetof(OfxPropertySuiteV1, propSetString) == 8, "propSetString");
static_assert(offsetof(OfxPropertySuiteV1, propSetDouble) == 16, "propSetDouble");
static_assert(offsetof(OfxPropertySuiteV1, propSetInt) == 24, "propSetInt");
static_assert(offsetof(OfxPropertySuiteV1, propSetPointerN) == 32, "propSetPointerN");
static_assert(offsetof(OfxPropertySuiteV1, propSetStringN) == 40, "propSetStringN");
static_assert(offsetof(OfxPropertySuiteV1, propSetDoubleN) == 48, "propSetDoubleN");
static_assert(offsetof(OfxPropertySuiteV1, propSetIntN) == 56, "propSetIntN");
static_assert(offsetof(OfxPropertySuiteV1, propGetPointer) == 64, "propGetPointer");
static_assert(offsetof(OfxPropertySuiteV1, propGetString) == 72, "propGetString");
static_assert(offsetof(OfxPropertySuiteV1, propGetDouble) == 80, "propGetDouble");
static_assert(offsetof(OfxPropertySuiteV1, propGetInt) == 88, "propGetInt");
static_assert(offsetof(OfxPropertySuiteV1, propGetPointerN) == 96, "propGetPointerN");
static_assert(offsetof(OfxPropertySuiteV1, propGetStringN) == 104, "propGetStringN");
static_assert(offsetof(OfxPropertySuiteV1, propGetDoubleN) == 112, "propGetDoubleN");
static_assert(offsetof(OfxPropertySuiteV1, propGetIntN) == 120, "propGetIntN");
static_assert(offsetof(OfxPropertySuiteV1, propReset) == 128, "propReset");
static_assert(offsetof(OfxPropertySuiteV1, propGetDimension) == 136, "propGetDimension");

#ifdef __cplusplus
}
#endif

#endif
