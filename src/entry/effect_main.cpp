#include "entry/effect_main.h"

#include <new>

#include "entry/effect_identity.h"
#include "entry/string_table.h"
#include "host/host_error.h"
#include "host/suite_handler.h"
#include "params/params_setup.h"
#include "render/render.h"

namespace huesieve {
namespace {

constexpr std::size_t TextLength(const char* text) {
  std::size_t length = 0;
  while (text[length] != '\0') ++length;
  return length;
}

// The host's sprintf does not bound its output, so the About text must fit
// `return_msg` by construction: name, " v1.0", a carriage return, description.
static_assert(TextLength(GetString(kStrName)) + TextLength(" v1.0\r") +
                      TextLength(GetString(kStrDescription)) <=
                  PF_MAX_EFFECT_MSG_LEN,
              "the About text must fit the host's message field");
static_assert(kMajorVersion < 10 && kMinorVersion < 10, "the length check assumes one digit each");

PF_Err About(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[],
             PF_LayerDef* /*output*/) {
  SuiteHandler suites(in_data->pica_basicP);
  const char* description = GetString(kStrDescription);
  const char* name = GetString(kStrName);
  suites.AnsiSuite()->sprintf(out_data->return_msg, "%s v%d.%d\r%s", name, kMajorVersion,
                              kMinorVersion, description);
  return PF_Err_NONE;
}

PF_Err GlobalSetup(PF_InData* /*in_data*/, PF_OutData* out_data, PF_ParamDef* /*params*/[],
                   PF_LayerDef* /*output*/) {
  out_data->my_version = kEffectVersion;
  out_data->out_flags = static_cast<PF_OutFlags>(kOutFlags);
  out_data->out_flags2 = static_cast<PF_OutFlags2>(kOutFlags2);
  return PF_Err_NONE;
}

PF_Err Dispatch(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                PF_LayerDef* output) {
  switch (cmd) {
    case PF_Cmd_ABOUT:
      return About(in_data, out_data, params, output);
    case PF_Cmd_GLOBAL_SETUP:
      return GlobalSetup(in_data, out_data, params, output);
    case PF_Cmd_PARAMS_SETUP:
      return ParamsSetup(in_data, out_data, params, output);
    case PF_Cmd_RENDER:
      return Render(in_data, out_data, params, output);
    default:
      return PF_Err_NONE;
  }
}

}  // namespace
}  // namespace huesieve

// The host is built with another compiler: no exception may cross back into
// it. A host error code raised on the way is returned as the command's result;
// anything else becomes a failure code of its own kind.
PF_Err EffectMain(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                  PF_LayerDef* output, void* /*extra*/) {
  try {
    return huesieve::Dispatch(cmd, in_data, out_data, params, output);
  } catch (const huesieve::HostError& error) {
    return error.code();
  } catch (const std::bad_alloc&) {
    return PF_Err_OUT_OF_MEMORY;
  } catch (...) {
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
}
