// Walks a test or a benchmark forces on the effect (core/effect_walk.h): the
// kernels of one instruction set or the lane kernel over the emulated 16-lane
// operations, in bands of a given size; and every kernel the checks judge.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/effect.h"
#include "core/effect_walk.h"
#include "core/kernel_dispatch.h"
#include "core/kernel_isa.h"
#include "core/pixel_formats.h"
#include "testing/support/emulated_kernel.h"
#include "testing/support/kernel_isas.h"

namespace huesieve::testing_support {

// `isa`'s kernels, the decision colours' included; the portable ones where
// the processor lacks it.
template <typename Format>
FrameWalk<Format> IsaWalk(KernelIsa isa, std::int64_t pixels_per_band = kPixelsPerBand) {
  return {RowKernelsOf<Format>(isa), RowKernelsOf<Rgba8>(isa), pixels_per_band};
}

// The lane kernel over the emulated 16-lane operations, which mirrors the
// AVX-512 kernel and runs anywhere.
template <typename Format>
FrameWalk<Format> EmulatedWideWalk(std::int64_t pixels_per_band = kPixelsPerBand) {
  return {RowKernels<Format>::Of(&EmulatedWideKernel<Format>),
          RowKernels<Rgba8>::Of(&EmulatedWideKernel<Rgba8>), pixels_per_band};
}

// The process's own kernels in bands of `pixels_per_band`.
template <typename Format>
FrameWalk<Format> BandedWalk(std::int64_t pixels_per_band) {
  FrameWalk<Format> walk = ProcessWalk<Format>();
  walk.pixels_per_band = pixels_per_band;
  return walk;
}

template <typename Format>
struct JudgedWalk {
  std::string name;
  FrameWalk<Format> walk;
};

// Every kernel the checks judge: each the processor runs, and the emulated
// 16-lane one.
template <typename Format>
std::vector<JudgedWalk<Format>> JudgedWalks(std::int64_t pixels_per_band = kPixelsPerBand) {
  std::vector<JudgedWalk<Format>> walks;
  for (KernelIsa isa : kAllKernelIsas) {
    if (KernelIsaRuns(isa)) {
      walks.push_back({KernelIsaName(isa), IsaWalk<Format>(isa, pixels_per_band)});
    }
  }
  walks.push_back({kEmulatedWideName, EmulatedWideWalk<Format>(pixels_per_band)});
  return walks;
}

}  // namespace huesieve::testing_support
