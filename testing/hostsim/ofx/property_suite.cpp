// The property suite: every function, each a thin call into the property set
// behind the handle.
#include "testing/hostsim/ofx/bad_handle.h"
#include "testing/hostsim/ofx/property_set.h"
#include "testing/hostsim/ofx/suite_traps.h"
#include "testing/hostsim/ofx/suites.h"

namespace hostsim::ofx {
namespace {

// Forwards a suite call to the set's member of the same meaning.
#define HUESIEVE_PROPERTY_FORWARD(function, member, Arg)                                        \
  OfxStatus function(OfxPropertySetHandle handle, const char* property, int index, Arg value) { \
    PropertySet* set = PropertySet::Find(handle);                                               \
    if (set == nullptr) return RefuseBadHandle(#function, "no property set");                   \
    return set->member(#function, property, index, value);                                      \
  }

HUESIEVE_PROPERTY_FORWARD(propSetPointer, PluginSetPointer, void*)
HUESIEVE_PROPERTY_FORWARD(propSetString, PluginSetString, const char*)
HUESIEVE_PROPERTY_FORWARD(propSetDouble, PluginSetDouble, double)
HUESIEVE_PROPERTY_FORWARD(propSetInt, PluginSetInt, int)
HUESIEVE_PROPERTY_FORWARD(propSetPointerN, PluginSetPointerN, void* const*)
HUESIEVE_PROPERTY_FORWARD(propSetStringN, PluginSetStringN, const char* const*)
HUESIEVE_PROPERTY_FORWARD(propSetDoubleN, PluginSetDoubleN, const double*)
HUESIEVE_PROPERTY_FORWARD(propSetIntN, PluginSetIntN, const int*)
HUESIEVE_PROPERTY_FORWARD(propGetPointer, PluginGetPointer, void**)
HUESIEVE_PROPERTY_FORWARD(propGetString, PluginGetString, char**)
HUESIEVE_PROPERTY_FORWARD(propGetDouble, PluginGetDouble, double*)
HUESIEVE_PROPERTY_FORWARD(propGetInt, PluginGetInt, int*)
HUESIEVE_PROPERTY_FORWARD(propGetPointerN, PluginGetPointerN, void**)
HUESIEVE_PROPERTY_FORWARD(propGetStringN, PluginGetStringN, char**)
HUESIEVE_PROPERTY_FORWARD(propGetDoubleN, PluginGetDoubleN, double*)
HUESIEVE_PROPERTY_FORWARD(propGetIntN, PluginGetIntN, int*)

#undef HUESIEVE_PROPERTY_FORWARD

OfxStatus propReset(OfxPropertySetHandle handle, const char* property) {
  PropertySet* set = PropertySet::Find(handle);
  if (set == nullptr) return RefuseBadHandle("propReset", "no property set");
  return set->PluginReset("propReset", property);
}

OfxStatus propGetDimension(OfxPropertySetHandle handle, const char* property, int* count) {
  PropertySet* set = PropertySet::Find(handle);
  if (set == nullptr) return RefuseBadHandle("propGetDimension", "no property set");
  return set->PluginGetDimension("propGetDimension", property, count);
}

OfxPropertySuiteV1 Build() {
  OfxPropertySuiteV1 suite;
  TrapEverySlot(&suite, sizeof suite, TrappedSuite::kProperty);
  suite.propSetPointer = &propSetPointer;
  suite.propSetString = &propSetString;
  suite.propSetDouble = &propSetDouble;
  suite.propSetInt = &propSetInt;
  suite.propSetPointerN = &propSetPointerN;
  suite.propSetStringN = &propSetStringN;
  suite.propSetDoubleN = &propSetDoubleN;
  suite.propSetIntN = &propSetIntN;
  suite.propGetPointer = &propGetPointer;
  suite.propGetString = &propGetString;
  suite.propGetDouble = &propGetDouble;
  suite.propGetInt = &propGetInt;
  suite.propGetPointerN = &propGetPointerN;
  suite.propGetStringN = &propGetStringN;
  suite.propGetDoubleN = &propGetDoubleN;
  suite.propGetIntN = &propGetIntN;
  suite.propReset = &propReset;
  suite.propGetDimension = &propGetDimension;
  return suite;
}

}  // namespace

const OfxPropertySuiteV1& PropertySuite() {
  static const OfxPropertySuiteV1 suite = Build();
  return suite;
}

}  // namespace hostsim::ofx
