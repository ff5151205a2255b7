#include "testing/hostsim/ofx/host.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "testing/hostsim/ofx/property_tables.h"
#include "testing/hostsim/ofx/suites.h"

namespace hostsim::ofx {
namespace {

const void* FetchSuiteEntry(OfxPropertySetHandle host, const char* name, int version) {
  PropertySet* properties = PropertySet::Find(host);
  if (properties == nullptr || properties->owner_kind() != PropertySetOwner::kHost ||
      name == nullptr) {
    return nullptr;
  }
  return static_cast<Host*>(properties->owner())->FetchSuite(name, version);
}

std::vector<std::string> OrDefault(std::vector<std::string> values,
                                   std::initializer_list<const char*> defaults) {
  if (values.empty()) values.assign(defaults.begin(), defaults.end());
  return values;
}

}  // namespace

std::vector<SuiteVersion> AllSuites() {
  return {{kOfxPropertySuite, 1},   {kOfxImageEffectSuite, 1}, {kOfxParameterSuite, 1},
          {kOfxMessageSuite, 1},    {kOfxMessageSuite, 2},     {kOfxMemorySuite, 1},
          {kOfxMultiThreadSuite, 1}};
}

Host::Host(HostConfig config)
    : config_(std::move(config)), properties_("the host", log_, HostProperties()) {
  config_.contexts = OrDefault(std::move(config_.contexts),
                               {kOfxImageEffectContextFilter, kOfxImageEffectContextGeneral});
  config_.pixel_depths = OrDefault(std::move(config_.pixel_depths),
                                   {kOfxBitDepthByte, kOfxBitDepthShort, kOfxBitDepthFloat});
  config_.components =
      OrDefault(std::move(config_.components),
                {kOfxImageComponentRGBA, kOfxImageComponentRGB, kOfxImageComponentAlpha});
  properties_.SetOwner(PropertySetOwner::kHost, this);
  properties_.SetInts(kOfxPropAPIVersion, {1, 4});
  properties_.SetString(kOfxPropName, "com.quorvelvfx.hostsim");
  properties_.SetString(kOfxPropLabel, "Huesieve simulated host");
  properties_.SetInts(kOfxPropVersion, {1, 0, 0});
  properties_.SetString(kOfxPropVersionLabel, "1.0");
  properties_.SetStrings(kOfxImageEffectPropSupportedContexts, config_.contexts);
  properties_.SetStrings(kOfxImageEffectPropSupportedPixelDepths, config_.pixel_depths);
  properties_.SetStrings(kOfxImageEffectPropSupportedComponents, config_.components);
  properties_.SetInt(kOfxImageEffectPropSupportsTiles, config_.supports_tiles ? 1 : 0);
  ofx_host_.host = properties_.handle();
  ofx_host_.fetchSuite = &FetchSuiteEntry;
}

Host::~Host() {
  // A plug-in that kept the struct would find nothing behind it.
  std::memset(&ofx_host_, 0, sizeof ofx_host_);
}

std::vector<SuiteRequest> Host::suite_requests() const {
  const std::lock_guard lock(mutex_);
  return requests_;
}

std::vector<Message> Host::messages() const {
  const std::lock_guard lock(mutex_);
  return messages_;
}

void Host::ForgetRecords() {
  const std::lock_guard lock(mutex_);
  requests_.clear();
  messages_.clear();
}

void Host::AddMessage(Message message) {
  const std::lock_guard lock(mutex_);
  messages_.push_back(std::move(message));
}

const void* Host::FetchSuite(const char* name, int version) {
  const SuiteVersion wanted{name, version};
  const bool offered =
      std::find(config_.suites.begin(), config_.suites.end(), wanted) != config_.suites.end();
  const void* suite = nullptr;
  if (offered) {
    const std::string_view n = name;
    if (n == kOfxPropertySuite) suite = &PropertySuite();
    if (n == kOfxImageEffectSuite) suite = &ImageEffectSuite();
    if (n == kOfxParameterSuite) suite = &ParameterSuite();
    if (n == kOfxMessageSuite) suite = &MessageSuite();
    if (n == kOfxMemorySuite) suite = &MemorySuite();
    if (n == kOfxMultiThreadSuite) suite = &MultiThreadSuite(config_.reported_cpus);
  }
  const std::lock_guard lock(mutex_);
  requests_.push_back({name, version, suite != nullptr});
  return suite;
}

void Host::Lend(void* block) {
  const std::lock_guard lock(mutex_);
  on_loan_.insert(block);
}

bool Host::TakeBack(void* block) {
  const std::lock_guard lock(mutex_);
  return on_loan_.erase(block) == 1;
}

std::size_t Host::blocks_on_loan() const {
  const std::lock_guard lock(mutex_);
  return on_loan_.size();
}

}  // namespace hostsim::ofx
