#include "core/selection_pass.h"

#include "core/frame_rule.h"
#include "core/pixel_format_list.h"

namespace huesieve {
namespace {

// The frame's rule and a worker's cell cache live on the stack of a render
// thread: keep them small.
static_assert(sizeof(FrameRule<Argb16>) + sizeof(CellCache) < 96 * 1024);

}  // namespace

template <typename Format>
RowKernel<Format> RowKernelFor(KernelIsa isa, const RuleModes& modes) {
  switch (KernelIsaRuns(isa) ? isa : KernelIsa::kPortable) {
#ifdef HUESIEVE_X86_KERNELS
    case KernelIsa::kAvx512:
      return Avx512RowKernel<Format>(modes);
    case KernelIsa::kAvx2:
      return Avx2RowKernel<Format>(modes);
#endif
#ifdef HUESIEVE_WASM_KERNELS
    case KernelIsa::kWasmSimd:
      return WasmSimdRowKernel<Format>(modes);
#endif
    default:
      return PortableRowKernel<Format>(modes);
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
  const auto row_of = [&image](std::int64_t row) { return image.Row(row); };
  return SelectionPassByRow<Format>(image.pixels_per_row, image.rows, table, kernel, row_of, row_of,
                                    [](std::int64_t, std::byte*) {});
}

#define HUESIEVE_INSTANTIATE(Format)                                                            \
  template RowKernel<Format> RowKernelFor<Format>(KernelIsa, const RuleModes&);                \
  template SelectionBounds SelectionPass<Format>(const ImageView&, const ColourEntryTable&,     \
                                                 KernelIsa);                                    \
  template SelectionBounds SelectionPass<Format>(const ImageView&, const ColourEntryTable&,     \
                                                 RowKernel<Format>);
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve
