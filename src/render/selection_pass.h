// The walk over the input: applies the colour rule to every slot in place and
// finds the rectangle of claimed slots. The outcome, pixel for pixel and in
// the bounds, is that of MatchPixel applied to every slot in buffer order; the
// rule is prepared once per frame and run by a kernel chosen for the
// processor.
#pragma once

#include "host/pf_types.h"
#include "render/colour_entry_table.h"
#include "render/image_rows.h"
#include "render/kernel_isa.h"
#include "render/pass_kernels.h"

namespace huesieve {

// Field order of the host's PF_Rect. `right` and `bottom` lie one past the
// last claimed column and row; with nothing claimed the rectangle is
// (0, 0, 1, 1), which the markers draw as a 2 × 2 square at the top left.
using SelectionBounds = PF_Rect;

// Every slot of a row is walked, the padding past the image width included:
// the walk is bounded by the stride, and padding slots are judged like pixels.
// `isa` must be one the processor runs (KernelIsaRuns); the render passes
// BestKernelIsa(), the tests every kernel in turn.
template <typename Pixel>
SelectionBounds SelectionPass(const ImageRows<Pixel>& rows, A_long height,
                              const ColourEntryTable& table, KernelIsa isa);

// The row kernel of `isa`, or the portable one where the processor lacks it.
template <typename Pixel>
RowKernel<Pixel> RowKernelFor(KernelIsa isa);

// The same walk with a given row kernel, for tests of kernels the module
// does not choose itself.
template <typename Pixel>
SelectionBounds SelectionPass(const ImageRows<Pixel>& rows, A_long height,
                              const ColourEntryTable& table, RowKernel<Pixel> kernel);

extern template SelectionBounds SelectionPass(const ImageRows<PF_Pixel>&, A_long,
                                              const ColourEntryTable&, KernelIsa);
extern template SelectionBounds SelectionPass(const ImageRows<PF_Pixel16>&, A_long,
                                              const ColourEntryTable&, KernelIsa);
extern template RowKernel<PF_Pixel> RowKernelFor(KernelIsa);
extern template RowKernel<PF_Pixel16> RowKernelFor(KernelIsa);
extern template SelectionBounds SelectionPass(const ImageRows<PF_Pixel>&, A_long,
                                              const ColourEntryTable&, RowKernel<PF_Pixel>);
extern template SelectionBounds SelectionPass(const ImageRows<PF_Pixel16>&, A_long,
                                              const ColourEntryTable&, RowKernel<PF_Pixel16>);

}  // namespace huesieve
