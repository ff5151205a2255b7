#include "testing/hostsim/ofx/param.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <utility>

namespace hostsim::ofx {

Param::Param(ComplaintLog& log, const ParamType& type, std::string name, const std::string& owner)
    : type_(&type),
      name_(std::move(name)),
      is_instance_(false),
      properties_("parameter descriptor " + owner + "/" + name_, log,
                  ParamDescriptorProperties(type)) {
  properties_.SetString(kOfxPropName, name_);
  properties_.SetString(kOfxParamPropType, type.name);
  properties_.SetString(kOfxParamPropScriptName, name_);
  for (const char* label : {kOfxPropLabel, kOfxPropShortLabel, kOfxPropLongLabel}) {
    properties_.SetString(label, name_);
  }
}

Param::Param(const Param& descriptor, const std::string& owner, OfxTime timeline_time)
    : type_(descriptor.type_),
      name_(descriptor.name_),
      is_instance_(true),
      timeline_time_(timeline_time),
      properties_("parameter " + owner + "/" + name_, descriptor.properties_) {
  properties_.SetString(kOfxPropType, kOfxTypeParameterInstance);
  properties_.MakeReadOnly();
  for (const char* name : ParamInstanceWritableProperties()) {
    if (properties_.Has(name)) properties_.MakeWritable(name);
  }
  constant_ = Default();
}

ParamValue Param::Default() const {
  ParamValue value;
  switch (type_->kind) {
    case ParamValueKind::kNone:
      break;
    case ParamValueKind::kInt:
      for (const int part : properties_.Ints(kOfxParamPropDefault)) value.numbers.push_back(part);
      break;
    case ParamValueKind::kDouble:
      value.numbers = properties_.Doubles(kOfxParamPropDefault);
      break;
    case ParamValueKind::kString:
      value.text = properties_.String(kOfxParamPropDefault);
      break;
  }
  return value;
}

namespace {

const ParamValue& KeyAt(const std::map<OfxTime, ParamValue>& keys, OfxTime time) {
  auto after = keys.upper_bound(time);
  return after == keys.begin() ? after->second : std::prev(after)->second;
}

}  // namespace

ParamValue Param::ValueAt(OfxTime time) const {
  const std::lock_guard lock(mutex_);
  if (keys_.empty()) return constant_;
  const auto after = keys_.upper_bound(time);
  if (type_->kind != ParamValueKind::kDouble || after == keys_.begin() || after == keys_.end()) {
    return KeyAt(keys_, time);
  }
  const auto before = std::prev(after);
  const double t = (time - before->first) / (after->first - before->first);
  ParamValue value = before->second;
  for (std::size_t i = 0; i < value.numbers.size(); ++i) {
    value.numbers[i] += t * (after->second.numbers[i] - value.numbers[i]);
  }
  return value;
}

const char* Param::TextAt(OfxTime time) const {
  const std::lock_guard lock(mutex_);
  return keys_.empty() ? constant_.text.c_str() : KeyAt(keys_, time).text.c_str();
}

void Param::CheckParts(const ParamValue& value) const {
  const std::size_t parts =
      type_->kind == ParamValueKind::kString ? 0 : std::size_t(type_->dimension);
  if (type_->kind == ParamValueKind::kNone || value.numbers.size() != parts) {
    std::fprintf(stderr, "simulated OFX host: parameter %s takes %zu numbers, not %zu\n",
                 name_.c_str(), parts, value.numbers.size());
    std::abort();
  }
}

void Param::SetValue(ParamValue value) {
  CheckParts(value);
  const std::lock_guard lock(mutex_);
  keys_.clear();
  constant_ = std::move(value);
}

void Param::SetValueAt(OfxTime time, ParamValue value) {
  CheckParts(value);
  const std::lock_guard lock(mutex_);
  keys_[time] = std::move(value);
}

ParamSet::ParamSet(ComplaintLog& log, std::string label)
    : log_(&log),
      label_(std::move(label)),
      properties_("parameter set of " + label_, log, ParamSetProperties()) {}

Param* ParamSet::Find(std::string_view name) const {
  for (const auto& param : params_) {
    if (param->name() == name) return param.get();
  }
  return nullptr;
}

OfxStatus ParamSet::Define(std::string_view type_name, std::string name, Param*& defined) {
  const ParamType* type = FindParamType(type_name);
  if (type == nullptr) return kOfxStatErrUnsupported;
  if (Find(name) != nullptr) return kOfxStatErrExists;
  params_.push_back(std::make_unique<Param>(*log_, *type, std::move(name), label_));
  defined = params_.back().get();
  return kOfxStatOK;
}

void ParamSet::InstantiateFrom(const ParamSet& descriptor, OfxTime timeline_time) {
  is_instance_ = true;
  params_.clear();
  for (const auto& param : descriptor.params_) {
    params_.push_back(std::make_unique<Param>(*param, label_, timeline_time));
  }
}

void ParamSet::CheckDescription() const {
  for (std::size_t i = 0; i < params_.size(); ++i) {
    const std::string parent = params_[i]->properties().String(kOfxParamPropParent);
    if (parent.empty()) continue;
    bool found = false;
    for (std::size_t j = 0; j < i && !found; ++j) {
      found = params_[j]->name() == parent &&
              std::string_view(params_[j]->type().name) == kOfxParamTypeGroup;
    }
    if (!found) {
      log_->Add(ComplaintKind::kDescription, label_ + ": parameter " + params_[i]->name() +
                                                 " names parent \"" + parent +
                                                 "\", which is not a group defined before it");
    }
  }
}

}  // namespace hostsim::ofx
