// The walk over a picture: applies the colour rule to every pixel in place and
// finds the rectangle of claimed pixels. The outcome, pixel for pixel and in
// the bounds, is that of the rule applied to every pixel in reading order; the
// rule is prepared once per frame and run by a kernel chosen for the
// processor.
#pragma once

#include "core/colour_entry_table.h"
#include "core/image_view.h"
#include "core/kernel_isa.h"
#include "core/pass_kernels.h"
#include "core/selection_bounds.h"

namespace huesieve {

// `isa` must be one the processor runs (KernelIsaRuns); a host passes
// BestKernelIsa(), the tests every kernel in turn.
template <typename Format>
SelectionBounds SelectionPass(const ImageView& image, const ColourEntryTable& table,
                              KernelIsa isa);

// The row kernel of `isa`, or the portable one where the processor lacks it.
template <typename Format>
RowKernel<Format> RowKernelFor(KernelIsa isa);

// The same walk with a given row kernel, for tests of kernels no host
// chooses.
template <typename Format>
SelectionBounds SelectionPass(const ImageView& image, const ColourEntryTable& table,
                              RowKernel<Format> kernel);

}  // namespace huesieve
