// A host that has loaded one plug-in from its bundle and keeps it loaded, as
// a host does for a whole session: what the tools, the benchmark and the
// fuzzer render through. `plugin` is null when the bundle or the plug-in does
// not load, and `bundle.error()` says why.
#pragma once

#include <filesystem>
#include <memory>
#include <string_view>
#include <utility>

#include "testing/hostsim/ofx/bundle.h"
#include "testing/hostsim/ofx/host.h"
#include "testing/hostsim/ofx/plugin.h"

namespace hostsim::ofx {

struct LoadedPlugin {
  LoadedPlugin(const std::filesystem::path& bundle_path, std::string_view identifier,
               HostConfig config = {})
      : host(std::move(config)), bundle(host, bundle_path), plugin(bundle.LoadPlugin(identifier)) {}
  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;

  Host host;
  Bundle bundle;
  std::unique_ptr<Plugin> plugin;
};

}  // namespace hostsim::ofx
