// A clip: described by the plug-in in a context, instantiated by the host with
// the pixel depth, components and premultiplication it settled on.
#pragma once

#include <string>

#include "ofx/api/ofx_image_effect.h"
#include "testing/hostsim/ofx/handle.h"
#include "testing/hostsim/ofx/property_set.h"

namespace hostsim::ofx {

class Instance;

class Clip {
 public:
  // A descriptor, as clipDefine makes it.
  Clip(ComplaintLog& log, std::string name, const std::string& owner);
  // An instance of `descriptor` in `instance`: the descriptor's properties,
  // now read-only, and the instance's own.
  Clip(const Clip& descriptor, const std::string& owner, Instance& instance);
  Clip(const Clip&) = delete;
  Clip& operator=(const Clip&) = delete;

  OfxImageClipHandle handle() { return handle_.As<OfxImageClipHandle>(); }
  static Clip* Find(OfxImageClipHandle handle) { return Handle::Find(handle); }

  const std::string& name() const { return name_; }
  PropertySet& properties() { return properties_; }
  const PropertySet& properties() const { return properties_; }
  // The instance the clip belongs to; null for a descriptor.
  Instance* instance() const { return instance_; }

 private:
  using Handle = HandleOf<kClipTag, Clip>;

  Handle handle_{this};
  std::string name_;
  PropertySet properties_;
  Instance* instance_ = nullptr;
};

}  // namespace hostsim::ofx
