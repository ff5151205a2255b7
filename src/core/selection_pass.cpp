#include "core/selection_pass.h"

#include <algorithm>

#include "core/frame_rule.h"
#include "core/pixel_format_list.h"

namespace huesieve {
namespace {

// The frame's rule lives on the stack of a render thread: keep it small.
static_assert(sizeof(FrameRule<Argb16>) < 96 * 1024);

}  // namespace

template <typename Format>
RowKernel<Format> RowKernelFor(KernelIsa isa) {
  switch (KernelIsaRuns(isa) ? isa : KernelIsa::kPortable) {
#ifdef HUESIEVE_X86_KERNELS
    case KernelIsa::kAvx512:
      return Avx512RowKernel<Format>();
    case KernelIsa::kAvx2:
      return Avx2RowKernel<Format>();
#endif
#ifdef HUESIEVE_WASM_KERNELS
    case KernelIsa::kWasmSimd:
      return WasmSimdRowKernel<Format>();
#endif
    default:
      return &PortableRow<Format>;
  }
}

template <typename Format>
SelectionBounds SelectionPass(const ImageView& image, const ColourEntryTable& table,
                              KernelIsa isa) {
  return SelectionPass(image, table, RowKernelFor<Format>(isa));
}

// Rows in order; the kernels report each row's first and last claimed pixel.
template <typename Format>
SelectionBounds SelectionPass(const ImageView& image, const ColourEntryTable& table,
                              RowKernel<Format> kernel) {
  FrameRule<Format> rule(table);
  bool any_claimed = false;
  std::int64_t first_row = 0;
  std::int64_t smallest_column = image.pixels_per_row;
  std::int64_t largest_column = 0;
  std::int64_t largest_row = 0;

  for (std::int64_t row = 0; row < image.rows; ++row) {
    const RowClaims claims = kernel(image.Row(row), image.pixels_per_row, rule);
    if (claims.first < 0) continue;
    if (!any_claimed) first_row = row;
    any_claimed = true;
    smallest_column = std::min(smallest_column, claims.first);
    largest_column = std::max(largest_column, claims.last);
    largest_row = row;
  }

  return SelectionBounds{
      static_cast<std::int32_t>(any_claimed ? smallest_column : 0),
      static_cast<std::int32_t>(any_claimed ? first_row : 0),
      static_cast<std::int32_t>(largest_column + 1),
      static_cast<std::int32_t>(largest_row + 1),
  };
}

#define HUESIEVE_INSTANTIATE(Format)                                                            \
  template RowKernel<Format> RowKernelFor<Format>(KernelIsa);                                   \
  template SelectionBounds SelectionPass<Format>(const ImageView&, const ColourEntryTable&,     \
                                                 KernelIsa);                                    \
  template SelectionBounds SelectionPass<Format>(const ImageView&, const ColourEntryTable&,     \
                                                 RowKernel<Format>);
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve
