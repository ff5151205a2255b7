// The walk over a picture: applies the colour rule to every pixel in place and
// finds the rectangle of claimed pixels. The outcome, pixel for pixel and in
// the bounds, is that of the rule applied to every pixel in reading order; the
// rule is prepared once per frame and run by a kernel chosen for the
// processor.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/cell_cache.h"
#include "core/colour_entry_table.h"
#include "core/frame_rule.h"
#include "core/image_view.h"
#include "core/kernel_isa.h"
#include "core/pass_kernels.h"
#include "core/rule_modes.h"
#include "core/selection_bounds.h"

namespace huesieve {

// `isa` must be one the processor runs (KernelIsaRuns); a host passes
// BestKernelIsa(), the tests every kernel in turn.
template <typename Format>
SelectionBounds SelectionPass(const ImageView& image, const ColourEntryTable& table,
                              KernelIsa isa);

// The row kernel of `isa`, or the portable one where the processor lacks it,
// compiled for `modes` as they apply to straight pixels.
template <typename Format>
RowKernel<Format> RowKernelFor(KernelIsa isa, const RuleModes& modes = {});

// The same walk with a given row kernel, for tests of kernels no host
// chooses.
template <typename Format>
SelectionBounds SelectionPass(const ImageView& image, const ColourEntryTable& table,
                              RowKernel<Format> kernel);

// Rows `first` to `last`, the last not included.
struct RowBand {
  std::int64_t first = 0;
  std::int64_t last = 0;
};

// The walk over one band of a picture's rows, for a host that shares a frame
// between workers: rows are read, written and finished as SelectionPassByRow
// does, numbered as in the whole picture. `rule` is prepared once for the
// frame and only read, by every worker at once; `cache` is the calling
// worker's own, made from rule.cells() and kept for every band it walks of
// that frame. Returns the band's claimed rectangle: the rectangles of bands
// that cover the picture, merged (ClaimedRectangle::Merge), give the bounds of
// the walk over the whole picture.
template <typename Format, typename SourceRow, typename TargetRow, typename FinishRow>
ClaimedRectangle SelectionPassBand(const FrameRule<Format>& rule, CellCache& cache,
                                   RowKernel<Format> kernel, std::int64_t pixels_per_row,
                                   RowBand band, SourceRow source_row, TargetRow target_row,
                                   FinishRow finish_row) {
  ClaimedRectangle rectangle(pixels_per_row);
  for (std::int64_t row = band.first; row < band.last; ++row) {
    const std::byte* from = source_row(row);
    std::byte* to = target_row(row);
    const RowClaims claims = kernel(from, to, pixels_per_row, rule, cache);
    finish_row(row, to);
    if (claims.first >= 0) rectangle.NoteRow(row, claims.first, claims.last);
  }
  return rectangle;
}

// The walk over a picture that is read and written row by row as it goes:
// row `row` is read from where `source_row(row)` says, written as the rule
// leaves it where `target_row(row)` says (the same place, or another that
// holds nothing yet), then `finish_row(row, target)` runs while the row is
// still in the cache. A host that renders into another image than its input
// walks it this way rather than copying the whole frame before the pass,
// which reads and writes every pixel once less from memory.
template <typename Format, typename SourceRow, typename TargetRow, typename FinishRow>
SelectionBounds SelectionPassByRow(std::int64_t pixels_per_row, std::int64_t rows,
                                   const ColourEntryTable& table, RowKernel<Format> kernel,
                                   SourceRow source_row, TargetRow target_row,
                                   FinishRow finish_row) {
  const FrameRule<Format> rule(table);
  CellCache cache(rule.cells());
  return SelectionPassBand<Format>(rule, cache, kernel, pixels_per_row, RowBand{0, rows},
                                   source_row, target_row, finish_row)
      .Bounds();
}

template <typename Format, typename SourceRow, typename TargetRow, typename FinishRow>
SelectionBounds SelectionPassByRow(std::int64_t pixels_per_row, std::int64_t rows,
                                   const ColourEntryTable& table, KernelIsa isa,
                                   SourceRow source_row, TargetRow target_row,
                                   FinishRow finish_row) {
  return SelectionPassByRow<Format>(pixels_per_row, rows, table, RowKernelFor<Format>(isa),
                                    source_row, target_row, finish_row);
}

}  // namespace huesieve
