#include "testing/hostsim/registration.h"

namespace hostsim {

Registration& RecordedRegistration() {
  static Registration recorded;
  return recorded;
}

PF_Err& RegistrationResult() {
  static PF_Err result = PF_Err_NONE;
  return result;
}

PF_Err RecordRegistration(PF_PluginDataPtr inPtr, const A_char* inNodeName,
                          const A_char* inMatchName, const A_char* inCategoryName,
                          const A_char* inEntryPointName, A_long inType, A_long inMajorVersion,
                          A_long inMinorVersion, A_long inReserved) {
  Registration& recorded = RecordedRegistration();
  recorded = {recorded.calls + 1, inPtr,  inNodeName,     inMatchName,    inCategoryName,
              inEntryPointName,   inType, inMajorVersion, inMinorVersion, inReserved};
  return RegistrationResult();
}

}  // namespace hostsim
