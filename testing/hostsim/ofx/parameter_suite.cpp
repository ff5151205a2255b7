// The parameter suite: defining parameters, finding them, and their values.
// Keyframe editing, derivatives, integrals and copies are traps: a plug-in
// of Huesieve's kind reads values and nothing more.
#include <cstdarg>
#include <string>

#include "testing/hostsim/ofx/bad_handle.h"
#include "testing/hostsim/ofx/param.h"
#include "testing/hostsim/ofx/suite_traps.h"
#include "testing/hostsim/ofx/suites.h"

namespace hostsim::ofx {
namespace {

OfxStatus Refuse(ComplaintLog& log, const std::string& what, OfxStatus status) {
  log.Add(ComplaintKind::kRefusal, what + ", returned " + std::to_string(status));
  return status;
}

OfxStatus paramDefine(OfxParamSetHandle handle, const char* type, const char* name,
                      OfxPropertySetHandle* properties) {
  ParamSet* set = ParamSet::Find(handle);
  if (set == nullptr) return RefuseBadHandle("paramDefine", "no parameter set");
  ComplaintLog& log = set->properties().log();
  if (set->is_instance()) {
    return Refuse(log, "paramDefine on the instance " + set->label(), kOfxStatErrBadHandle);
  }
  if (type == nullptr || name == nullptr) {
    return Refuse(log, "paramDefine on " + set->label() + " without a type or name",
                  kOfxStatErrValue);
  }
  Param* param = nullptr;
  if (const OfxStatus status = set->Define(type, name, param); status != kOfxStatOK) {
    return Refuse(log, "paramDefine of " + std::string(type) + " " + name + " on " + set->label(),
                  status);
  }
  if (properties != nullptr) *properties = param->properties().handle();
  return kOfxStatOK;
}

OfxStatus paramGetHandle(OfxParamSetHandle handle, const char* name, OfxParamHandle* param,
                         OfxPropertySetHandle* properties) {
  ParamSet* set = ParamSet::Find(handle);
  if (set == nullptr) return RefuseBadHandle("paramGetHandle", "no parameter set");
  Param* found = name != nullptr ? set->Find(name) : nullptr;
  if (found == nullptr || param == nullptr) {
    return Refuse(set->properties().log(),
                  "paramGetHandle of " + std::string(name != nullptr ? name : "(null)") + " on " +
                      set->label() + ": no such parameter, or a null result",
                  kOfxStatErrUnknown);
  }
  *param = found->handle();
  if (properties != nullptr) *properties = found->properties().handle();
  return kOfxStatOK;
}

OfxStatus paramSetGetPropertySet(OfxParamSetHandle handle, OfxPropertySetHandle* properties) {
  ParamSet* set = ParamSet::Find(handle);
  if (set == nullptr || properties == nullptr) {
    return RefuseBadHandle("paramSetGetPropertySet", "no parameter set, or a null result");
  }
  *properties = set->properties().handle();
  return kOfxStatOK;
}

OfxStatus paramGetPropertySet(OfxParamHandle handle, OfxPropertySetHandle* properties) {
  Param* param = Param::Find(handle);
  if (param == nullptr || properties == nullptr) {
    return RefuseBadHandle("paramGetPropertySet", "no parameter, or a null result");
  }
  *properties = param->properties().handle();
  return kOfxStatOK;
}

// Writes the value at `time` through the pointers in `parts`, one a part:
// int* for integer kinds, double* for doubles, const char** for strings.
OfxStatus WriteValue(const char* function, Param* param, OfxTime time, va_list parts) {
  if (param == nullptr) return RefuseBadHandle(function, "no parameter");
  if (!param->is_instance() || param->type().kind == ParamValueKind::kNone) {
    return Refuse(
        param->properties().log(),
        std::string(function) + " on " + param->properties().label() + ", which holds no value",
        kOfxStatErrBadHandle);
  }
  const ParamValue value = param->ValueAt(time);
  switch (param->type().kind) {
    case ParamValueKind::kInt:
      for (const double part : value.numbers) *va_arg(parts, int*) = static_cast<int>(part);
      break;
    case ParamValueKind::kDouble:
      for (const double part : value.numbers) *va_arg(parts, double*) = part;
      break;
    case ParamValueKind::kString:
      *va_arg(parts, const char**) = param->TextAt(time);
      break;
    case ParamValueKind::kNone:
      break;
  }
  return kOfxStatOK;
}

OfxStatus paramGetValue(OfxParamHandle handle, ...) {
  Param* param = Param::Find(handle);
  va_list parts;
  va_start(parts, handle);
  const OfxStatus status =
      WriteValue("paramGetValue", param, param != nullptr ? param->timeline_time() : 0.0, parts);
  va_end(parts);
  return status;
}

OfxStatus paramGetValueAtTime(OfxParamHandle handle, OfxTime time, ...) {
  va_list parts;
  va_start(parts, time);
  const OfxStatus status = WriteValue("paramGetValueAtTime", Param::Find(handle), time, parts);
  va_end(parts);
  return status;
}

OfxStatus paramSetValue(OfxParamHandle handle, ...) {
  Param* param = Param::Find(handle);
  if (param == nullptr) return RefuseBadHandle("paramSetValue", "no parameter");
  if (!param->is_instance() || param->type().kind == ParamValueKind::kNone) {
    return Refuse(param->properties().log(),
                  "paramSetValue on " + param->properties().label() + ", which holds no value",
                  kOfxStatErrBadHandle);
  }
  ParamValue value;
  va_list parts;
  va_start(parts, handle);
  for (int i = 0; i < param->type().dimension; ++i) {
    switch (param->type().kind) {
      case ParamValueKind::kInt:
        value.numbers.push_back(va_arg(parts, int));
        break;
      case ParamValueKind::kDouble:
        value.numbers.push_back(va_arg(parts, double));
        break;
      case ParamValueKind::kString:
        value.text = va_arg(parts, const char*);
        break;
      case ParamValueKind::kNone:
        break;
    }
  }
  va_end(parts);
  param->SetValue(std::move(value));
  return kOfxStatOK;
}

OfxParameterSuiteV1 Build() {
  OfxParameterSuiteV1 suite;
  TrapEverySlot(&suite, sizeof suite, TrappedSuite::kParameter);
  suite.paramDefine = &paramDefine;
  suite.paramGetHandle = &paramGetHandle;
  suite.paramSetGetPropertySet = &paramSetGetPropertySet;
  suite.paramGetPropertySet = &paramGetPropertySet;
  suite.paramGetValue = &paramGetValue;
  suite.paramGetValueAtTime = &paramGetValueAtTime;
  suite.paramSetValue = &paramSetValue;
  return suite;
}

}  // namespace

const OfxParameterSuiteV1& ParameterSuite() {
  static const OfxParameterSuiteV1 suite = Build();
  return suite;
}

}  // namespace hostsim::ofx
