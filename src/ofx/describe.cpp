#include "ofx/describe.h"

#include "effect/identity.h"
#include "ofx/parameters.h"

namespace huesieve::ofx {
namespace {

// Sets properties in order. A host that refuses a required property cannot
// use the plug-in: its status is kept and the rest are not tried. An
// optional one is let go when refused: older and partial hosts do not know
// every property (Resolve has no description, OpenFX 1.0 and 1.1 hosts no
// version label), and hosts built on the OpenFX host support library drop a
// plug-in whose describe failed.
enum class Need { kRequired, kOptional };

class PropertyWriter {
 public:
  PropertyWriter(const Suites& suites, OfxPropertySetHandle properties)
      : suites_(suites), properties_(properties) {}

  PropertyWriter& String(const char* name, const char* value, Need need = Need::kOptional) {
    return Set(need, [&] { return suites_.property->propSetString(properties_, name, 0, value); });
  }
  template <std::size_t kCount>
  PropertyWriter& Strings(const char* name, const char* const (&values)[kCount],
                          Need need = Need::kOptional) {
    return Set(need, [&] {
      return suites_.property->propSetStringN(properties_, name, static_cast<int>(kCount), values);
    });
  }
  PropertyWriter& Int(const char* name, int value, Need need = Need::kOptional) {
    return Set(need, [&] { return suites_.property->propSetInt(properties_, name, 0, value); });
  }
  template <std::size_t kCount>
  PropertyWriter& Ints(const char* name, const int (&values)[kCount], Need need = Need::kOptional) {
    return Set(need, [&] {
      return suites_.property->propSetIntN(properties_, name, static_cast<int>(kCount), values);
    });
  }
  OfxStatus status() const { return status_; }

 private:
  template <typename SetOne>
  PropertyWriter& Set(Need need, SetOne set_one) {
    if (status_ != kOfxStatOK) return *this;
    const OfxStatus status = set_one();
    if (need == Need::kRequired) status_ = status;
    return *this;
  }

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
      .String(kOfxImageEffectPropSupportedComponents, kOfxImageComponentRGBA, Need::kRequired)
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
  // Whole frames, one resolution, one render a frame even when fields are
  // rendered: the selection's bounds are the whole picture's.
  return PropertyWriter(suites, properties)
      .String(kOfxPropLabel, kEffectName)
      .String(kOfxImageEffectPluginPropGrouping, kCategory)
      .String(kOfxPropPluginDescription, kDescriptionText)
      .Ints(kOfxPropVersion, kVersion)
      .String(kOfxPropVersionLabel, kVersionText)
      .Strings(kOfxImageEffectPropSupportedContexts, kContexts, Need::kRequired)
      .Strings(kOfxImageEffectPropSupportedPixelDepths, kDepths, Need::kRequired)
      .Int(kOfxImageEffectPropSupportsTiles, 0)
      .Int(kOfxImageEffectPropSupportsMultiResolution, 0)
      .Int(kOfxImageEffectPluginPropFieldRenderTwiceAlways, 0)
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
