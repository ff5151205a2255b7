// What the tests of the Huesieve OpenFX plug-in share: the built bundle loaded
// by the simulated host as a host loads it, and random frames with entries
// that claim some of their pixels.
#pragma once

#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <random>
#include <utility>

#include "testing/hostsim/ofx/host.h"
#include "testing/hostsim/ofx/image.h"
#include "testing/hostsim/ofx/instance.h"
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

// A random sample of the depth: now and then a value a host may send but no
// picture should hold (past full, NaN, infinities, negatives).
inline double RandomSample(std::mt19937& random, PixelDepth depth) {
  switch (depth) {
    case PixelDepth::kByte:
      return static_cast<double>(random() % 256);
    case PixelDepth::kShort:
      return static_cast<double>(random() % 65536);
    default: {
      const std::uint32_t choice = random() % 16;
      if (choice == 0) {
        constexpr float kOdd[] = {std::numeric_limits<float>::quiet_NaN(), INFINITY, -INFINITY,
                                  -0.25f, 1.5f, -0.0f};
        return kOdd[random() % std::size(kOdd)];
      }
      if (choice == 1) return (static_cast<double>(random() % 256) - 0.5) / 255.0;
      return static_cast<float>(random() % (1u << 24)) / static_cast<float>(1u << 24);
    }
  }
}

inline void FillRandom(Image& image, std::uint32_t seed, bool opaque = false) {
  std::mt19937 random(seed);
  const OfxRectI bounds = image.layout().bounds;
  const double full = plain_reference::Maximum(ScaleOf(image.layout().depth));
  for (int y = bounds.y1; y < bounds.y2; ++y) {
    for (int x = bounds.x1; x < bounds.x2; ++x) {
      for (int channel = 0; channel < 4; ++channel) {
        const double sample =
            channel == 3 && opaque ? full : RandomSample(random, image.layout().depth);
        SetSample(image, x, y, channel, sample);
      }
    }
  }
}

// Entries some of whose colours are those of pixels of the frame, so that
// they claim, with random ranges, softness and switches.
inline EntrySettings RandomEntries(const Image& source, std::uint32_t seed) {
  std::mt19937 random(seed);
  EntrySettings entries;
  const OfxRectI bounds = source.layout().bounds;
  const auto scale = ScaleOf(source.layout().depth);
  for (EntrySetting& entry : entries) {
    entry.enabled = random() % 4 != 0;
    const int x =
        bounds.x1 + static_cast<int>(random() % static_cast<std::uint32_t>(source.width()));
    const int y =
        bounds.y1 + static_cast<int>(random() % static_cast<std::uint32_t>(source.height()));
    for (int channel = 0; channel < 3; ++channel) {
      const double byte = random() % 3 == 0
                              ? static_cast<double>(random() % 256)
                              : plain_reference::ToByte(Sample(source, x, y, channel), scale);
      entry.colour[static_cast<std::size_t>(channel)] = byte / 255.0;
    }
    entry.range = random() % 5 == 0 ? 0.0 : static_cast<double>(random() % 1280) / 10.0;
    entry.softness = static_cast<double>(random() % 1001) / 10.0;
  }
  return entries;
}

}  // namespace huesieve_ofx_test
