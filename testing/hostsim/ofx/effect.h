// An image effect as the plug-in sees it through a handle: the descriptor of
// kOfxActionDescribe, a descriptor per context of
// kOfxImageEffectActionDescribeInContext, or an instance. Each has a property
// set, a parameter set and its clips.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ofx/api/ofx_image_effect.h"
#include "testing/hostsim/ofx/clip.h"
#include "testing/hostsim/ofx/handle.h"
#include "testing/hostsim/ofx/param.h"
#include "testing/hostsim/ofx/property_set.h"

namespace hostsim::ofx {

class Host;
class Instance;

enum class EffectRole { kDescriptor, kContextDescriptor, kInstance };

class Effect {
 public:
  // The descriptor handed to kOfxActionDescribe.
  Effect(Host& host, std::string label);
  // The descriptor for `context`: a copy of what the plug-in described, to
  // which it adds clips and parameters.
  Effect(const Effect& descriptor, const std::string& context);
  // An instance of a context descriptor.
  Effect(const Effect& context_descriptor, Instance& instance, const std::string& label);
  Effect(const Effect&) = delete;
  Effect& operator=(const Effect&) = delete;

  OfxImageEffectHandle handle() { return handle_.As<OfxImageEffectHandle>(); }
  static Effect* Find(OfxImageEffectHandle handle) { return Handle::Find(handle); }

  Host& host() const { return *host_; }
  EffectRole role() const { return role_; }
  const std::string& label() const { return label_; }
  PropertySet& properties() { return properties_; }
  const PropertySet& properties() const { return properties_; }
  ParamSet& params() { return params_; }
  const ParamSet& params() const { return params_; }
  const std::vector<std::unique_ptr<Clip>>& clips() const { return clips_; }
  Clip* FindClip(std::string_view name) const;
  // clipDefine: kOfxStatErrExists for a name already defined.
  OfxStatus DefineClip(std::string name, Clip*& defined);
  // Null unless this is an instance.
  Instance* instance() const { return instance_; }

 private:
  using Handle = HandleOf<kEffectTag, Effect>;

  Handle handle_{this};
  Host* host_;
  EffectRole role_;
  std::string label_;
  PropertySet properties_;
  ParamSet params_;
  std::vector<std::unique_ptr<Clip>> clips_;
  Instance* instance_ = nullptr;
};

}  // namespace hostsim::ofx
