#include "hostsim/ofx/property_tables.h"

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

constexpr PropertySpec kHostProperties[] = {
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

constexpr PropertySpec kEffectDescriptorProperties[] = {
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

constexpr PropertySpec kEffectInstanceProperties[] = {
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

constexpr PropertySpec kClipDescriptorProperties[] = {
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

constexpr PropertySpec kClipInstanceProperties[] = {
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

constexpr PropertySpec kImageProperties[] = {
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

constexpr PropertySpec kParamSetProperties[] = {
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
constexpr PropertySpec kEveryParamProperties[] = {
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

constexpr PropertySpec kValueParamProperties[] = {
    {kOfxParamPropIsAnimating, kInt, 1, kHost, "0"},
    {kOfxParamPropIsAutoKeying, kInt, 1, kHost, "0"},
    {kOfxParamPropPersistant, kInt, 1, kPlugin, "1"},
    {kOfxParamPropEvaluateOnChange, kInt, 1, kPlugin, "1"},
    {kOfxParamPropCanUndo, kInt, 1, kPlugin, "1"},
    {kOfxParamPropCacheInvalidation, kString, 1, kPlugin, kOfxParamInvalidateValueChange},
};

constexpr PropertySpec kInteractParamProperties[] = {
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

constexpr PropertySpec kDescribeInContextArguments[] = {
    {kOfxImageEffectPropContext, kString, 1, kHost, ""},
};

constexpr PropertySpec kSequenceRenderArguments[] = {
    {kOfxImageEffectPropFrameRange, kDouble, 2, kHost, "0"},
    {kOfxImageEffectPropFrameStep, kDouble, 1, kHost, "1"},
    {kOfxPropIsInteractive, kInt, 1, kHost, "0"},
    {kOfxImageEffectPropRenderScale, kDouble, 2, kHost, "1"},
    {kOfxImageEffectPropSequentialRenderStatus, kInt, 1, kHost, "0"},
    {kOfxImageEffectPropInteractiveRenderStatus, kInt, 1, kHost, "0"},
};

constexpr PropertySpec kRenderArguments[] = {
    {kOfxPropTime, kDouble, 1, kHost, "0"},
    {kOfxImageEffectPropFieldToRender, kString, 1, kHost, kOfxImageFieldNone},
    {kOfxImageEffectPropRenderWindow, kInt, 4, kHost, "0"},
    {kOfxImageEffectPropRenderScale, kDouble, 2, kHost, "1"},
    {kOfxImageEffectPropSequentialRenderStatus, kInt, 1, kHost, "0"},
    {kOfxImageEffectPropInteractiveRenderStatus, kInt, 1, kHost, "0"},
    {kOfxImageEffectPropRenderQualityDraft, kInt, 1, kHost, "0"},
};

constexpr PropertySpec kRegionOfDefinitionArguments[] = {
    {kOfxPropTime, kDouble, 1, kHost, "0"},
    {kOfxImageEffectPropRenderScale, kDouble, 2, kHost, "1"},
};

constexpr PropertySpec kRegionOfDefinitionResults[] = {
    {kOfxImageEffectPropRegionOfDefinition, kDouble, 4, kPlugin, "0"},
};

constexpr PropertySpec kRegionsOfInterestArguments[] = {
    {kOfxPropTime, kDouble, 1, kHost, "0"},
    {kOfxImageEffectPropRenderScale, kDouble, 2, kHost, "1"},
    {kOfxImageEffectPropRegionOfInterest, kDouble, 4, kHost, "0"},
};

constexpr PropertySpec kIsIdentityArguments[] = {
    {kOfxPropTime, kDouble, 1, kHost, "0"},
    {kOfxImageEffectPropFieldToRender, kString, 1, kHost, kOfxImageFieldNone},
    {kOfxImageEffectPropRenderWindow, kInt, 4, kHost, "0"},
    {kOfxImageEffectPropRenderScale, kDouble, 2, kHost, "1"},
};

constexpr PropertySpec kIsIdentityResults[] = {
    {kOfxPropTime, kDouble, 1, kPlugin, "0"},
    {kOfxPropName, kString, 1, kPlugin, ""},
};

// The per-clip results (components, depth and pixel aspect ratio of each
// clip) are added by name when the action is sent.
constexpr PropertySpec kClipPreferencesResults[] = {
    {kOfxImageEffectPropFrameRate, kDouble, 1, kPlugin, "25"},
    {kOfxImageEffectPropPreMultiplication, kString, 1, kPlugin, kOfxImagePreMultiplied},
    {kOfxImageClipPropFieldOrder, kString, 1, kPlugin, kOfxImageFieldNone},
    {kOfxImageClipPropContinuousSamples, kInt, 1, kPlugin, "0"},
    {kOfxImageEffectFrameVarying, kInt, 1, kPlugin, "0"},
};

}  // namespace

std::span<const PropertySpec> HostProperties() { return kHostProperties; }
std::span<const PropertySpec> EffectDescriptorProperties() { return kEffectDescriptorProperties; }
std::span<const PropertySpec> EffectInstanceProperties() { return kEffectInstanceProperties; }
std::span<const PropertySpec> ClipDescriptorProperties() { return kClipDescriptorProperties; }
std::span<const PropertySpec> ClipInstanceProperties() { return kClipInstanceProperties; }
std::span<const PropertySpec> ImageProperties() { return kImageProperties; }
std::span<const PropertySpec> ParamSetProperties() { return kParamSetProperties; }
std::span<const char* const> ParamInstanceWritableProperties() { return kParamInstanceWritable; }
std::span<const PropertySpec> DescribeInContextArguments() { return kDescribeInContextArguments; }
std::span<const PropertySpec> SequenceRenderArguments() { return kSequenceRenderArguments; }
std::span<const PropertySpec> RenderArguments() { return kRenderArguments; }
std::span<const PropertySpec> RegionOfDefinitionArguments() { return kRegionOfDefinitionArguments; }
std::span<const PropertySpec> RegionOfDefinitionResults() { return kRegionOfDefinitionResults; }
std::span<const PropertySpec> RegionsOfInterestArguments() { return kRegionsOfInterestArguments; }
std::span<const PropertySpec> IsIdentityArguments() { return kIsIdentityArguments; }
std::span<const PropertySpec> IsIdentityResults() { return kIsIdentityResults; }
std::span<const PropertySpec> ClipPreferencesResults() { return kClipPreferencesResults; }

const ParamType* FindParamType(std::string_view name) {
  for (const ParamType& type : kParamTypes) {
    if (name == type.name) return &type;
  }
  return nullptr;
}

std::vector<PropertySpec> ParamDescriptorProperties(const ParamType& type) {
  const std::string_view name = type.name;
  std::vector<PropertySpec> specs(std::begin(kEveryParamProperties),
                                  std::end(kEveryParamProperties));
  const auto add = [&specs](std::span<const PropertySpec> more) {
    specs.insert(specs.end(), more.begin(), more.end());
  };
  const bool is_group_or_page = name == kOfxParamTypeGroup || name == kOfxParamTypePage;
  if (!is_group_or_page) add(kInteractParamProperties);
  if (name == kOfxParamTypeGroup) specs.push_back({kOfxParamPropGroupOpen, kInt, 1, kPlugin, "1"});
  if (name == kOfxParamTypePage) {
    specs.push_back({kOfxParamPropPageChild, kString, kVariable, kPlugin, ""});
  }
  if (type.kind == ParamValueKind::kNone) return specs;

  add(kValueParamProperties);
  specs.push_back({kOfxParamPropAnimates, kInt, 1, kPlugin, type.animates ? "1" : "0"});
  const PropertyType value_type = type.kind == ParamValueKind::kInt      ? kInt
                                  : type.kind == ParamValueKind::kDouble ? kDouble
                                                                         : kString;
  specs.push_back({kOfxParamPropDefault, value_type, type.dimension, kPlugin,
                   value_type == kString ? "" : "0"});
  if (name == kOfxParamTypeString) {
    specs.push_back({kOfxParamPropStringMode, kString, 1, kPlugin, kOfxParamStringIsSingleLine});
    specs.push_back({kOfxParamPropStringFilePathExists, kInt, 1, kPlugin, "1"});
  }
  if (name == kOfxParamTypeChoice) {
    specs.push_back({kOfxParamPropChoiceOption, kString, kVariable, kPlugin, ""});
  }
  const bool is_colour = name == kOfxParamTypeRGB || name == kOfxParamTypeRGBA;
  const bool is_numeric =
      name != kOfxParamTypeBoolean && name != kOfxParamTypeChoice && name != kOfxParamTypeString;
  if (!is_numeric) return specs;

  // Unbounded by default: the largest finite values of the value's type.
  const char* lowest = value_type == kDouble ? "-1.7976931348623157e308" : "-2147483648";
  const char* highest = value_type == kDouble ? "1.7976931348623157e308" : "2147483647";
  specs.push_back({kOfxParamPropMin, value_type, type.dimension, kPlugin, lowest});
  specs.push_back({kOfxParamPropMax, value_type, type.dimension, kPlugin, highest});
  specs.push_back(
      {kOfxParamPropDisplayMin, value_type, type.dimension, kPlugin, is_colour ? "0" : lowest});
  specs.push_back(
      {kOfxParamPropDisplayMax, value_type, type.dimension, kPlugin, is_colour ? "1" : highest});
  if (value_type == kDouble) {
    specs.push_back({kOfxParamPropIncrement, kDouble, 1, kPlugin, "1"});
    specs.push_back({kOfxParamPropDigits, kInt, 1, kPlugin, "2"});
  }
  if (type.dimension > 1) {
    specs.push_back({kOfxParamPropDimensionLabel, kString, type.dimension, kPlugin, ""});
  }
  if (value_type == kDouble && !is_colour) {
    specs.push_back({kOfxParamPropDoubleType, kString, 1, kPlugin, kOfxParamDoubleTypePlain});
    specs.push_back(
        {kOfxParamPropDefaultCoordinateSystem, kString, 1, kPlugin, kOfxParamCoordinatesCanonical});
    if (type.dimension == 1) specs.push_back({kOfxParamPropShowTimeMarker, kInt, 1, kPlugin, "0"});
  }
  return specs;
}

}  // namespace hostsim::ofx
