// What the plug-in tells the host about an instance once it exists: no
// tiles again, where hosts built on the OpenFX host support library look,
// and the output's premultiplication in the clip preferences.
#pragma once

#include "ofx/suites.h"

namespace huesieve::ofx {

OfxStatus CreateInstance(const Suites& suites, OfxImageEffectHandle effect);
OfxStatus ClipPreferences(const Suites& suites, OfxImageEffectHandle effect,
                          OfxPropertySetHandle out_args);

}  // namespace huesieve::ofx
