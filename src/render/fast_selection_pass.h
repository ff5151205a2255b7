// The selection pass as the render runs it: the same outcome, pixel for pixel
// and in the bounds, as SelectionPass applying MatchPixel to every slot, with
// the rule prepared once per frame and a kernel chosen for the processor.
#pragma once

#include "host/pf_types.h"
#include "render/colour_entry_table.h"
#include "render/image_rows.h"
#include "render/kernel_isa.h"
#include "render/selection_pass.h"

namespace huesieve {

// `isa` must be one the processor runs (KernelIsaRuns); the render passes
// BestKernelIsa(), the tests every kernel in turn.
template <typename Pixel>
SelectionBounds FastSelectionPass(const ImageRows<Pixel>& rows, A_long height,
                                  const ColourEntryTable& table, KernelIsa isa);

extern template SelectionBounds FastSelectionPass(const ImageRows<PF_Pixel>&, A_long,
                                                  const ColourEntryTable&, KernelIsa);
extern template SelectionBounds FastSelectionPass(const ImageRows<PF_Pixel16>&, A_long,
                                                  const ColourEntryTable&, KernelIsa);

}  // namespace huesieve
