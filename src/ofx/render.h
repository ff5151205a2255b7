// The render action: the source image through the core into the output.
#pragma once

#include "ofx/suites.h"

namespace huesieve::ofx {

OfxStatus Render(const Suites& suites, OfxImageEffectHandle effect, OfxPropertySetHandle in_args);

}  // namespace huesieve::ofx
