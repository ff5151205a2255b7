// The host's plug-in registration callback, recording what a module's
// PluginDataEntryFunction hands it.
#pragma once

#include <string>

#include "host/pf_registration.h"

namespace hostsim {

struct Registration {
  int calls = 0;
  PF_PluginDataPtr host_pointer = nullptr;
  std::string node_name;
  std::string match_name;
  std::string category;
  std::string entry_point;
  A_long kind = 0;
  A_long major = 0;
  A_long minor = 0;
  A_long reserved = 0;
};

// The callback gets no context but the host's pointer, which is what is under
// test, so its record is one for the process.
Registration& RecordedRegistration();
// What the callback returns; success unless a test says otherwise.
PF_Err& RegistrationResult();

PF_Err RecordRegistration(PF_PluginDataPtr inPtr, const A_char* inNodeName,
                          const A_char* inMatchName, const A_char* inCategoryName,
                          const A_char* inEntryPointName, A_long inType, A_long inMajorVersion,
                          A_long inMinorVersion, A_long inReserved);

}  // namespace hostsim
