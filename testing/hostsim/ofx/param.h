// Parameters as the host keeps them: descriptors the plug-in defines while
// describing itself in a context, and the instances made from them, whose
// values tests set by name, as constants or as keys at given times.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "ofx/api/ofx_param.h"
#include "testing/hostsim/ofx/handle.h"
#include "testing/hostsim/ofx/property_set.h"
#include "testing/hostsim/ofx/property_tables.h"

namespace hostsim::ofx {

// A value's parts: numbers for integer, boolean, choice, double and colour
// parameters (integers held exactly), or a text.
struct ParamValue {
  std::vector<double> numbers;
  std::string text;
  bool operator==(const ParamValue&) const = default;
};

class Param {
 public:
  // A descriptor, as paramDefine makes it.
  Param(ComplaintLog& log, const ParamType& type, std::string name, const std::string& owner);
  // An instance of `descriptor`: its properties copied, its value the default.
  // `timeline_time` is the time paramGetValue answers for.
  Param(const Param& descriptor, const std::string& owner, OfxTime timeline_time);
  Param(const Param&) = delete;
  Param& operator=(const Param&) = delete;

  OfxParamHandle handle() { return handle_.As<OfxParamHandle>(); }
  static Param* Find(OfxParamHandle handle) { return Handle::Find(handle); }

  const std::string& name() const { return name_; }
  const ParamType& type() const { return *type_; }
  bool is_instance() const { return is_instance_; }
  OfxTime timeline_time() const { return timeline_time_; }
  PropertySet& properties() { return properties_; }
  const PropertySet& properties() const { return properties_; }

  ParamValue Default() const;
  // Between keys, doubles are interpolated linearly and every other kind
  // holds the earlier key's value; before the first key or after the last,
  // the nearest key holds.
  ParamValue ValueAt(OfxTime time) const;
  // The text of the value at `time`, kept where it is until the value changes,
  // for the plug-in's `const char*`.
  const char* TextAt(OfxTime time) const;
  // A constant value: removes every key.
  void SetValue(ParamValue value);
  void SetValueAt(OfxTime time, ParamValue value);

 private:
  using Handle = HandleOf<kParamTag, Param>;
  void CheckParts(const ParamValue& value) const;

  Handle handle_{this};
  const ParamType* type_;
  std::string name_;
  bool is_instance_;
  OfxTime timeline_time_ = 0.0;
  PropertySet properties_;
  mutable std::mutex mutex_;
  ParamValue constant_;
  std::map<OfxTime, ParamValue> keys_;
};

class ParamSet {
 public:
  ParamSet(ComplaintLog& log, std::string label);
  ParamSet(const ParamSet&) = delete;
  ParamSet& operator=(const ParamSet&) = delete;

  OfxParamSetHandle handle() { return handle_.As<OfxParamSetHandle>(); }
  static ParamSet* Find(OfxParamSetHandle handle) { return Handle::Find(handle); }

  const std::string& label() const { return label_; }
  bool is_instance() const { return is_instance_; }
  PropertySet& properties() { return properties_; }
  const std::vector<std::unique_ptr<Param>>& params() const { return params_; }
  Param* Find(std::string_view name) const;

  // paramDefine: kOfxStatErrExists for a name already defined,
  // kOfxStatErrUnsupported for a type the host does not know.
  OfxStatus Define(std::string_view type, std::string name, Param*& defined);
  // Makes this set the instance of `descriptor`'s parameters.
  void InstantiateFrom(const ParamSet& descriptor, OfxTime timeline_time);
  // Complaints about a description no host could lay out: a parent that is
  // not a group defined before its child.
  void CheckDescription() const;

 private:
  using Handle = HandleOf<kParamSetTag, ParamSet>;

  Handle handle_{this};
  ComplaintLog* log_;
  std::string label_;
  bool is_instance_ = false;
  PropertySet properties_;
  std::vector<std::unique_ptr<Param>> params_;
};

}  // namespace hostsim::ofx
