// Threaded rendering: the module declares that the host may run Render on
// several threads at once. Eight threads render distinct frames through one
// loaded module and one host, many times over, and every result must equal the
// single-threaded result for the same frame, which itself must equal the plain
// model of a render. Run under ThreadSanitizer, this also proves the calls
// share no mutable state.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "entry/effect_main.h"
#include "testing/hostsim/strict_host.h"
#include "params/param_layout.h"
#include "testing/reference/plain_render.h"
#include "testing/support/colour_entry_params.h"
#include "testing/hostsim/world.h"

namespace {

using hostsim::Depth;
using hostsim::World;

constexpr int kThreads = 8;
constexpr int kRendersPerThread = 24;
constexpr int kFrames = 16;

struct Frame {
  World input;
  World output;
};

// Frame f: its own size, depth, stride (some padded, some odd, some
// bottom-up) and content, drawn from a small deterministic generator.
Frame MakeFrame(int f) {
  const Depth depth = f % 2 == 0 ? Depth::k8 : Depth::k16;
  const A_long pixel_size = depth == Depth::k16 ? 8 : 4;
  const A_long width = 20 + 3 * f;
  const A_long height = 12 + 2 * f;
  A_long rowbytes = width * pixel_size + (f % 4) * 3;
  if (f % 3 == 2) rowbytes = -rowbytes;
  World input(depth, width, height, rowbytes);
  std::uint32_t state = 2463534242u + static_cast<std::uint32_t>(f);
  const auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  for (A_long row = 0; row < height; ++row) {
    for (A_long column = 0; column < input.slots_per_row(); ++column) {
      // Channels cluster around the entry colours so that every outcome occurs.
      const std::uint32_t bits = next();
      const int base = static_cast<int>(bits % 3) * 120;
      const auto channel = [&](int shift) { return base + static_cast<int>((bits >> shift) % 24); };
      if (depth == Depth::k8) {
        input.Set(column, row,
                  PF_Pixel{static_cast<A_u_char>(bits >> 24), static_cast<A_u_char>(channel(2)),
                           static_cast<A_u_char>(channel(7)), static_cast<A_u_char>(channel(12))});
      } else {
        input.Set(
            column, row,
            PF_Pixel16{static_cast<A_u_short>(bits >> 17), static_cast<A_u_short>(channel(2) * 128),
                       static_cast<A_u_short>(channel(7) * 128),
                       static_cast<A_u_short>(channel(12) * 128)});
      }
    }
  }
  World output(depth, width, height, rowbytes);
  return {input, output};
}

class ConcurrentRenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(host_.ParamsSetup(), PF_Err_NONE);
    values_.master = 1;
    values_.entries[0] = {1, PF_Pixel{255, 10, 10, 10}, 20.0, 40.0};
    values_.entries[1] = {0, PF_Pixel{255, 130, 130, 130}, 8.0, 0.0};
    values_.entries[2] = {1, PF_Pixel{255, 125, 125, 125}, 30.0, 100.0};
    values_.entries[3] = {1, PF_Pixel{255, 250, 250, 250}, 15.5, 12.5};
    host_.param(huesieve::kEnableEffectSlot).u.bd.value = values_.master;
    for (int k = 0; k < huesieve::kColourEntryCount; ++k) {
      const plain_reference::SliderEntry& entry = values_.entries[static_cast<std::size_t>(k)];
      huesieve_test::SetColourEntry(host_, k, entry.enable, entry.colour, entry.range,
                                    entry.softness);
    }
  }

  hostsim::StrictHost host_{&EffectMain};
  plain_reference::FrameValues values_;
};

TEST_F(ConcurrentRenderTest, EightThreadsRenderEveryFrameAsOneThreadDoes) {
  std::vector<Frame> sources;
  std::vector<Frame> expected;
  for (int f = 0; f < kFrames; ++f) {
    sources.push_back(MakeFrame(f));
    Frame single = sources.back();
    ASSERT_EQ(host_.Render(single.input, single.output), PF_Err_NONE);
    Frame model = sources.back();
    ASSERT_EQ(plain_reference::ExpectedRender(model.input.def(), model.output.def(), values_, {}),
              PF_Err_NONE);
    ASSERT_EQ(single.input.storage(), model.input.storage()) << "frame " << f;
    ASSERT_EQ(single.output.storage(), model.output.storage()) << "frame " << f;
    expected.push_back(single);
  }

  // No assertion inside the threads: each counts its own mismatches.
  std::atomic<int> mismatches{0};
  std::atomic<int> renders{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRendersPerThread; ++i) {
        const std::size_t f = static_cast<std::size_t>((t * 5 + i) % kFrames);
        Frame frame = sources[f];
        const PF_Err err = host_.Render(frame.input, frame.output);
        const bool same = err == PF_Err_NONE &&
                          frame.input.storage() == expected[f].input.storage() &&
                          frame.output.storage() == expected[f].output.storage();
        if (!same) ++mismatches;
        ++renders;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(renders.load(), kThreads * kRendersPerThread);
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
