// A bundle loaded by the simulated OpenFX host as a host loads it, and one of
// its plug-ins ready to make instances: what every test that renders through
// a bundle starts from.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "testing/hostsim/ofx/bundle.h"
#include "testing/hostsim/ofx/host.h"
#include "testing/hostsim/ofx/instance.h"
#include "testing/hostsim/ofx/plugin.h"

namespace ofx_testing {

class LoadedBundleTest : public ::testing::Test {
 protected:
  LoadedBundleTest(const char* bundle_path, const char* identifier,
                   hostsim::ofx::HostConfig config = {})
      : host_(std::move(config)), bundle_(host_, bundle_path), identifier_(identifier) {}

  void SetUp() override {
    ASSERT_TRUE(bundle_.loaded()) << bundle_.error();
    plugin_ = bundle_.LoadPlugin(identifier_);
    ASSERT_NE(plugin_, nullptr) << bundle_.error();
  }

  // An instance that the plug-in created without complaint.
  std::unique_ptr<hostsim::ofx::Instance> MakeInstance(hostsim::ofx::InstanceConfig config = {}) {
    auto instance = plugin_->CreateInstance(std::move(config));
    EXPECT_NE(instance, nullptr);
    if (instance != nullptr) {
      EXPECT_EQ(instance->create_status(), kOfxStatOK);
    }
    return instance;
  }

  hostsim::ofx::Host host_;
  hostsim::ofx::Bundle bundle_;
  const char* identifier_;
  std::unique_ptr<hostsim::ofx::Plugin> plugin_;
};

}  // namespace ofx_testing
