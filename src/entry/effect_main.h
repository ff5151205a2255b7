// The command entry point the host calls, once per command.
#pragma once

#include "entry/export.h"
#include "host/pf_callbacks.h"

HUESIEVE_EXPORT PF_Err EffectMain(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                  PF_ParamDef* params[], PF_LayerDef* output, void* extra);
