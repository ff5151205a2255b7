// What the tests of the simulated OpenFX host share: the copy fixture loaded
// as a host loads it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "hostsim/ofx/bundle.h"
#include "hostsim/ofx/host.h"
#include "hostsim/ofx/image.h"
#include "hostsim/ofx/instance.h"
#include "hostsim/ofx/plugin.h"
#include "tests/ofx/fixture/copy_plugin_behaviour.h"

namespace copy_fixture {

inline constexpr char kBundlePath[] = HUESIEVE_OFX_COPY_FIXTURE_BUNDLE;

// The copy fixture, loaded by a host configured by `Config()`.
class CopyFixtureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bundle_.loaded()) << bundle_.error();
    plugin_ = bundle_.LoadPlugin(kIdentifier);
    ASSERT_NE(plugin_, nullptr) << bundle_.error();
  }

  std::unique_ptr<hostsim::ofx::Instance> MakeInstance(hostsim::ofx::InstanceConfig config = {}) {
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

}  // namespace copy_fixture
