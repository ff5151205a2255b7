#include "entry/plugin_registration.h"

#include "entry/effect_identity.h"

// A host that offers this entry point always supplies the callback, so it is
// not checked; its result, success or not, is the host's to judge.
PF_Err PluginDataEntryFunction(PF_PluginDataPtr inPtr, PF_PluginDataCB inPluginDataCallBackPtr,
                               SPBasicSuite* /*inSPBasicSuitePtr*/, const char* /*inHostName*/,
                               const char* /*inHostVersion*/) {
  using namespace huesieve;
  return inPluginDataCallBackPtr(inPtr, kEffectName, kMatchName, kCategory, kEntryPointName,
                                 static_cast<A_long>(kEffectKind), kHostApiMajor, kHostApiMinor,
                                 kRegistrationReservedInfo);
}
