// Params Setup: registers the effect's controls with the host.
#pragma once

#include "host/pf_callbacks.h"

namespace huesieve {

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                   PF_LayerDef* output);

}  // namespace huesieve
