// The host's plug-in registration callback, through which a module that
// offers PluginDataEntryFunction registers itself.
#pragma once

#include "host/pf_callbacks.h"

using PF_PluginDataPtr = void*;  // the host's own, passed back untouched

// Arguments, in order: the host's pointer, the registration name, the match
// name, the category, the entry-point name, the kind, the host API major and
// minor versions, and the reserved info. Returns 0 on success.
using PF_PluginDataCB = PF_Err (*)(PF_PluginDataPtr inPtr, const A_char* inNodeName,
                                   const A_char* inMatchName, const A_char* inCategoryName,
                                   const A_char* inEntryPointName, A_long inType,
                                   A_long inMajorVersion, A_long inMinorVersion, A_long inReserved);
