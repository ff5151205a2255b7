#include "testing/hostsim/ofx/bundle.h"

#include <algorithm>
#include <system_error>

#include "testing/hostsim/ofx/host.h"

namespace hostsim::ofx {
namespace {

using GetNumberOfPluginsFn = int (*)();
using GetPluginFn = OfxPlugin* (*)(int);
using SetHostFn = OfxStatus (*)(const OfxHost*);

constexpr std::string_view kBundleSuffix = ".ofx.bundle";

}  // namespace

std::string_view BundleArchitecture() {
#if defined(_WIN32)
  return "Win64";
#else
  return "Linux-x86-64";
#endif
}

std::filesystem::path BinaryPathIn(const std::filesystem::path& bundle) {
  // NAME.ofx.bundle holds NAME.ofx.
  std::string binary = bundle.filename().string();
  binary.resize(binary.size() - (kBundleSuffix.size() - std::string_view(".ofx").size()));
  return bundle / "Contents" / std::string(BundleArchitecture()) / binary;
}

std::vector<std::filesystem::path> FindBundles(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> bundles;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory() && name.size() > kBundleSuffix.size() &&
        name.ends_with(kBundleSuffix)) {
      bundles.push_back(entry.path());
    }
  }
  std::sort(bundles.begin(), bundles.end());
  return bundles;
}

Bundle::Bundle(Host& host, const std::filesystem::path& bundle) : host_(&host) {
  const std::string name = bundle.filename().string();
  if (!name.ends_with(kBundleSuffix) || name.size() == kBundleSuffix.size()) {
    error_ = bundle.string() + " is not named NAME.ofx.bundle";
    return;
  }
  binary_path_ = BinaryPathIn(bundle);
  binary_ = std::make_unique<Binary>(binary_path_);
  if (!binary_->loaded()) {
    error_ = "cannot load " + binary_path_.string() + ": " + binary_->error();
    return;
  }
  const auto set_host = reinterpret_cast<SetHostFn>(binary_->Symbol("OfxSetHost"));
  const auto count =
      reinterpret_cast<GetNumberOfPluginsFn>(binary_->Symbol("OfxGetNumberOfPlugins"));
  const auto get = reinterpret_cast<GetPluginFn>(binary_->Symbol("OfxGetPlugin"));
  if (count == nullptr || get == nullptr) {
    error_ = binary_path_.string() + " does not export OfxGetNumberOfPlugins and OfxGetPlugin";
    return;
  }
  exports_set_host_ = set_host != nullptr;
  if (set_host != nullptr) {
    if (const OfxStatus status = set_host(host.ofx_host()); status != kOfxStatOK) {
      error_ = "OfxSetHost returned " + std::to_string(status);
      return;
    }
  }
  const int plugins = count();
  for (int i = 0; i < plugins; ++i) {
    OfxPlugin* plugin = get(i);
    if (plugin == nullptr) {
      error_ = "OfxGetPlugin(" + std::to_string(i) + ") returned null";
      return;
    }
    plugins_.push_back(plugin);
  }
  loaded_ = true;
}

std::unique_ptr<Plugin> Bundle::LoadPlugin(std::string_view identifier) {
  for (OfxPlugin* plugin : plugins_) {
    if (plugin->pluginIdentifier == nullptr || identifier != plugin->pluginIdentifier) continue;
    auto loaded = std::make_unique<Plugin>(*host_, *plugin, binary_path_.string());
    if (loaded->Load() != kOfxStatOK) {
      error_ = loaded->error();
      return nullptr;
    }
    return loaded;
  }
  error_ = "no plug-in " + std::string(identifier) + " in " + binary_path_.string();
  return nullptr;
}

}  // namespace hostsim::ofx
