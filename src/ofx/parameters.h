// The effect's controls as OpenFX parameters: how they are described to the
// host, and how the values at a frame's time become the core's entry table.
#pragma once

#include "core/effect.h"
#include "ofx/suites.h"

namespace huesieve::ofx {

// Defines the switch and the ten colour entries, each in a group of its own.
OfxStatus DefineParameters(const Suites& suites, OfxParamSetHandle params);

// The values at `time`; fails when the host will not give one.
OfxStatus ReadParameters(const Suites& suites, OfxParamSetHandle params, OfxTime time,
                         EffectSettings& settings);

}  // namespace huesieve::ofx
