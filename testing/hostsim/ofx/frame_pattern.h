// A reproducible pattern for an image's pixels, the same bytes on every
// platform: the tests, the loader and later benchmarks fill their sources
// with it. Float samples stay in [0, 1); padding and guards keep their poison.
#pragma once

#include <cstdint>

#include "testing/hostsim/ofx/image.h"

namespace hostsim::ofx {

void FillPattern(Image& image, std::uint32_t seed);

}  // namespace hostsim::ofx
