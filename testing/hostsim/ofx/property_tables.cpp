#include "testing/hostsim/ofx/property_tables.h"

#include <array>

#include "ofx/api/ofx_image_effect.h"
#include "ofx/api/ofx_param.h"

namespace hostsim::ofx {
namespace {

constexpr PropertyType kInt = PropertyType::kInt;
constexpr PropertyType kDouble = PropertyType::kDouble;
constexpr PropertyType kString = PropertyType::kString;
constexpr PropertyType kPointer = PropertyType::kPointer;
constexpr Writer kHost = Writer::kHost;
constexpr Writer kPlugin = Writer::kPlugin;
constexpr int kVariable = kVariableDimension;

constexpr PropertyRow kHostProperties[] = {
    {kOfxPropAPIVersion, kInt, kVariable, kHost, ""},
    {kOfxPropType, kString, 1, kHost, kOfxTypeImageEffectHost},
    {kOfxPropName, kString, 1, kHost, ""},
    {kOfxPropLabel, kString, 1, kHost, ""},
    {kOfxPropVersion, kInt, kVariable, kHost, ""},
    {kOfxPropVersionLabel, kString, 1, kHost, ""},
    {kOfxPropHostOSHandle, kPointer, 1, kHost, nullptr},
    {kOfxImageEffectHostPropIsBackground, kInt, 1, kHost, "0"},
    {kOfxImageEffectHostPropNativeOrigin, kString, 1, kHost, kOfxHostNativeOriginBottomLeft},
    {kOfxImageEffectPropSupportsOverlays, kInt, 1, kHost, "0"},
    {kOfxImageEffectPropSupportsMultiResolution, kInt, 1, kHost, "1"},
    {kOfxImageEffectPropSupportsTiles, kInt, 1, kHost, "1"},
    {kOfxImageEffectPropTemporalClipAccess, kInt, 1, kHost, "0"},
    {kOfxImageEffectPropSupportedComponents, kString, kVariable, kHost, ""},
    {kOfxImageEffectPropSupportedContexts, kString, kVariable, kHost, ""},
    {kOfxImageEffectPropSupportedPixelDepths, kString, kVariable, kHost, ""},
    {kOfxImageEffectPropSupportsMultipleClipDepths, kInt, 1, kHost, "0"},
    {kOfxImageEffectPropSupportsMultipleClipPARs, kInt, 1, kHost, "0"},
    {kOfxImageEffectPropSetableFrameRate, kInt, 1, kHost, "0"},
    {kOfxImageEffectPropSetableFielding, kInt, 1, kHost, "0"},
    {kOfxImageEffectInstancePropSequentialRender, kInt, 1, kHost, "0"},
    {kOfxImageEffectPropRenderQualityDraft, kInt, 1, kHost, "0"},
    {kOfxParamHostPropSupportsCustomInteract, kInt, 1, kHost, "0"},
    {kOfxParamHostPropSupportsStringAnimation, kInt, 1, kHost, "0"},
    {kOfxParamHostPropSupportsChoiceAnimation, kInt, 1, kHost, "0"},
    {kOfxParamHostPropSupportsBooleanAnimation, kInt, 1, kHost, "0"},
    {kOfxParamHostPropSupportsCustomAnimation, kInt, 1, kHost, "0"},
    {kOfxParamHostPropMaxParameters, kInt, 1, kHost, "-1"},
    {kOfxParamHostPropMaxPages, kInt, 1, kHost, "0"},
    {kOfxParamHostPropPageRowColumnCount, kInt, 2, kHost, "0"},
};

constexpr PropertyRow kEffectDescriptorProperties[] = {
    {kOfxPropType, kString, 1, kHost, kOfxTypeImageEffect},
    {kOfxPropLabel, kString, 1, kPlugin, ""},
    {kOfxPropShortLabel, kString, 1, kPlugin, ""},
    {kOfxPropLongLabel, kString, 1, kPlugin, ""},
    {kOfxPropVersion, kInt, kVariable, kPlugin, ""},
    {kOfxPropVersionLabel, kString, 1, kPlugin, ""},
    {kOfxPropPluginDescription, kString, 1, kPlugin, ""},
    {kOfxPluginPropFilePath, kString, 1, kHost, ""},
    {kOfxImageEffectPropSupportedContexts, kString, kVariable, kPlugin, ""},
    {kOfxImageEffectPluginPropGrouping, kString, 1, kPlugin, ""},
    {kOfxImageEffectPluginPropSingleInstance, kInt, 1, kPlugin, "0"},
    {kOfxImageEffectPluginRenderThreadSafety, kString, 1, kPlugin,
     kOfxImageEffectRenderInstanceSafe},
    {kOfxImageEffectPluginPropHostFrameThreading, kInt, 1, kPlugin, "1"},
    {kOfxImageEffectPluginPropOverlayInteractV1, kPointer, 1, kPlugin, nullptr},
    {kOfxImageEffectPropSupportsMultiResolution, kInt, 1, kPlugin, "1"},
    {kOfxImageEffectPropSupportsTiles, kInt, 1, kPlugin, "1"},
    {kOfxImageEffectPropTemporalClipAccess, kInt, 1, kPlugin, "0"},
    {kOfxImageEffectPropSupportedPixelDepths, kString, kVariable, kPlugin, ""},
    {kOfxImageEffectPluginPropFieldRenderTwiceAlways, kInt, 1, kPlugin, "1"},
    {kOfxImageEffectPropSupportsMultipleClipDepths, kInt, 1, kPlugin, "0"},
    {kOfxImageEffectPropSupportsMultipleClipPARs, kInt, 1, kPlugin, "0"},
    {kOfxImageEffectPropClipPreferencesSlaveParam, kString, kVariable, kPlugin, ""},
    {kOfxImageEffectInstancePropSequentialRender, kInt, 1, kPlugin, "0"},
};

constexpr PropertyRow kEffectInstanceProperties[] = {
    {kOfxPropType, kString, 1, kHost, kOfxTypeImageEffectInstance},
    {kOfxImageEffectPropContext, kString, 1, kHost, ""},
    {kOfxPropInstanceData, kPointer, 1, kPlugin, nullptr},
    {kOfxImageEffectPropPluginHandle, kPointer, 1, kHost, nullptr},
    {kOfxImageEffectPropProjectSize, kDouble, 2, kHost, "0"},
    {kOfxImageEffectPropProjectOffset, kDouble, 2, kHost, "0"},
    {kOfxImageEffectPropProjectExtent, kDouble, 2, kHost, "0"},
    {kOfxImageEffectPropProjectPixelAspectRatio, kDouble, 1, kHost, "1"},
    {kOfxImageEffectInstancePropEffectDuration, kDouble, 1, kHost, "0"},
    {kOfxImageEffectInstancePropSequentialRender, kInt, 1, kPlugin, "0"},
    {kOfxImageEffectPropSupportsTiles, kInt, 1, kPlugin, "1"},
    {kOfxImageEffectPropFrameRate, kDouble, 1, kHost, "25"},
    {kOfxPropIsInteractive, kInt, 1, kHost, "0"},
};

constexpr PropertyRow kClipDescriptorProperties[] = {
    {kOfxPropType, kString, 1, kHost, kOfxTypeClip},
    {kOfxPropName, kString, 1, kHost, ""},
    {kOfxPropLabel, kString, 1, kPlugin, ""},
    {kOfxPropShortLabel, kString, 1, kPlugin, ""},
    {kOfxPropLongLabel, kString, 1, kPlugin, ""},
    {kOfxImageEffectPropSupportedComponents, kString, kVariable, kPlugin, ""},
    {kOfxImageEffectPropTemporalClipAccess, kInt, 1, kPlugin, "0"},
    {kOfxImageClipPropOptional, kInt, 1, kPlugin, "0"},
    {kOfxImageClipPropIsMask, kInt, 1, kPlugin, "0"},
    {kOfxImageClipPropFieldExtraction, kString, 1, kPlugin, kOfxImageFieldDoubled},
    {kOfxImageEffectPropSupportsTiles, kInt, 1, kPlugin, "1"},
};

constexpr PropertyRow kClipInstanceProperties[] = {
    {kOfxImageEffectPropPixelDepth, kString, 1, kHost, kOfxBitDepthNone},
    {kOfxImageEffectPropComponents, kString, 1, kHost, kOfxImageComponentNone},
    {kOfxImageClipPropUnmappedPixelDepth, kString, 1, kHost, kOfxBitDepthNone},
    {kOfxImageClipPropUnmappedComponents, kString, 1, kHost, kOfxImageComponentNone},
    {kOfxImageEffectPropPreMultiplication, kString, 1, kHost, kOfxImageOpaque},
    {kOfxImagePropPixelAspectRatio, kDouble, 1, kHost, "1"},
    {kOfxImageEffectPropFrameRate, kDouble, 1, kHost, "25"},
    {kOfxImageEffectPropFrameRange, kDouble, 2, kHost, "0"},
    {kOfxImageClipPropFieldOrder, kString, 1, kHost, kOfxImageFieldNone},
    {kOfxImageClipPropConnected, kInt, 1, kHost, "0"},
    {kOfxImageEffectPropUnmappedFrameRange, kDouble, 2, kHost, "0"},
    {kOfxImageEffectPropUnmappedFrameRate, kDouble, 1, kHost, "25"},
    {kOfxImageClipPropContinuousSamples, kInt, 1, kHost, "0"},
};

constexpr PropertyRow kImageProperties[] = {
    {kOfxPropType, kString, 1, kHost, kOfxTypeImage},
    {kOfxImageEffectPropPixelDepth, kString, 1, kHost, kOfxBitDepthNone},
    {kOfxImageEffectPropComponents, kString, 1, kHost, kOfxImageComponentNone},
    {kOfxImageEffectPropPreMultiplication, kString, 1, kHost, kOfxImageOpaque},
    {kOfxImageEffectPropRenderScale, kDouble, 2, kHost, "1"},
    {kOfxImagePropPixelAspectRatio, kDouble, 1, kHost, "1"},
    {kOfxImagePropData, kPointer, 1, kHost, nullptr},
    {kOfxImagePropBounds, kInt, 4, kHost, "0"},
    {kOfxImagePropRegionOfDefinition, kInt, 4, kHost, "0"},
    {kOfxImagePropRowBytes, kInt, 1, kHost, "0"},
    {kOfxImagePropField, kString, 1, kHost, kOfxImageFieldNone},
    {kOfxImagePropUniqueIdentifier, kString, 1, kHost, ""},
};

constexpr PropertyRow kParamSetProperties[] = {
    {kOfxPluginPropParamPageOrder, kString, kVariable, kPlugin, ""},
    {kOfxPropParamSetNeedsSyncing, kInt, 1, kPlugin, "0"},
};

constexpr ParamType kParamTypes[] = {
    {kOfxParamTypeInteger, ParamValueKind::kInt, 1, true},
    {kOfxParamTypeDouble, ParamValueKind::kDouble, 1, true},
    {kOfxParamTypeBoolean, ParamValueKind::kInt, 1, false},
    {kOfxParamTypeChoice, ParamValueKind::kInt, 1, false},
    {kOfxParamTypeRGBA, ParamValueKind::kDouble, 4, true},
    {kOfxParamTypeRGB, ParamValueKind::kDouble, 3, true},
    {kOfxParamTypeDouble2D, ParamValueKind::kDouble, 2, true},
    {kOfxParamTypeInteger2D, ParamValueKind::kInt, 2, true},
    {kOfxParamTypeDouble3D, ParamValueKind::kDouble, 3, true},
    {kOfxParamTypeInteger3D, ParamValueKind::kInt, 3, true},
    {kOfxParamTypeString, ParamValueKind::kString, 1, false},
    {kOfxParamTypeGroup, ParamValueKind::kNone, 0, false},
    {kOfxParamTypePage, ParamValueKind::kNone, 0, false},
    {kOfxParamTypePushButton, ParamValueKind::kNone, 0, false},
};

// Every parameter has these; a descriptor's name and labels default to the
// name it was defined with, which the host fills in.
constexpr PropertyRow kEveryParamProperties[] = {
    {kOfxPropType, kString, 1, kHost, kOfxTypeParameter},
    {kOfxPropName, kString, 1, kHost, ""},
    {kOfxParamPropType, kString, 1, kHost, ""},
    {kOfxPropLabel, kString, 1, kPlugin, ""},
    {kOfxPropShortLabel, kString, 1, kPlugin, ""},
    {kOfxPropLongLabel, kString, 1, kPlugin, ""},
    {kOfxPropIcon, kString, 2, kPlugin, ""},
    {kOfxParamPropSecret, kInt, 1, kPlugin, "0"},
    {kOfxParamPropHint, kString, 1, kPlugin, ""},
    {kOfxParamPropScriptName, kString, 1, kPlugin, ""},
    {kOfxParamPropParent, kString, 1, kPlugin, ""},
    {kOfxParamPropEnabled, kInt, 1, kPlugin, "1"},
    {kOfxParamPropDataPtr, kPointer, 1, kPlugin, nullptr},
};

constexpr PropertyRow kValueParamProperties[] = {
    {kOfxParamPropIsAnimating, kInt, 1, kHost, "0"},
    {kOfxParamPropIsAutoKeying, kInt, 1, kHost, "0"},
    {kOfxParamPropPersistant, kInt, 1, kPlugin, "1"},
    {kOfxParamPropEvaluateOnChange, kInt, 1, kPlugin, "1"},
    {kOfxParamPropCanUndo, kInt, 1, kPlugin, "1"},
    {kOfxParamPropCacheInvalidation, kString, 1, kPlugin, kOfxParamInvalidateValueChange},
};

constexpr PropertyRow kInteractParamProperties[] = {
    {kOfxParamPropInteractV1, kPointer, 1, kPlugin, nullptr},
    {kOfxParamPropInteractSize, kDouble, 2, kPlugin, "0"},
    {kOfxParamPropInteractSizeAspect, kDouble, 1, kPlugin, "1"},
    {kOfxParamPropInteractMinimumSize, kDouble, 2, kPlugin, "10"},
    {kOfxParamPropInteractPreferedSize, kInt, 2, kPlugin, "10"},
};

constexpr const char* kParamInstanceWritable[] = {
    kOfxPropLabel,     kOfxPropShortLabel,   kOfxPropLongLabel,    kOfxParamPropSecret,
    kOfxParamPropHint, kOfxParamPropEnabled, kOfxParamPropDataPtr, kOfxParamPropEvaluateOnChange,
};

constexpr PropertyRow kDescribeInContextArguments[] = {
    {kOfxImageEffectPropContext, kString, 1, kHost, ""},
};

constexpr PropertyRow kSequenceRenderArguments[] = {
    {kOfxImageEffectPropFrameRange, kDouble, 2, kHost, "0"},
    {kOfxImageEffectPropFrameStep, kDouble, 1, kHost, "1"},
    {kOfxPropIsInteractive, kInt, 1, kHost, "0"},
    {kOfxImageEffectPropRenderScale, kDouble, 2, kHost, "1"},
    {kOfxImageEffectPropSequentialRenderStatus, kInt, 1, kHost, "0"},
    {kOfxImageEffectPropInteractiveRenderStatus, kInt, 1, kHost, "0"},
};

constexpr PropertyRow kRenderArguments[] = {
    {kOfxPropTime, kDouble, 1, kHost, "0"},
    {kOfxImageEffectPropFieldToRender, kString, 1, kHost, kOfxImageFieldNone},
    {kOfxImageEffectPropRenderWindow, kInt, 4, kHost, "0"},
    {kOfxImageEffectPropRenderScale, kDouble, 2, kHost, "1"},
    {kOfxImageEffectPropSequentialRenderStatus, kInt, 1, kHost, "0"},
    {kOfxImageEffectPropInteractiveRenderStatus, kInt, 1, kHost, "0"},
    {kOfxImageEffectPropRenderQualityDraft, kInt, 1, kHost, "0"},
};

constexpr PropertyRow kRegionOfDefinitionArguments[] = {
    {kOfxPropTime, kDouble, 1, kHost, "0"},
    {kOfxImageEffectPropRenderScale, kDouble, 2, kHost, "1"},
};

constexpr PropertyRow kRegionOfDefinitionResults[] = {
    {kOfxImageEffectPropRegionOfDefinition, kDouble, 4, kPlugin, "0"},
};

constexpr PropertyRow kRegionsOfInterestArguments[] = {
    {kOfxPropTime, kDouble, 1, kHost, "0"},
    {kOfxImageEffectPropRenderScale, kDouble, 2, kHost, "1"},
    {kOfxImageEffectPropRegionOfInterest, kDouble, 4, kHost, "0"},
};

constexpr PropertyRow kIsIdentityArguments[] = {
    {kOfxPropTime, kDouble, 1, kHost, "0"},
    {kOfxImageEffectPropFieldToRender, kString, 1, kHost, kOfxImageFieldNone},
    {kOfxImageEffectPropRenderWindow, kInt, 4, kHost, "0"},
    {kOfxImageEffectPropRenderScale, kDouble, 2, kHost, "1"},
};

constexpr PropertyRow kIsIdentityResults[] = {
    {kOfxPropTime, kDouble, 1, kPlugin, "0"},
    {kOfxPropName, kString, 1, kPlugin, ""},
};

// The per-clip results (components, depth and pixel aspect ratio of each
// clip) are added by name when the action is sent.
constexpr PropertyRow kClipPreferencesResults[] = {
    {kOfxImageEffectPropFrameRate, kDouble, 1, kPlugin, "25"},
    {kOfxImageEffectPropPreMultiplication, kString, 1, kPlugin, kOfxImagePreMultiplied},
    {kOfxImageClipPropFieldOrder, kString, 1, kPlugin, kOfxImageFieldNone},
    {kOfxImageClipPropContinuousSamples, kInt, 1, kPlugin, "0"},
    {kOfxImageEffectFrameVarying, kInt, 1, kPlugin, "0"},
};

}  // namespace

std::span<const PropertyRow> HostProperties() { return kHostProperties; }
std::span<const PropertyRow> EffectDescriptorProperties() { return kEffectDescriptorProperties; }
std::span<const PropertyRow> EffectInstanceProperties() { return kEffectInstanceProperties; }
std::span<const PropertyRow> ClipDescriptorProperties() { return kClipDescriptorProperties; }
std::span<const PropertyRow> ClipInstanceProperties() { return kClipInstanceProperties; }
std::span<const PropertyRow> ImageProperties() { return kImageProperties; }
std::span<const PropertyRow> ParamSetProperties() { return kParamSetProperties; }
std::span<const char* const> ParamInstanceWritableProperties() { return kParamInstanceWritable; }
std::span<const PropertyRow> DescribeInContextArguments() { return kDescribeInContextArguments; }
std::span<const PropertyRow> SequenceRenderArguments() { return kSequenceRenderArguments; }
std::span<const PropertyRow> RenderArguments() { return kRenderArguments; }
std::span<const PropertyRow> RegionOfDefinitionArguments() { return kRegionOfDefinitionArguments; }
std::span<const PropertyRow> RegionOfDefinitionResults() { return kRegionOfDefinitionResults; }
std::span<const PropertyRow> RegionsOfInterestArguments() { return kRegionsOfInterestArguments; }
std::span<const PropertyRow> IsIdentityArguments() { return kIsIdentityArguments; }
std::span<const PropertyRow> IsIdentityResults() { return kIsIdentityResults; }
std::span<const PropertyRow> ClipPreferencesResults() { return kClipPreferencesResults; }

const ParamType* FindParamType(std::string_view name) {
  for (const ParamType& type : kParamTypes) {
    if (name == type.name) return &type;
  }
  return nullptr;
}

std::vector<PropertyRow> ParamDescriptorProperties(const ParamType& type) {
  const std::string_view name = type.name;
  std::vector<PropertyRow> rows(std::begin(kEveryParamProperties), std::end(kEveryParamProperties));
  const auto add = [&rows](std::span<const PropertyRow> more) {
    rows.insert(rows.end(), more.begin(), more.end());
  };
  const bool is_group_or_page = name == kOfxParamTypeGroup || name == kOfxParamTypePage;
  if (!is_group_or_page) add(kInteractParamProperties);
  if (name == kOfxParamTypeGroup) rows.push_back({kOfxParamPropGroupOpen, kInt, 1, kPlugin, "1"});
  if (name == kOfxParamTypePage) {
    rows.push_back({kOfxParamPropPageChild, kString, kVariable, kPlugin, ""});
  }
  if (type.kind == ParamValueKind::kNone) return rows;

  add(kValueParamProperties);
  rows.push_back({kOfxParamPropAnimates, kInt, 1, kPlugin, type.animates ? "1" : "0"});
  const PropertyType value_type = type.kind == ParamValueKind::kInt      ? kInt
                                  : type.kind == ParamValueKind::kDouble ? kDouble
                                                                         : kString;
  rows.push_back({kOfxParamPropDefault, value_type, type.dimension, kPlugin,
                  value_type == kString ? "" : "0"});
  if (name == kOfxParamTypeString) {
    rows.push_back({kOfxParamPropStringMode, kString, 1, kPlugin, kOfxParamStringIsSingleLine});
    rows.push_back({kOfxParamPropStringFilePathExists, kInt, 1, kPlugin, "1"});
  }
  if (name == kOfxParamTypeChoice) {
    rows.push_back({kOfxParamPropChoiceOption, kString, kVariable, kPlugin, ""});
  }
  const bool is_colour = name == kOfxParamTypeRGB || name == kOfxParamTypeRGBA;
  const bool is_numeric =
      name != kOfxParamTypeBoolean && name != kOfxParamTypeChoice && name != kOfxParamTypeString;
  if (!is_numeric) return rows;

  // Unbounded by default: the largest finite values of the value's type.
  const char* lowest = value_type == kDouble ? "-1.7976931348623157e308" : "-2147483648";
  const char* highest = value_type == kDouble ? "1.7976931348623157e308" : "2147483647";
  rows.push_back({kOfxParamPropMin, value_type, type.dimension, kPlugin, lowest});
  rows.push_back({kOfxParamPropMax, value_type, type.dimension, kPlugin, highest});
  rows.push_back(
      {kOfxParamPropDisplayMin, value_type, type.dimension, kPlugin, is_colour ? "0" : lowest});
  rows.push_back(
      {kOfxParamPropDisplayMax, value_type, type.dimension, kPlugin, is_colour ? "1" : highest});
  if (value_type == kDouble) {
    rows.push_back({kOfxParamPropIncrement, kDouble, 1, kPlugin, "1"});
    rows.push_back({kOfxParamPropDigits, kInt, 1, kPlugin, "2"});
  }
  if (type.dimension > 1) {
    rows.push_back({kOfxParamPropDimensionLabel, kString, type.dimension, kPlugin, ""});
  }
  if (value_type == kDouble && !is_colour) {
    rows.push_back({kOfxParamPropDoubleType, kString, 1, kPlugin, kOfxParamDoubleTypePlain});
    rows.push_back(
        {kOfxParamPropDefaultCoordinateSystem, kString, 1, kPlugin, kOfxParamCoordinatesCanonical});
    if (type.dimension == 1) rows.push_back({kOfxParamPropShowTimeMarker, kInt, 1, kPlugin, "0"});
  }
  return rows;
}

}  // namespace hostsim::ofx
