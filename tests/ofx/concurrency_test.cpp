// Several instances of the copy fixture, each rendering several frames at
// once from several threads, through one host. Every output must equal its
// source and the host must hold nothing against the plug-in; under
// ThreadSanitizer this also shows the host shares no unguarded state between
// instances and frames.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "testing/hostsim/ofx/frame_pattern.h"
#include "tests/ofx/copy_fixture.h"

namespace {

using copy_fixture::CopyFixtureTest;
using hostsim::ofx::Image;
using hostsim::ofx::PixelDepth;

constexpr int kInstances = 3;
constexpr int kThreadsPerInstance = 3;
constexpr int kFramesPerThread = 12;
constexpr PixelDepth kDepths[] = {PixelDepth::kByte, PixelDepth::kShort, PixelDepth::kFloat};

TEST_F(CopyFixtureTest, InstancesAndFramesRenderAtOnce) {
  std::vector<std::unique_ptr<hostsim::ofx::Instance>> instances;
  for (int i = 0; i < kInstances; ++i) {
    instances.push_back(MakeInstance({.depth = kDepths[i]}));
    ASSERT_NE(instances.back(), nullptr);
  }
  std::vector<int> mismatches(kInstances * kThreadsPerInstance, 0);
  std::vector<std::thread> threads;
  for (int i = 0; i < kInstances; ++i) {
    for (int t = 0; t < kThreadsPerInstance; ++t) {
      threads.emplace_back([&, i, t] {
        for (int f = 0; f < kFramesPerThread; ++f) {
          const OfxRectI bounds{-t, f, 9 + f, 7 + 2 * f};
          Image source({.bounds = bounds,
                        .depth = kDepths[i],
                        .row_padding = 4 * t,
                        .negative_row_bytes = f % 2 == 1});
          Image output({.bounds = bounds, .depth = kDepths[i], .row_padding = 8});
          hostsim::ofx::FillPattern(source, static_cast<std::uint32_t>(100 * i + 10 * t + f));
          // Distinct times per thread: a host renders one frame of an
          // instance at a time on any one time.
          const OfxTime time = kFramesPerThread * t + f;
          instances[static_cast<std::size_t>(i)]->Render(
              {.time = time, .source = &source, .output = &output});
          for (int y = bounds.y1; y < bounds.y2; ++y) {
            if (std::memcmp(source.PixelAddress(bounds.x1, y), output.PixelAddress(bounds.x1, y),
                            source.pixel_bytes() * static_cast<std::size_t>(source.width())) != 0) {
              ++mismatches[static_cast<std::size_t>(i * kThreadsPerInstance + t)];
            }
          }
        }
      });
    }
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_THAT(mismatches, ::testing::Each(0));
  EXPECT_THAT(host_.complaints(), ::testing::IsEmpty());
}

}  // namespace
