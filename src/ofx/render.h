// The actions about one frame: whether it is the source unchanged, and its
// render, the source image through the core into the output.
#pragma once

#include "ofx/suites.h"

namespace huesieve::ofx {

// Switched off, the output is the source clip at the same time; otherwise
// the default reply, and the host renders. A host that never asks still gets
// the source copied by the render.
OfxStatus AnswerIdentity(const Suites& suites, OfxImageEffectHandle effect,
                         OfxPropertySetHandle in_args, OfxPropertySetHandle out_args);

OfxStatus Render(const Suites& suites, OfxImageEffectHandle effect, OfxPropertySetHandle in_args);

}  // namespace huesieve::ofx
