#include "testing/hostsim/ofx/plugin.h"

#include <algorithm>
#include <utility>

#include "testing/hostsim/ofx/host.h"
#include "testing/hostsim/ofx/property_tables.h"
#include "ofx/api/ofx_image_effect.h"

namespace hostsim::ofx {
namespace {

bool Succeeded(OfxStatus status) { return status == kOfxStatOK || status == kOfxStatReplyDefault; }

}  // namespace

Plugin::Plugin(Host& host, OfxPlugin& plugin, std::string file_path)
    : host_(&host), plugin_(&plugin), file_path_(std::move(file_path)) {}

Plugin::~Plugin() {
  if (!loaded_) return;
  // The descriptors stay valid until the plug-in has unloaded, as the API
  // promises; they go with the members afterwards.
  Call(kOfxActionUnload, nullptr, nullptr, nullptr, "");
  if (const std::size_t blocks = host_->blocks_on_loan(); blocks != 0) {
    host_->complaint_log().Add(
        ComplaintKind::kLeak,
        std::to_string(blocks) + " blocks of host memory still out when the plug-in unloaded");
  }
}

std::string Plugin::identifier() const {
  return plugin_->pluginIdentifier != nullptr ? plugin_->pluginIdentifier : "";
}

OfxStatus Plugin::Call(const char* action, const void* handle, PropertySet* in, PropertySet* out,
                       const std::string& effect) {
  const OfxStatus status =
      plugin_->mainEntry(action, handle, in != nullptr ? in->handle() : nullptr,
                         out != nullptr ? out->handle() : nullptr);
  const std::lock_guard lock(mutex_);
  actions_.push_back({action, effect, status});
  return status;
}

void Plugin::ForgetActions() {
  const std::lock_guard lock(mutex_);
  actions_.clear();
}

std::vector<ActionCall> Plugin::actions() const {
  const std::lock_guard lock(mutex_);
  return actions_;
}

OfxStatus Plugin::Load() {
  if (plugin_->pluginApi == nullptr ||
      std::string_view(plugin_->pluginApi) != kOfxImageEffectPluginApi) {
    error_ = "the plug-in's API is not " kOfxImageEffectPluginApi;
    return kOfxStatErrUnsupported;
  }
  if (plugin_->apiVersion != kOfxImageEffectPluginApiVersion) {
    error_ = "the plug-in's API version is " + std::to_string(plugin_->apiVersion) + ", not 1";
    return kOfxStatErrUnsupported;
  }
  if (plugin_->setHost == nullptr || plugin_->mainEntry == nullptr) {
    error_ = "the plug-in lacks setHost or mainEntry";
    return kOfxStatErrUnsupported;
  }
  plugin_->setHost(host_->ofx_host());

  OfxStatus status = Call(kOfxActionLoad, nullptr, nullptr, nullptr, "");
  if (!Succeeded(status)) {
    error_ = "kOfxActionLoad returned " + std::to_string(status);
    return status;
  }
  loaded_ = true;
  descriptor_ = std::make_unique<Effect>(*host_, identifier());
  descriptor_->properties().SetString(kOfxPluginPropFilePath, file_path_);
  status = Call(kOfxActionDescribe, descriptor_->handle(), nullptr, nullptr, descriptor_->label());
  if (!Succeeded(status)) {
    error_ = "kOfxActionDescribe returned " + std::to_string(status);
    return status;
  }
  return kOfxStatOK;
}

std::vector<std::string> Plugin::Contexts() const {
  std::vector<std::string> shared;
  for (const std::string& context :
       descriptor_->properties().Strings(kOfxImageEffectPropSupportedContexts)) {
    const auto& host_contexts = host_->config().contexts;
    if (std::find(host_contexts.begin(), host_contexts.end(), context) != host_contexts.end()) {
      shared.push_back(context);
    }
  }
  return shared;
}

const Effect* Plugin::DescribeInContext(const std::string& context, OfxStatus* status) {
  OfxStatus result = kOfxStatOK;
  const Effect* described = nullptr;
  if (const auto known = contexts_.find(context); known != contexts_.end()) {
    described = known->second.get();
  } else {
    const std::vector<std::string> shared = Contexts();
    if (std::find(shared.begin(), shared.end(), context) == shared.end()) {
      result = kOfxStatErrUnsupported;
    } else {
      auto effect = std::make_unique<Effect>(*descriptor_, context);
      PropertySet in("arguments of " kOfxImageEffectActionDescribeInContext, host_->complaint_log(),
                     DescribeInContextArguments());
      in.SetString(kOfxImageEffectPropContext, context);
      result = Call(kOfxImageEffectActionDescribeInContext, effect->handle(), &in, nullptr,
                    effect->label());
      if (Succeeded(result)) {
        effect->params().CheckDescription();
        described = effect.get();
        contexts_[context] = std::move(effect);
      }
    }
  }
  if (status != nullptr) *status = result;
  return described;
}

std::unique_ptr<Instance> Plugin::CreateInstance(InstanceConfig config) {
  const Effect* descriptor = DescribeInContext(config.context);
  if (descriptor == nullptr) return nullptr;
  const std::string label = identifier() + "#" + std::to_string(++instances_made_);
  return std::make_unique<Instance>(*this, *descriptor, std::move(config), label);
}

}  // namespace hostsim::ofx
