// Times the tuner's render natively, through the same entry point the
// browser's worker calls, so that scripts/bench-web.sh can set the
// WebAssembly core beside the native one on the same frame and key.
// Usage: huesieve_tuner_core_timing FRAME.png RUNS RRGGBB:RANGE:SOFTNESS[:off]...
// Prints the median milliseconds of a render and the kernel that ran.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <vector>

#include "core/kernel_isa.h"
#include "effect/effect_settings.h"
#include "image/frame_buffer.h"
#include "image/image_files.h"
#include "testing/support/kernel_isas.h"
#include "web/wasm/tuner_core.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FRAME.png RUNS RRGGBB:RANGE:SOFTNESS[:off]...\n", argv[0]);
    return 2;
  }
  huesieve::image::FrameBuffer image;
  try {
    huesieve::image::ReadImageFile(argv[1], huesieve::image::kDefaultMaxPixels, image);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  if (image.type() != huesieve::image::SampleType::kUint8) {
    std::fprintf(stderr, "%s: an 8-bit image is timed\n", argv[1]);
    return 2;
  }
  const int runs = std::atoi(argv[2]);
  huesieve::ControlSettings controls;
  controls.enable_effect = true;
  for (int k = 0; k + 3 < argc && k < huesieve::kColourEntryCount; ++k) {
    unsigned colour = 0;
    double range = 0;
    double softness = 0;
    if (std::sscanf(argv[k + 3], "%6x:%lf:%lf", &colour, &range, &softness) != 3) return 2;
    const bool off = std::strstr(argv[k + 3], ":off") != nullptr;
    controls.entries[static_cast<std::size_t>(k)] = {
        !off,
        {static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8 & 0xFF),
         static_cast<std::uint8_t>(colour & 0xFF)},
        range,
        softness};
  }
  const huesieve::EffectSettings settings = huesieve::ToEffectSettings(controls);

  std::vector<std::uint8_t> source(image.image_bytes());
  std::memcpy(source.data(), image.View().first_row, source.size());
  std::vector<std::uint8_t> result(source.size());
  std::int32_t bounds[4];
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    huesieve_render(source.data(), result.data(), static_cast<std::int32_t>(image.width()),
                    static_cast<std::int32_t>(image.height()), &settings, 0, bounds, 0, 1);
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(times.begin(), times.end());
  std::printf("%.3f %s\n", times[times.size() / 2],
              huesieve::KernelIsaName(huesieve::BestKernelIsa()));
  return 0;
}
