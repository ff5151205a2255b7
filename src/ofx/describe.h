// What the plug-in tells the host about itself: once for the effect, and once
// for each context the host will use it in.
#pragma once

#include "ofx/suites.h"

namespace huesieve::ofx {

OfxStatus Describe(const Suites& suites, OfxImageEffectHandle effect);
OfxStatus DescribeInContext(const Suites& suites, OfxImageEffectHandle effect);

}  // namespace huesieve::ofx
