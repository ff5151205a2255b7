// What the tests of the simulated OpenFX host share: the copy fixture loaded
// as a host loads it.
#pragma once

#include "testing/hostsim/ofx/image.h"
#include "testing/hostsim/ofx/instance.h"
#include "tests/ofx/fixture/copy_plugin_behaviour.h"
#include "tests/ofx/loaded_bundle_test.h"

namespace copy_fixture {

inline constexpr char kBundlePath[] = HUESIEVE_OFX_COPY_FIXTURE_BUNDLE;

// The copy fixture, loaded by a host with the default configuration.
class CopyFixtureTest : public ofx_testing::LoadedBundleTest {
 protected:
  CopyFixtureTest() : LoadedBundleTest(kBundlePath, kIdentifier) {}
};

}  // namespace copy_fixture
