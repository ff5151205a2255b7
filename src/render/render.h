// Render: the host plumbing around the core's effect call (pixel access, depth
// choice, the host's copy).
#pragma once

#include "host/pf_callbacks.h"

namespace huesieve {

PF_Err Render(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
              PF_LayerDef* output);

}  // namespace huesieve
