// Several instances, and several frames of each, rendered at once on threads
// of their own, at every depth; each frame must be exactly what it is alone.
// Run under ThreadSanitizer by the test command.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "hostsim/ofx/frame_pattern.h"
#include "tests/ofx/plugin/plugin_fixture.h"

namespace huesieve_ofx_test {
namespace {

using ConcurrencyTest = PluginTest;

TEST_F(ConcurrencyTest, InstancesAndFramesRenderAtOnce) {
  constexpr int kInstances = 3;
  constexpr int kFramesEach = 4;
  const PixelDepth depths[kInstances] = {PixelDepth::kByte, PixelDepth::kShort, PixelDepth::kFloat};
  EntrySettings entries;
  entries[0] = {true, {0.8, 0.3, 0.2}, 90.0, 40.0};
  entries[1] = {false, {0.2, 0.6, 0.9}, 70.0, 0.0};
  entries[2] = {true, {0.5, 0.5, 0.5}, 128.0, 100.0};

  std::vector<std::unique_ptr<hostsim::ofx::Instance>> instances;
  std::vector<std::unique_ptr<Image>> sources;
  std::vector<std::unique_ptr<Image>> outputs;
  for (int i = 0; i < kInstances; ++i) {
    instances.push_back(MakeInstance({.depth = depths[i]}));
    ASSERT_NE(instances.back(), nullptr);
    SetEntries(*instances.back(), true, entries);
    for (int f = 0; f < kFramesEach; ++f) {
      const hostsim::ofx::ImageLayout layout{.bounds = {-f, f, 57 + 3 * f, 33 + f},
                                             .depth = depths[i],
                                             .row_padding = 8 * (f % 2),
                                             .negative_row_bytes = f % 2 == 1,
                                             .premultiplication = kOfxImageUnPreMultiplied};
      sources.push_back(std::make_unique<Image>(layout));
      outputs.push_back(std::make_unique<Image>(layout));
      hostsim::ofx::FillPattern(*sources.back(), static_cast<std::uint32_t>(10 * i + f));
    }
  }

  std::vector<std::thread> threads;
  std::vector<OfxStatus> statuses(kInstances * kFramesEach, kOfxStatFailed);
  for (int i = 0; i < kInstances; ++i) {
    for (int f = 0; f < kFramesEach; ++f) {
      const auto at = static_cast<std::size_t>(i * kFramesEach + f);
      threads.emplace_back([&, i, f, at] {
        statuses[at] = instances[static_cast<std::size_t>(i)]
                           ->Render({.time = static_cast<double>(f),
                                     .source = sources[at].get(),
                                     .output = outputs[at].get()})
                           .status;
      });
    }
  }
  for (std::thread& thread : threads) thread.join();

  for (std::size_t at = 0; at < statuses.size(); ++at) {
    EXPECT_EQ(statuses[at], kOfxStatOK) << "frame " << at;
    EXPECT_EQ(FirstDifference(*outputs[at], ExpectedOutput(*sources[at], true, entries)), "")
        << "frame " << at;
  }
  EXPECT_THAT(host_.complaints(), ::testing::IsEmpty());
}

}  // namespace
}  // namespace huesieve_ofx_test
