#include "render/selection_pass.h"

#include <algorithm>

#include "render/frame_rule.h"
#include "render/pass_kernels.h"

namespace huesieve {
namespace {

// The frame's rule lives on the stack of a render thread: keep it small.
static_assert(sizeof(FrameRule<PF_Pixel16>) < 96 * 1024);

}  // namespace

template <typename Pixel>
RowKernel<Pixel> RowKernelFor(KernelIsa isa) {
  switch (KernelIsaRuns(isa) ? isa : KernelIsa::kPortable) {
#ifdef HUESIEVE_X86_KERNELS
    case KernelIsa::kAvx512:
      return kAvx512Kernels.For<Pixel>();
    case KernelIsa::kAvx2:
      return kAvx2Kernels.For<Pixel>();
#endif
    default:
      return &PortableRow<Pixel>;
  }
}

template <typename Pixel>
SelectionBounds SelectionPass(const ImageRows<Pixel>& rows, A_long height,
                              const ColourEntryTable& table, KernelIsa isa) {
  return SelectionPass(rows, height, table, RowKernelFor<Pixel>(isa));
}

// Rows in order; the kernels report each row's first and last claimed slot.
template <typename Pixel>
SelectionBounds SelectionPass(const ImageRows<Pixel>& rows, A_long height,
                              const ColourEntryTable& table, RowKernel<Pixel> kernel) {
  FrameRule<Pixel> rule(table);
  const std::int64_t slots_per_row = rows.slots_per_row();
  bool any_claimed = false;
  std::int64_t first_row = 0;
  std::int64_t smallest_column = slots_per_row;
  std::int64_t largest_column = 0;
  std::int64_t largest_row = 0;

  for (std::int64_t row = 0; row < height; ++row) {
    const RowClaims claims = kernel(rows.RowStart(row), slots_per_row, rule);
    if (claims.first < 0) continue;
    if (!any_claimed) first_row = row;
    any_claimed = true;
    smallest_column = std::min(smallest_column, claims.first);
    largest_column = std::max(largest_column, claims.last);
    largest_row = row;
  }

  return SelectionBounds{
      static_cast<A_long>(any_claimed ? smallest_column : 0),
      static_cast<A_long>(any_claimed ? first_row : 0),
      static_cast<A_long>(largest_column + 1),
      static_cast<A_long>(largest_row + 1),
  };
}

template RowKernel<PF_Pixel> RowKernelFor(KernelIsa);
template RowKernel<PF_Pixel16> RowKernelFor(KernelIsa);
template SelectionBounds SelectionPass(const ImageRows<PF_Pixel>&, A_long, const ColourEntryTable&,
                                       KernelIsa);
template SelectionBounds SelectionPass(const ImageRows<PF_Pixel16>&, A_long,
                                       const ColourEntryTable&, KernelIsa);
template SelectionBounds SelectionPass(const ImageRows<PF_Pixel>&, A_long, const ColourEntryTable&,
                                       RowKernel<PF_Pixel>);
template SelectionBounds SelectionPass(const ImageRows<PF_Pixel16>&, A_long,
                                       const ColourEntryTable&, RowKernel<PF_Pixel16>);

}  // namespace huesieve
