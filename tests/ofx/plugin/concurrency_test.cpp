// Several instances, and several frames of each, rendered at once on threads
// of their own, at every depth; each frame must be exactly what it is alone.
// And one frame shared between the threads of the host's multithread suite,
// which really runs them, as many as it reports processors, at every depth,
// against the plain model. Run under ThreadSanitizer by the test command.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "testing/hostsim/ofx/faults.h"
#include "ofx/api/ofx_multithread.h"
#include "testing/hostsim/ofx/frame_pattern.h"
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

struct ThreadingHost {
  const char* name;
  hostsim::ofx::HostConfig config;
  int spawned_checks;  // of the frame's four bands, those asked about on the suite's threads
};

void PrintTo(const ThreadingHost& host, std::ostream* out) { *out << host.name; }

const ThreadingHost kThreadingHosts[] = {
    {"TwoCpus", {.reported_cpus = 2}, 4},
    {"EightCpus", {.reported_cpus = 8}, 4},
    {"OneCpu", {.reported_cpus = 1}, 0},
    {"WithoutTheSuite", hostsim::ofx::faults::WithoutSuite(kOfxMultiThreadSuite), 0},
};

class SharedFrameTest
    : public PluginTest,
      public ::testing::WithParamInterface<std::tuple<ThreadingHost, PixelDepth>> {
 protected:
  SharedFrameTest() : PluginTest(std::get<0>(GetParam()).config) {}
};

// 2048 pixels a row and 32 rows a band: four bands, which the suite's
// threads take all of when it reports more than one processor, and which
// the calling thread walks otherwise. A render window leaves a strip of
// the output untouched, and the source's bounds stand away from the origin.
TEST_P(SharedFrameTest, TheHostsThreadsRenderTheFrameAsTheModelSays) {
  const PixelDepth depth = std::get<1>(GetParam());
  std::uint32_t seed = 70;
  for (const char* label : {kOfxImageUnPreMultiplied, kOfxImagePreMultiplied}) {
    SCOPED_TRACE(label);
    auto instance = MakeInstance({.depth = depth, .premultiplication = label});
    ASSERT_NE(instance, nullptr);
    const hostsim::ofx::ImageLayout layout{.bounds = {-5, 3, 2043, 131},
                                           .depth = depth,
                                           .row_padding = 16,
                                           .negative_row_bytes = true,
                                           .premultiplication = label};
    Image source(layout);
    FillRandom(source, ++seed);
    const EntrySettings entries = RandomEntries(source, ++seed);
    SetEntries(*instance, true, entries);
    Image output(layout);
    const OfxRectI window{100, 3, 2043, 120};
    ASSERT_EQ(instance
                  ->Render({.time = 0, .source = &source, .output = &output, .render_window = window})
                  .status,
              kOfxStatOK);
    EXPECT_EQ(FirstDifference(output, ExpectedOutput(&source, Image(layout), true, entries, window)),
              "");
    EXPECT_EQ(instance->abort_checks(), 4);
    EXPECT_EQ(instance->abort_checks_on_spawned_threads(), std::get<0>(GetParam()).spawned_checks);
  }
  EXPECT_THAT(host_.complaints(), ::testing::IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(HostsAndDepths, SharedFrameTest,
                         ::testing::Combine(::testing::ValuesIn(kThreadingHosts),
                                            ::testing::Values(PixelDepth::kByte, PixelDepth::kShort,
                                                              PixelDepth::kFloat)),
                         [](const ::testing::TestParamInfo<SharedFrameTest::ParamType>& param) {
                           return std::string(std::get<0>(param.param).name) +
                                  hostsim::ofx::DepthName(std::get<1>(param.param));
                         });

}  // namespace
}  // namespace huesieve_ofx_test
