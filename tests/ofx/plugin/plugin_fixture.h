// What the tests of the Huesieve OpenFX plug-in share: the built bundle loaded
// by the simulated host as a host loads it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "hostsim/ofx/bundle.h"
#include "hostsim/ofx/host.h"
#include "hostsim/ofx/image.h"
#include "hostsim/ofx/instance.h"
#include "hostsim/ofx/plugin.h"
#include "testing/reference/plain_ofx_render.h"

namespace huesieve_ofx_test {

using namespace plain_reference::ofx;
using hostsim::ofx::Image;
using hostsim::ofx::PixelDepth;

inline constexpr char kBundlePath[] = HUESIEVE_OFX_BUNDLE;
inline constexpr char kIdentifier[] = "com.quorvelvfx.Huesieve";

// The plug-in loaded by a host configured by `config`.
class PluginTest : public ::testing::Test {
 protected:
  explicit PluginTest(hostsim::ofx::HostConfig config = {}) : host_(std::move(config)) {}

  void SetUp() override {
    ASSERT_TRUE(bundle_.loaded()) << bundle_.error();
    plugin_ = bundle_.LoadPlugin(kIdentifier);
    ASSERT_NE(plugin_, nullptr) << bundle_.error();
  }

  std::unique_ptr<hostsim::ofx::Instance> MakeInstance(hostsim::ofx::InstanceConfig config) {
    auto instance = plugin_->CreateInstance(std::move(config));
    EXPECT_NE(instance, nullptr);
    if (instance != nullptr) {
      EXPECT_EQ(instance->create_status(), kOfxStatOK);
    }
    return instance;
  }

  hostsim::ofx::Host host_;
  hostsim::ofx::Bundle bundle_{host_, kBundlePath};
  std::unique_ptr<hostsim::ofx::Plugin> plugin_;
};

}  // namespace huesieve_ofx_test
