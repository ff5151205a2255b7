// The registration entry point: a host may call it to have the module
// register itself, with the same identity as the property list.
#pragma once

#include "entry/export.h"
#include "host/pf_registration.h"

HUESIEVE_EXPORT PF_Err PluginDataEntryFunction(PF_PluginDataPtr inPtr,
                                               PF_PluginDataCB inPluginDataCallBackPtr,
                                               SPBasicSuite* inSPBasicSuitePtr,
                                               const char* inHostName, const char* inHostVersion);
