// The 16-bit mapping between file samples (0 to 65535) and the After Effects
// host's channels (0 to 32768), which the module test tool converts through.
#include "testing/tools/module-render/host_scale.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using huesieve::module_render::FromHost16;
using huesieve::module_render::ToHost16;

TEST(Host16Mapping, EveryHostValueSurvivesTheTripOutAndBack) {
  for (std::uint32_t host = 0; host <= 32768; ++host) {
    const auto h = static_cast<std::uint16_t>(host);
    ASSERT_EQ(ToHost16(FromHost16(h)), h) << "host value " << host;
  }
}

TEST(Host16Mapping, FileToHostIsTheRoundedDivisionForEveryValue) {
  for (std::uint32_t value = 0; value <= 65535; ++value) {
    ASSERT_EQ(ToHost16(static_cast<std::uint16_t>(value)), (value * 32768 + 32767) / 65535)
        << "file value " << value;
  }
}

TEST(Host16Mapping, FileToHostRoundsToNearest) {
  EXPECT_EQ(ToHost16(0), 0);
  EXPECT_EQ(ToHost16(1), 1);          // 0.50001
  EXPECT_EQ(ToHost16(2), 1);          // 1.00002
  EXPECT_EQ(ToHost16(32768), 16384);  // 16384.25
  EXPECT_EQ(ToHost16(40000), 20000);  // 20000.31
  EXPECT_EQ(ToHost16(65534), 32767);  // 32767.49999
  EXPECT_EQ(ToHost16(65535), 32768);
}

TEST(Host16Mapping, HostToFileRoundsToNearest) {
  EXPECT_EQ(FromHost16(0), 0);
  EXPECT_EQ(FromHost16(1), 2);          // 1.99997
  EXPECT_EQ(FromHost16(14105), 28210);  // 28209.96
  EXPECT_EQ(FromHost16(16384), 32768);  // exactly half way up the scale
  EXPECT_EQ(FromHost16(20000), 39999);  // 39999.39
  EXPECT_EQ(FromHost16(32768), 65535);
}

TEST(Host16Mapping, ValuesPastTheHostMaximumSaturate) {
  EXPECT_EQ(FromHost16(32769), 65535);
  EXPECT_EQ(FromHost16(65535), 65535);
}

}  // namespace
