// A plug-in bundle as hosts find and open it:
//
//   NAME.ofx.bundle/Contents/Linux-x86-64/NAME.ofx   (on Linux)
//   NAME.ofx.bundle/Contents/Win64/NAME.ofx          (on Windows)
//
// Opening the binary calls OfxSetHost first when the binary exports it, then
// OfxGetNumberOfPlugins, then OfxGetPlugin for each plug-in.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ofx/api/ofx_core.h"
#include "testing/hostsim/ofx/binary.h"
#include "testing/hostsim/ofx/plugin.h"

namespace hostsim::ofx {

class Host;

// The architecture folder this build of the host looks in.
std::string_view BundleArchitecture();
// Where a bundle keeps its binary for this architecture.
std::filesystem::path BinaryPathIn(const std::filesystem::path& bundle);
// The bundles in a folder, by name, as a host scans its plug-in folders.
std::vector<std::filesystem::path> FindBundles(const std::filesystem::path& folder);

class Bundle {
 public:
  Bundle(Host& host, const std::filesystem::path& bundle);
  Bundle(const Bundle&) = delete;
  Bundle& operator=(const Bundle&) = delete;

  bool loaded() const { return loaded_; }
  const std::string& error() const { return error_; }
  const std::filesystem::path& binary_path() const { return binary_path_; }
  bool exports_set_host() const { return exports_set_host_; }
  int plugin_count() const { return static_cast<int>(plugins_.size()); }
  OfxPlugin& ofx_plugin(int index) const { return *plugins_.at(static_cast<std::size_t>(index)); }

  // The plug-in with `identifier`, loaded and described; null, with error()
  // set, when there is none or it fails to load.
  std::unique_ptr<Plugin> LoadPlugin(std::string_view identifier);

 private:
  Host* host_;
  std::filesystem::path binary_path_;
  std::unique_ptr<Binary> binary_;
  bool exports_set_host_ = false;
  std::vector<OfxPlugin*> plugins_;
  bool loaded_ = false;
  std::string error_;
};

}  // namespace hostsim::ofx
