#include <gtest/gtest.h>
#include "entry/effect_main.h"
#include "host.h"
TEST(Smoke, GlobalSetup) { hostsim::Host host(&EffectMain); EXPECT_EQ(host.GlobalSetup(), 0); }
