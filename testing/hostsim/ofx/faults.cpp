#include "testing/hostsim/ofx/faults.h"

#include <algorithm>
#include <utility>

namespace hostsim::ofx::faults {

HostConfig WithoutSuite(std::string_view suite, HostConfig config) {
  std::erase_if(config.suites, [&](const SuiteVersion& offered) { return offered.name == suite; });
  return config;
}

ImageFaults& ImageFaults::FailFetch(std::string clip, OfxStatus status) {
  faults_->push_back({std::move(clip), status, false, {}, {}});
  return *this;
}

ImageFaults& ImageFaults::FetchNothing(std::string clip) {
  faults_->push_back({std::move(clip), kOfxStatOK, true, {}, {}});
  return *this;
}

ImageFaults& ImageFaults::Relabel(std::string clip, std::string property, std::string value) {
  faults_->push_back({std::move(clip), kOfxStatOK, false, std::move(property), std::move(value)});
  return *this;
}

void ImageFaults::InstallOn(Instance& instance) const {
  instance.set_fetch_hook([faults = faults_](std::string_view clip, OfxTime, PropertySet& image) {
    FetchOverride decision;
    for (const Fault& fault : *faults) {
      if (fault.clip != clip) continue;
      if (fault.status != kOfxStatOK) decision.status = fault.status;
      if (fault.nothing) decision.no_image = true;
      if (!fault.property.empty()) image.SetString(fault.property, fault.value);
    }
    return decision;
  });
}

}  // namespace hostsim::ofx::faults
