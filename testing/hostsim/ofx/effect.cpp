#include "testing/hostsim/ofx/effect.h"

#include <string_view>
#include <utility>
#include <vector>

#include "testing/hostsim/ofx/host.h"
#include "testing/hostsim/ofx/instance.h"
#include "testing/hostsim/ofx/property_tables.h"

namespace hostsim::ofx {
namespace {

// The descriptor's properties, less those OpenFX 1.2 added where the host
// predates them.
std::vector<PropertyRow> DescriptorRows(const HostConfig& config) {
  std::vector<PropertyRow> rows;
  for (const PropertyRow& row : EffectDescriptorProperties()) {
    const std::string_view name = row.name;
    const bool from_1_2 = name == kOfxPropPluginDescription || name == kOfxPropVersion ||
                          name == kOfxPropVersionLabel;
    if (!(from_1_2 && config.lacks_1_2_descriptor_properties)) rows.push_back(row);
  }
  return rows;
}

}  // namespace

Effect::Effect(Host& host, std::string label)
    : host_(&host),
      role_(EffectRole::kDescriptor),
      label_(std::move(label)),
      properties_("effect descriptor " + label_, host.complaint_log(),
                  DescriptorRows(host.config())),
      params_(host.complaint_log(), label_) {}

Effect::Effect(const Effect& descriptor, const std::string& context)
    : host_(descriptor.host_),
      role_(EffectRole::kContextDescriptor),
      label_(descriptor.label_ + " in " + context),
      properties_("effect descriptor " + label_, descriptor.properties_),
      params_(descriptor.host_->complaint_log(), label_) {}

Effect::Effect(const Effect& context_descriptor, Instance& instance, const std::string& label)
    : host_(context_descriptor.host_),
      role_(EffectRole::kInstance),
      label_(label),
      properties_("effect instance " + label_, context_descriptor.host_->complaint_log(),
                  EffectInstanceProperties()),
      params_(context_descriptor.host_->complaint_log(), label_),
      instance_(&instance) {
  // What the instance does not hold itself is read from its descriptor, as
  // hosts answer for an instance.
  properties_.Chain(&context_descriptor.properties_);
  params_.InstantiateFrom(context_descriptor.params_, instance.config().timeline_time);
  for (const auto& clip : context_descriptor.clips_) {
    clips_.push_back(std::make_unique<Clip>(*clip, label_, instance));
  }
}

Clip* Effect::FindClip(std::string_view name) const {
  for (const auto& clip : clips_) {
    if (clip->name() == name) return clip.get();
  }
  return nullptr;
}

OfxStatus Effect::DefineClip(std::string name, Clip*& defined) {
  if (FindClip(name) != nullptr) return kOfxStatErrExists;
  clips_.push_back(std::make_unique<Clip>(host_->complaint_log(), std::move(name), label_));
  defined = clips_.back().get();
  return kOfxStatOK;
}

}  // namespace hostsim::ofx
