// A module that registers its controls like Huesieve (by forwarding to the
// real module) but does not declare 16-bit rendering and fails every Render
// with a host error code of its own.
#include <dlfcn.h>

#include "entry/effect_main.h"

namespace {

constexpr PF_Err kRenderFailure = 33;

using EffectMainFn = PF_Err (*)(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*,
                                void*);

EffectMainFn RealEffectMain() {
  void* module = dlopen(HUESIEVE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  return module == nullptr ? nullptr : reinterpret_cast<EffectMainFn>(dlsym(module, "EffectMain"));
}

}  // namespace

PF_Err EffectMain(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                  PF_LayerDef* output, void* extra) {
  if (cmd == PF_Cmd_RENDER) return kRenderFailure;
  const EffectMainFn real = RealEffectMain();
  if (real == nullptr) return PF_Err_INTERNAL_STRUCT_DAMAGED;
  const PF_Err err = real(cmd, in_data, out_data, params, output, extra);
  if (cmd == PF_Cmd_GLOBAL_SETUP) out_data->out_flags &= ~PF_OutFlag_DEEP_COLOR_AWARE;
  return err;
}
