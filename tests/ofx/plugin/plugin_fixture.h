// What the tests of the Huesieve OpenFX plug-in share: the built bundle loaded
// by the simulated host as a host loads it.
#pragma once

#include <utility>

#include "hostsim/ofx/host.h"
#include "hostsim/ofx/image.h"
#include "hostsim/ofx/instance.h"
#include "testing/reference/plain_ofx_render.h"
#include "tests/ofx/loaded_bundle_test.h"

namespace huesieve_ofx_test {

using namespace plain_reference::ofx;
using hostsim::ofx::Image;
using hostsim::ofx::PixelDepth;

inline constexpr char kBundlePath[] = HUESIEVE_OFX_BUNDLE;
inline constexpr char kIdentifier[] = "com.quorvelvfx.Huesieve";

// The plug-in loaded by a host configured by `config`.
class PluginTest : public ofx_testing::LoadedBundleTest {
 protected:
  explicit PluginTest(hostsim::ofx::HostConfig config = {})
      : LoadedBundleTest(kBundlePath, kIdentifier, std::move(config)) {}
};

}  // namespace huesieve_ofx_test
