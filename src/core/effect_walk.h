// The walk under the effect call, for the core itself and for what forces a
// kernel or a band size (tests, benchmarks, the tuner's portable switch for
// its measurements); the hosts' options (RenderOptions) carry neither.
// RenderEffect walks every frame with the process's choice.
#pragma once

#include <cstdint>
#include <optional>

#include "core/colour_entry_table.h"
#include "core/effect.h"
#include "core/image_view.h"
#include "core/kernel_dispatch.h"
#include "core/pixel_formats.h"
#include "core/rule_modes.h"
#include "core/selection_bounds.h"

namespace huesieve {

// How a frame is walked: the row kernels, the 8-bit ones that judge the
// decision colours of premultiplied frames whose feather bands fade, and
// the size of a band of rows.
template <typename Format>
struct FrameWalk {
  RowKernels<Format> kernels;
  RowKernels<Rgba8> decision_kernels;
  std::int64_t pixels_per_band = kPixelsPerBand;
};

// The fastest kernels this processor runs, in bands of kPixelsPerBand.
template <typename Format>
FrameWalk<Format> ProcessWalk() {
  return {BestRowKernels<Format>(), BestRowKernels<Rgba8>()};
}

// JudgeIntoWindow and RenderEffect (core/effect.h) on `walk`.
template <typename Format>
std::optional<SelectionBounds> JudgeIntoWindow(const FrameWalk<Format>& walk,
                                               const ImageView& source, const ImageView& target,
                                               const ColourEntryTable& entries,
                                               const RuleModes& modes,
                                               const RenderOptions& options);

template <typename Format>
EffectOutcome RenderEffect(const FrameWalk<Format>& walk, const ImageView& source,
                           const ImageView& target, const EffectSettings& settings,
                           const RenderOptions& options = {});

}  // namespace huesieve
