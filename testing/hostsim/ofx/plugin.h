// One plug-in of a loaded binary, driven as hosts drive it (the order of the
// OpenFX host support library, on which several hosts are built): its API
// and version checked, setHost, kOfxActionLoad, kOfxActionDescribe, then
// kOfxImageEffectActionDescribeInContext once for each context the host and
// the plug-in share, when an instance in that context is first wanted; and
// kOfxActionUnload when it goes, after its instances. Every action sent is
// logged with its status.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ofx/api/ofx_core.h"
#include "testing/hostsim/ofx/effect.h"
#include "testing/hostsim/ofx/instance.h"

namespace hostsim::ofx {

class Host;

struct ActionCall {
  std::string action;
  std::string effect;  // the label of the effect it was sent to; empty for none
  OfxStatus status;
};

class Plugin {
 public:
  Plugin(Host& host, OfxPlugin& plugin, std::string file_path);
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  // Checks the API and its version, then setHost, kOfxActionLoad and
  // kOfxActionDescribe. kOfxStatOK when the plug-in can be used; error()
  // says why not.
  OfxStatus Load();
  const std::string& error() const { return error_; }

  // The contexts the plug-in described that the host supports too.
  std::vector<std::string> Contexts() const;
  // The descriptor for `context`, describing it first if need be; null when
  // the context is not shared or the action failed (`status` says how).
  const Effect* DescribeInContext(const std::string& context, OfxStatus* status = nullptr);
  std::unique_ptr<Instance> CreateInstance(InstanceConfig config = {});

  // Sends an action and logs it.
  OfxStatus Call(const char* action, const void* handle, PropertySet* in, PropertySet* out,
                 const std::string& effect);
  std::vector<ActionCall> actions() const;
  // Forgets the actions sent so far (see Host::ForgetRecords).
  void ForgetActions();

  Host& host() const { return *host_; }
  OfxPlugin& ofx_plugin() const { return *plugin_; }
  std::string identifier() const;
  const Effect& descriptor() const { return *descriptor_; }

 private:
  Host* host_;
  OfxPlugin* plugin_;
  std::string file_path_;
  std::string error_;
  bool loaded_ = false;
  std::unique_ptr<Effect> descriptor_;
  std::map<std::string, std::unique_ptr<Effect>> contexts_;
  int instances_made_ = 0;
  mutable std::mutex mutex_;
  std::vector<ActionCall> actions_;
};

}  // namespace hostsim::ofx
