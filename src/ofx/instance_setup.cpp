#include "ofx/instance_setup.h"

#include <string_view>

namespace huesieve::ofx {

// Such hosts give the instance its own tiles property, 1 until the plug-in
// says otherwise, and ignore the descriptor's. A host that has no such
// property (it was added in OpenFX 1.4) takes the descriptor's: a refusal
// is let go.
OfxStatus CreateInstance(const Suites& suites, OfxImageEffectHandle effect) {
  OfxPropertySetHandle properties = nullptr;
  if (suites.effect->getPropertySet(effect, &properties) == kOfxStatOK) {
    suites.property->propSetInt(properties, kOfxImageEffectPropSupportsTiles, 0, 0);
  }
  return kOfxStatOK;
}

// The output is never opaque, whatever the source: cleared pixels are
// transparent and feathered ones partly so. A premultiplied source gives a
// premultiplied output (premultiplied throughout), any other an
// unpremultiplied one, which a host that trusts the label then composites
// rightly.
OfxStatus ClipPreferences(const Suites& suites, OfxImageEffectHandle effect,
                          OfxPropertySetHandle out_args) {
  OfxImageClipHandle source = nullptr;
  OfxPropertySetHandle source_properties = nullptr;
  char* premultiplication = nullptr;
  const bool premultiplied =
      suites.effect->clipGetHandle(effect, kOfxImageEffectSimpleSourceClipName, &source,
                                   &source_properties) == kOfxStatOK &&
      suites.property->propGetString(source_properties, kOfxImageEffectPropPreMultiplication, 0,
                                     &premultiplication) == kOfxStatOK &&
      std::string_view(premultiplication) == kOfxImagePreMultiplied;
  return suites.property->propSetString(
      out_args, kOfxImageEffectPropPreMultiplication, 0,
      premultiplied ? kOfxImagePreMultiplied : kOfxImageUnPreMultiplied);
}

}  // namespace huesieve::ofx
