// Render: the host plumbing around the selection pass (pixel access, depth
// choice, bypass, copy, corner markers).
#pragma once

#include "host/pf_callbacks.h"

namespace huesieve {

PF_Err Render(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
              PF_LayerDef* output);

}  // namespace huesieve
