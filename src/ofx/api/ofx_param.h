// The parameter API: parameter types, the properties that describe a
// parameter, and the suite through which a plug-in defines parameters and
// reads their values.
#ifndef HUESIEVE_OFX_API_OFX_PARAM_H
#define HUESIEVE_OFX_API_OFX_PARAM_H

#include "ofx/api/ofx_core.h"

#ifdef __cplusplus
extern "C" {
#endif

#define kOfxParameterSuite "OfxParameterSuite"
#define kOfxTypeParameter "OfxTypeParameter"
#define kOfxTypeParameterInstance "OfxTypeParameterInstance"

typedef struct OfxParamStruct* OfxParamHandle;
typedef struct OfxParamSetStruct* OfxParamSetHandle;

// --- Parameter types -------------------------------------------------------------
#define kOfxParamTypeInteger "OfxParamTypeInteger"
#define kOfxParamTypeDouble "OfxParamTypeDouble"
#define kOfxParamTypeBoolean "OfxParamTypeBoolean"
#define kOfxParamTypeChoice "OfxParamTypeChoice"
#define kOfxParamTypeRGBA "OfxParamTypeRGBA"
#define kOfxParamTypeRGB "OfxParamTypeRGB"
#define kOfxParamTypeDouble2D "OfxParamTypeDouble2D"
#define kOfxParamTypeInteger2D "OfxParamTypeInteger2D"
#define kOfxParamTypeDouble3D "OfxParamTypeDouble3D"
#define kOfxParamTypeInteger3D "OfxParamTypeInteger3D"
#define kOfxParamTypeString "OfxParamTypeString"
#define kOfxParamTypeGroup "OfxParamTypeGroup"
#define kOfxParamTypePage "OfxParamTypePage"
#define kOfxParamTypePushButton "OfxParamTypePushButton"

// --- Host properties about parameters -------------------------------------------
#define kOfxParamHostPropSupportsCustomAnimation "OfxParamHostPropSupportsCustomAnimation"
#define kOfxParamHostPropSupportsStringAnimation "OfxParamHostPropSupportsStringAnimation"
#define kOfxParamHostPropSupportsBooleanAnimation "OfxParamHostPropSupportsBooleanAnimation"
#define kOfxParamHostPropSupportsChoiceAnimation "OfxParamHostPropSupportsChoiceAnimation"
#define kOfxParamHostPropSupportsCustomInteract "OfxParamHostPropSupportsCustomInteract"
#define kOfxParamHostPropMaxParameters "OfxParamHostPropMaxParameters"
#define kOfxParamHostPropMaxPages "OfxParamHostPropMaxPages"
#define kOfxParamHostPropPageRowColumnCount "OfxParamHostPropPageRowColumnCount"

// --- Parameter properties -------------------------------------------------------------
#define kOfxParamPropInteractV1 "OfxParamPropInteractV1"
#define kOfxParamPropInteractSize "OfxParamPropInteractSize"
#define kOfxParamPropInteractSizeAspect "OfxParamPropInteractSizeAspect"
#define kOfxParamPropInteractMinimumSize "OfxParamPropInteractMinimumSize"
#define kOfxParamPropInteractPreferedSize "OfxParamPropInteractPreferedSize"
#define kOfxParamPropType "OfxParamPropType"
#define kOfxParamPropAnimates "OfxParamPropAnimates"
#define kOfxParamPropCanUndo "OfxParamPropCanUndo"
#define kOfxPropParamSetNeedsSyncing "OfxPropParamSetNeedsSyncing"
#define kOfxParamPropIsAnimating "OfxParamPropIsAnimating"
#define kOfxParamPropPersistant "OfxParamPropPersistant"
#define kOfxParamPropEvaluateOnChange "OfxParamPropEvaluateOnChange"
#define kOfxParamPropSecret "OfxParamPropSecret"
#define kOfxParamPropScriptName "OfxParamPropScriptName"
#define kOfxParamPropCacheInvalidation "OfxParamPropCacheInvalidation"
#define kOfxParamInvalidateValueChange "OfxParamInvalidateValueChange"
#define kOfxParamInvalidateValueChangeToEnd "OfxParamInvalidateValueChangeToEnd"
#define kOfxParamInvalidateAll "OfxParamInvalidateAll"
#define kOfxParamPropHint "OfxParamPropHint"
#define kOfxParamPropDefault "OfxParamPropDefault"
#define kOfxParamPropDoubleType "OfxParamPropDoubleType"
#define kOfxParamDoubleTypePlain "OfxParamDoubleTypePlain"
#define kOfxParamPropDefaultCoordinateSystem "OfxParamPropDefaultCoordinateSystem"
#define kOfxParamCoordinatesCanonical "OfxParamCoordinatesCanonical"
#define kOfxParamPropShowTimeMarker "OfxParamPropShowTimeMarker"
#define kOfxPluginPropParamPageOrder "OfxPluginPropParamPageOrder"
#define kOfxParamPropPageChild "OfxParamPropPageChild"
#define kOfxParamPropParent "OfxParamPropParent"
#define kOfxParamPropGroupOpen "OfxParamPropGroupOpen"
#define kOfxParamPropEnabled "OfxParamPropEnabled"
#define kOfxParamPropDataPtr "OfxParamPropDataPtr"
#define kOfxParamPropChoiceOption "OfxParamPropChoiceOption"
#define kOfxParamPropMin "OfxParamPropMin"
#define kOfxParamPropMax "OfxParamPropMax"
#define kOfxParamPropDisplayMin "OfxParamPropDisplayMin"
#define kOfxParamPropDisplayMax "OfxParamPropDisplayMax"
#define kOfxParamPropIncrement "OfxParamPropIncrement"
#define kOfxParamPropDigits "OfxParamPropDigits"
#define kOfxParamPropDimensionLabel "OfxParamPropDimensionLabel"
#define kOfxParamPropIsAutoKeying "OfxParamPropIsAutoKeying"
#define kOfxParamPropStringMode "OfxParamPropStringMode"
#define kOfxParamPropStringFilePathExists "OfxParamPropStringFilePathExists"
#define kOfxParamStringIsSingleLine "OfxParamStringIsSingleLine"

// --- The suite --------------------------------------------------------------------------
// The value functions take the value's parts as variadic arguments: int for
// integer, boolean and choice parts, double for double and colour parts,
// const char* for strings; the getters take pointers to them.
typedef struct OfxParameterSuiteV1 {
  OfxStatus (*paramDefine)(OfxParamSetHandle paramSet, const char* paramType, const char* name,
                           OfxPropertySetHandle* propertySet);
  OfxStatus (*paramGetHandle)(OfxParamSetHandle paramSet, const char* name, OfxParamHandle* param,
                              OfxPropertySetHandle* propertySet);
  OfxStatus (*paramSetGetPropertySet)(OfxParamSetHandle paramSet, OfxPropertySetHandle* propHandle);
  OfxStatus (*paramGetPropertySet)(OfxParamHandle param, OfxPropertySetHandle* propHandle);
  OfxStatus (*paramGetValue)(OfxParamHandle paramHandle, ...);
  OfxStatus (*paramGetValueAtTime)(OfxParamHandle paramHandle, OfxTime time, ...);
  OfxStatus (*paramGetDerivative)(OfxParamHandle paramHandle, OfxTime time, ...);
  OfxStatus (*paramGetIntegral)(OfxParamHandle paramHandle, OfxTime time1, OfxTime time2, ...);
  OfxStatus (*paramSetValue)(OfxParamHandle paramHandle, ...);
  OfxStatus (*paramSetValueAtTime)(OfxParamHandle paramHandle, OfxTime time, ...);
  OfxStatus (*paramGetNumKeys)(OfxParamHandle paramHandle, unsigned int* numberOfKeys);
  OfxStatus (*paramGetKeyTime)(OfxParamHandle paramHandle, unsigned int nthKey, OfxTime* time);
  OfxStatus (*paramGetKeyIndex)(OfxParamHandle paramHandle, OfxTime time, int direction,
                                int* index);
  OfxStatus (*paramDeleteKey)(OfxParamHandle paramHandle, OfxTime time);
  OfxStatus (*paramDeleteAllKeys)(OfxParamHandle paramHandle);
  OfxStatus (*paramCopy)(OfxParamHandle paramTo, OfxParamHandle paramFrom, OfxTime dstOffset,
                         const OfxRangeD* frameRange);
  OfxStatus (*paramEditBegin)(OfxParamSetHandle paramSet, const char* name);
  OfxStatus (*paramEditEnd)(OfxParamSetHandle paramSet);
} OfxParameterSuiteV1;
static_assert(sizeof(OfxParameterSuiteV1) == 144, "OfxParameterSuiteV1 size");
static_assert(offsetof(OfxParameterSuiteV1, paramDefine) == 0, "paramDefine");
static_assert(offsetof(OfxParameterSuiteV1, paramGetHandle) == 8, "paramGetHandle");
static_assert(offsetof(OfxParameterSuiteV1, paramSetGetPropertySet) == 16,
              "paramSetGetPropertySet");
static_assert(offsetof(OfxParameterSuiteV1, paramGetPropertySet) == 24, "paramGetPropertySet");
static_assert(offsetof(OfxParameterSuiteV1, paramGetValue) == 32, "paramGetValue");
static_assert(offsetof(OfxParameterSuiteV1, paramGetValueAtTime) == 40, "paramGetValueAtTime");
static_assert(offsetof(OfxParameterSuiteV1, paramGetDerivative) == 48, "paramGetDerivative");
static_assert(offsetof(OfxParameterSuiteV1, paramGetIntegral) == 56, "paramGetIntegral");
static_assert(offsetof(OfxParameterSuiteV1, paramSetValue) == 64, "paramSetValue");
static_assert(offsetof(OfxParameterSuiteV1, paramSetValueAtTime) == 72, "paramSetValueAtTime");
static_assert(offsetof(OfxParameterSuiteV1, paramGetNumKeys) == 80, "paramGetNumKeys");
static_assert(offsetof(OfxParameterSuiteV1, paramGetKeyTime) == 88, "paramGetKeyTime");
static_assert(offsetof(OfxParameterSuiteV1, paramGetKeyIndex) == 96, "paramGetKeyIndex");
static_assert(offsetof(OfxParameterSuiteV1, paramDeleteKey) == 104, "paramDeleteKey");
static_assert(offsetof(OfxParameterSuiteV1, paramDeleteAllKeys) == 112, "paramDeleteAllKeys");
static_assert(offsetof(OfxParameterSuiteV1, paramCopy) == 120, "paramCopy");
static_assert(offsetof(OfxParameterSuiteV1, paramEditBegin) == 128, "paramEditBegin");
static_assert(offsetof(OfxParameterSuiteV1, paramEditEnd) == 136, "paramEditEnd");

#ifdef __cplusplus
}
#endif

#endif
