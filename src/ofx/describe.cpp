#include "ofx/describe.h"

#include "effect/identity.h"
#include "ofx/parameters.h"

namespace huesieve::ofx {
namespace {

// Sets properties in order until one is refused.
class PropertyWriter {
 public:
  PropertyWriter(const Suites& suites, OfxPropertySetHandle properties)
      : suites_(suites), properties_(properties) {}

  PropertyWriter& String(const char* name, const char* value) {
    if (status_ == kOfxStatOK) status_ = suites_.property->propSetString(properties_, name, 0, value);
    return *this;
  }
  template <std::size_t kCount>
  PropertyWriter& Strings(const char* name, const char* const (&values)[kCount]) {
    if (status_ == kOfxStatOK) {
      status_ = suites_.property->propSetStringN(properties_, name, static_cast<int>(kCount), values);
    }
    return *this;
  }
  PropertyWriter& Int(const char* name, int value) {
    if (status_ == kOfxStatOK) status_ = suites_.property->propSetInt(properties_, name, 0, value);
    return *this;
  }
  template <std::size_t kCount>
  PropertyWriter& Ints(const char* name, const int (&values)[kCount]) {
    if (status_ == kOfxStatOK) {
      status_ = suites_.property->propSetIntN(properties_, name, static_cast<int>(kCount), values);
    }
    return *this;
  }
  OfxStatus status() const { return status_; }

 private:
  const Suites& suites_;
  OfxPropertySetHandle properties_;
  OfxStatus status_ = kOfxStatOK;
};

// Both clips take RGBA only, and whole frames: the bounds of the selection
// need every pixel of the frame.
OfxStatus DefineClip(const Suites& suites, OfxImageEffectHandle effect, const char* name) {
  OfxPropertySetHandle clip = nullptr;
  const OfxStatus status = suites.effect->clipDefine(effect, name, &clip);
  if (status != kOfxStatOK) return status;
  return PropertyWriter(suites, clip)
      .String(kOfxImageEffectPropSupportedComponents, kOfxImageComponentRGBA)
      .Int(kOfxImageEffectPropSupportsTiles, 0)
      .status();
}

}  // namespace

OfxStatus Describe(const Suites& suites, OfxImageEffectHandle effect) {
  OfxPropertySetHandle properties = nullptr;
  const OfxStatus status = suites.effect->getPropertySet(effect, &properties);
  if (status != kOfxStatOK) return status;
  constexpr const char* kContexts[] = {kOfxImageEffectContextFilter, kOfxImageEffectContextGeneral};
  constexpr const char* kDepths[] = {kOfxBitDepthByte, kOfxBitDepthShort, kOfxBitDepthFloat};
  constexpr int kVersion[] = {kMajorVersion, kMinorVersion};
  return PropertyWriter(suites, properties)
      .String(kOfxPropLabel, kEffectName)
      .String(kOfxImageEffectPluginPropGrouping, kCategory)
      .String(kOfxPropPluginDescription, kDescriptionText)
      .Ints(kOfxPropVersion, kVersion)
      .String(kOfxPropVersionLabel, kVersionText)
      .Strings(kOfxImageEffectPropSupportedContexts, kContexts)
      .Strings(kOfxImageEffectPropSupportedPixelDepths, kDepths)
      .Int(kOfxImageEffectPropSupportsTiles, 0)
      .Int(kOfxImageEffectPropSupportsMultipleClipDepths, 0)
      .Int(kOfxImageEffectPluginPropHostFrameThreading, 0)
      .String(kOfxImageEffectPluginRenderThreadSafety, kOfxImageEffectRenderFullySafe)
      .status();
}

OfxStatus DescribeInContext(const Suites& suites, OfxImageEffectHandle effect) {
  OfxStatus status = DefineClip(suites, effect, kOfxImageEffectSimpleSourceClipName);
  if (status == kOfxStatOK) status = DefineClip(suites, effect, kOfxImageEffectOutputClipName);
  OfxParamSetHandle params = nullptr;
  if (status == kOfxStatOK) status = suites.effect->getParamSet(effect, &params);
  if (status == kOfxStatOK) status = DefineParameters(suites, params);
  return status;
}

}  // namespace huesieve::ofx
