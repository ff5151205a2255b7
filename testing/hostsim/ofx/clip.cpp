#include "testing/hostsim/ofx/clip.h"

#include <utility>

#include "testing/hostsim/ofx/property_tables.h"

namespace hostsim::ofx {

Clip::Clip(ComplaintLog& log, std::string name, const std::string& owner)
    : name_(std::move(name)),
      properties_("clip descriptor " + owner + "/" + name_, log, ClipDescriptorProperties()) {
  properties_.SetString(kOfxPropName, name_);
}

Clip::Clip(const Clip& descriptor, const std::string& owner, Instance& instance)
    : name_(descriptor.name_),
      properties_("clip " + owner + "/" + name_, descriptor.properties_),
      instance_(&instance) {
  properties_.MakeReadOnly();
  properties_.Add(ClipInstanceProperties());
}

}  // namespace hostsim::ofx
