// The core of the OpenFX C API as far as Huesieve's plug-in and its simulated
// host use it: the two structs a host and a binary exchange first, the
// status codes, the generic actions and properties, and the small geometry
// types. Names and values are the published ones; the layouts are pinned for
// 64-bit targets below each struct.
#ifndef HUESIEVE_OFX_API_OFX_CORE_H
#define HUESIEVE_OFX_API_OFX_CORE_H

#include <assert.h>
#include <limits.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

static_assert(sizeof(void*) == 8, "the layouts below are those of 64-bit targets");

// The entry points a binary exports. Symbols are hidden by default in our
// builds, so on ELF the export has to ask for default visibility itself.
#if defined(_WIN32)
#define OfxExport extern __declspec(dllexport)
#else
#define OfxExport extern __attribute__((visibility("default")))
#endif

typedef struct OfxPropertySetStruct* OfxPropertySetHandle;
typedef int OfxStatus;

typedef struct OfxHost {
  OfxPropertySetHandle host;
  const void* (*fetchSuite)(OfxPropertySetHandle host, const char* suiteName, int suiteVersion);
} OfxHost;
static_assert(sizeof(OfxHost) == 16, "OfxHost size");
static_assert(offsetof(OfxHost, host) == 0, "OfxHost::host");
static_assert(offsetof(OfxHost, fetchSuite) == 8, "OfxHost::fetchSuite");

typedef OfxStatus(OfxPluginEntryPoint)(const char* action, const void* handle,
                                       OfxPropertySetHandle inArgs, OfxPropertySetHandle outArgs);

typedef struct OfxPlugin {
  const char* pluginApi;
  int apiVersion;  // followed by 4 bytes of padding
  const char* pluginIdentifier;
  unsigned int pluginVersionMajor;
  unsigned int pluginVersionMinor;
  void (*setHost)(OfxHost* host);
  OfxPluginEntryPoint* mainEntry;
} OfxPlugin;
static_assert(sizeof(OfxPlugin) == 48, "OfxPlugin size");
static_assert(offsetof(OfxPlugin, pluginApi) == 0, "OfxPlugin::pluginApi");
static_assert(offsetof(OfxPlugin, apiVersion) == 8, "OfxPlugin::apiVersion");
static_assert(offsetof(OfxPlugin, pluginIdentifier) == 16, "OfxPlugin::pluginIdentifier");
static_assert(offsetof(OfxPlugin, pluginVersionMajor) == 24, "OfxPlugin::pluginVersionMajor");
static_assert(offsetof(OfxPlugin, pluginVersionMinor) == 28, "OfxPlugin::pluginVersionMinor");
static_assert(offsetof(OfxPlugin, setHost) == 32, "OfxPlugin::setHost");
static_assert(offsetof(OfxPlugin, mainEntry) == 40, "OfxPlugin::mainEntry");

// --- Generic actions ---------------------------------------------------------
#define kOfxActionLoad "OfxActionLoad"
#define kOfxActionDescribe "OfxActionDescribe"
#define kOfxActionUnload "OfxActionUnload"
#define kOfxActionPurgeCaches "OfxActionPurgeCaches"
#define kOfxActionSyncPrivateData "OfxActionSyncPrivateData"
#define kOfxActionCreateInstance "OfxActionCreateInstance"
#define kOfxActionDestroyInstance "OfxActionDestroyInstance"
#define kOfxActionInstanceChanged "OfxActionInstanceChanged"
#define kOfxActionBeginInstanceChanged "OfxActionBeginInstanceChanged"
#define kOfxActionEndInstanceChanged "OfxActionEndInstanceChanged"
#define kOfxActionBeginInstanceEdit "OfxActionBeginInstanceEdit"
#define kOfxActionEndInstanceEdit "OfxActionEndInstanceEdit"

// --- Generic properties ------------------------------------------------------
#define kOfxPropAPIVersion "OfxPropAPIVersion"
#define kOfxPropTime "OfxPropTime"
#define kOfxPropIsInteractive "OfxPropIsInteractive"
#define kOfxPluginPropFilePath "OfxPluginPropFilePath"
#define kOfxPropInstanceData "OfxPropInstanceData"
#define kOfxPropType "OfxPropType"
#define kOfxPropName "OfxPropName"
#define kOfxPropVersion "OfxPropVersion"
#define kOfxPropVersionLabel "OfxPropVersionLabel"
#define kOfxPropPluginDescription "OfxPropPluginDescription"
#define kOfxPropLabel "OfxPropLabel"
#define kOfxPropIcon "OfxPropIcon"
#define kOfxPropShortLabel "OfxPropShortLabel"
#define kOfxPropLongLabel "OfxPropLongLabel"
#define kOfxPropChangeReason "OfxPropChangeReason"
#define kOfxPropHostOSHandle "OfxPropHostOSHandle"

// Values of kOfxPropChangeReason.
#define kOfxChangeUserEdited "OfxChangeUserEdited"
#define kOfxChangePluginEdited "OfxChangePluginEdited"
#define kOfxChangeTime "OfxChangeTime"

// --- Time and geometry ---------------------------------------------------------
typedef double OfxTime;

typedef struct OfxRangeI {
  int min, max;
} OfxRangeI;
static_assert(sizeof(OfxRangeI) == 8, "OfxRangeI size");
static_assert(offsetof(OfxRangeI, min) == 0, "OfxRangeI::min");
static_assert(offsetof(OfxRangeI, max) == 4, "OfxRangeI::max");

typedef struct OfxRangeD {
  double min, max;
} OfxRangeD;
static_assert(sizeof(OfxRangeD) == 16, "OfxRangeD size");
static_assert(offsetof(OfxRangeD, min) == 0, "OfxRangeD::min");
static_assert(offsetof(OfxRangeD, max) == 8, "OfxRangeD::max");

typedef struct OfxPointI {
  int x, y;
} OfxPointI;
static_assert(sizeof(OfxPointI) == 8, "OfxPointI size");
static_assert(offsetof(OfxPointI, x) == 0, "OfxPointI::x");
static_assert(offsetof(OfxPointI, y) == 4, "OfxPointI::y");

typedef struct OfxPointD {
  double x, y;
} OfxPointD;
static_assert(sizeof(OfxPointD) == 16, "OfxPointD size");
static_assert(offsetof(OfxPointD, x) == 0, "OfxPointD::x");
static_assert(offsetof(OfxPointD, y) == 8, "OfxPointD::y");

// Rectangles are half open: x1 <= x < x2, y1 <= y < y2.
typedef struct OfxRectI {
  int x1, y1, x2, y2;
} OfxRectI;
static_assert(sizeof(OfxRectI) == 16, "OfxRectI size");
static_assert(offsetof(OfxRectI, x1) == 0, "OfxRectI::x1");
static_assert(offsetof(OfxRectI, y1) == 4, "OfxRectI::y1");
static_assert(offsetof(OfxRectI, x2) == 8, "OfxRectI::x2");
static_assert(offsetof(OfxRectI, y2) == 12, "OfxRectI::y2");

typedef struct OfxRectD {
  double x1, y1, x2, y2;
} OfxRectD;
static_assert(sizeof(OfxRectD) == 32, "OfxRectD size");
static_assert(offsetof(OfxRectD, x1) == 0, "OfxRectD::x1");
static_assert(offsetof(OfxRectD, y1) == 8, "OfxRectD::y1");
static_assert(offsetof(OfxRectD, x2) == 16, "OfxRectD::x2");
static_assert(offsetof(OfxRectD, y2) == 24, "OfxRectD::y2");

// An infinite rectangle has these as its limits.
#define kOfxFlagInfiniteMax INT_MAX
#define kOfxFlagInfiniteMin INT_MIN

// --- Pixel depths ----------------------------------------------------------------
#define kOfxBitDepthNone "OfxBitDepthNone"
#define kOfxBitDepthByte "OfxBitDepthByte"
#define kOfxBitDepthShort "OfxBitDepthShort"
#define kOfxBitDepthHalf "OfxBitDepthHalf"
#define kOfxBitDepthFloat "OfxBitDepthFloat"

// --- Status codes ------------------------------------------------------------------
#define kOfxStatOK 0
#define kOfxStatFailed ((int)1)
#define kOfxStatErrFatal ((int)2)
#define kOfxStatErrUnknown ((int)3)
#define kOfxStatErrMissingHostFeature ((int)4)
#define kOfxStatErrUnsupported ((int)5)
#define kOfxStatErrExists ((int)6)
#define kOfxStatErrFormat ((int)7)
#define kOfxStatErrMemory ((int)8)
#define kOfxStatErrBadHandle ((int)9)
#define kOfxStatErrBadIndex ((int)10)
#define kOfxStatErrValue ((int)11)
#define kOfxStatReplyYes ((int)12)
#define kOfxStatReplyNo ((int)13)
#define kOfxStatReplyDefault ((int)14)
#define kOfxStatUnlicensed ((int)15)

#ifdef __cplusplus
}
#endif

#endif
