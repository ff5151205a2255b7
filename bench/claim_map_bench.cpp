// The tuner's claim map at 1920 × 1080, as the page asks for it after each
// change of an entry: the natural frame as 8-bit RGBA, and as a linear float
// plate judged sRGB-encoded (whose display view is the frame, so the same
// pixels claim). Ten entries, the one that claims the upper sky last.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "core/claim_map.h"
#include "core/colour_entry_table.h"
#include "core/effect.h"
#include "core/image_view.h"
#include "core/pixel_formats.h"
#include "testing/hostsim/frame_generator.h"
#include "testing/hostsim/world.h"

namespace {

constexpr A_long kWidth = 1920;
constexpr A_long kHeight = 1080;

huesieve::ColourEntryTable Entries() {
  constexpr huesieve::Rgb8 kColours[] = {{255, 0, 255}, {0, 255, 0},   {255, 0, 0},
                                          {0, 0, 255},   {255, 255, 0}, {0, 255, 255},
                                          {128, 0, 128}, {0, 128, 0},   {255, 128, 255},
                                          {95, 140, 207}};
  huesieve::ColourEntryTable table;
  table.count = huesieve::kMaxColourEntries;
  for (std::size_t k = 0; k < std::size(kColours); ++k) {
    table.enabled[k] = 1;
    table.colours[k] = kColours[k];
    table.ranges[k] = k + 1 < std::size(kColours) ? 30.0f + 3.0f * float(k) : 100.0f;
    table.softness[k] = k + 1 < std::size(kColours) ? 20.0f + 3.0f * float(k) : 40.0f;
  }
  return table;
}

// The generated frame's samples as the tuner holds them: red, green, blue,
// alpha, each made by `sample` from the 8-bit value.
template <typename Sample, typename Make>
std::vector<Sample> TunerFrame(Make sample) {
  hostsim::World world(hostsim::Depth::k8, kWidth, kHeight);
  hostsim::GenerateFrame(world, hostsim::FrameKind::kNatural, 7);
  std::vector<Sample> samples;
  samples.reserve(std::size_t{kWidth} * kHeight * 4);
  for (A_long row = 0; row < kHeight; ++row) {
    for (A_long column = 0; column < kWidth; ++column) {
      const PF_Pixel p = world.Get<PF_Pixel>(column, row);
      for (A_u_char value : {p.red, p.green, p.blue, p.alpha}) samples.push_back(sample(value));
    }
  }
  return samples;
}

template <typename Format, typename Sample>
void MapFrames(benchmark::State& state, std::vector<Sample>& frame, huesieve::JudgeColours judge) {
  const huesieve::ColourEntryTable table = Entries();
  std::vector<std::uint8_t> codes(std::size_t{kWidth} * kHeight);
  const huesieve::ImageView view{reinterpret_cast<std::byte*>(frame.data()),
                                 std::int64_t{kWidth} * 4 * std::int64_t{sizeof(Sample)}, kWidth,
                                 kHeight};
  for (auto _ : state) {
    benchmark::DoNotOptimize(huesieve::MapClaims<Format>(
        view, table, judge, huesieve::AlphaMode::kStraight, codes.data()));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kWidth * kHeight);
}

void ClaimMap8(benchmark::State& state) {
  static std::vector<std::uint8_t> frame =
      TunerFrame<std::uint8_t>([](A_u_char value) { return value; });
  MapFrames<huesieve::Rgba8>(state, frame, huesieve::JudgeColours::kAsStored);
}

void ClaimMapFloat(benchmark::State& state) {
  static std::vector<float> frame = TunerFrame<float>([](A_u_char value) {
    const double encoded = value / 255.0;
    return static_cast<float>(encoded <= 0.04045 ? encoded / 12.92
                                                 : std::pow((encoded + 0.055) / 1.055, 2.4));
  });
  MapFrames<huesieve::RgbaFloat>(state, frame, huesieve::JudgeColours::kSrgbEncoded);
}

BENCHMARK(ClaimMap8)->Name("ClaimMap8/natural/size:1920x1080/entries:10")->Unit(benchmark::kMillisecond);
BENCHMARK(ClaimMapFloat)
    ->Name("ClaimMapFloat/natural/size:1920x1080/entries:10/judge:srgb")
    ->Unit(benchmark::kMillisecond);

}  // namespace
