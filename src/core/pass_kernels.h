// Row kernels of the selection pass, one family per instruction set. A kernel
// writes one row of pixels, `from` as the rule leaves them, into `to` (the
// same row, or another row that holds nothing yet), and reports its first and
// last claimed column; it sees plain buffers, the frame's prepared rule (read
// only, shared by every worker) and the calling worker's cell cache, nothing
// else.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/cell_cache.h"
#include "core/colour_fate.h"
#include "core/colour_rule.h"
#include "core/frame_rule.h"
#include "core/image_view.h"
#include "core/last_colour_memo.h"

namespace huesieve {

struct RowClaims {
  std::int64_t first = -1;  // -1: nothing claimed in the row
  std::int64_t last = -1;

  void Note(std::int64_t column) {
    if (first < 0) first = column;
    last = column;
  }
  // `lanes` has bit i set for a claimed pixel at base + i.
  void NoteLanes(std::int64_t base, std::uint32_t lanes) {
    if (lanes == 0) return;
    if (first < 0) first = base + __builtin_ctz(lanes);
    last = base + 31 - __builtin_clz(lanes);
  }
};

// One pixel, the plain way; also the kernels' way with row tails. `memo`
// holds the fate of the colour before. Inlined into the loops that call it,
// where the memo stays in registers, whatever the compiler's size limits.
template <typename Format>
[[gnu::always_inline]] inline bool ApplyRuleToPixel(std::byte* pixel, const FrameRule<Format>& rule,
                                                    CellCache& cache,
                                                    LastColourMemo<ColourFate>& memo) {
  const ColourFate fate =
      memo.For(ColourOf<Format>(LoadPixel<Format>(pixel)),
               [&rule, &cache](Rgb8 colour) { return rule.Fate(cache, colour); });
  ApplyFate<Format>(pixel, fate);
  return (fate & kFateClaimed) != 0;
}

template <typename Format>
using RowKernel = RowClaims (*)(const std::byte* from, std::byte* to, std::int64_t pixels,
                                const FrameRule<Format>& rule, CellCache& cache);

template <typename Format>
RowClaims PortableRow(const std::byte* from, std::byte* to, std::int64_t pixels,
                      const FrameRule<Format>& rule, CellCache& cache);

#if defined(__x86_64__) || defined(__i386__)
#define HUESIEVE_X86_KERNELS 1
// The lane kernel (lane_kernel.h) on each instruction set.
template <typename Format>
RowKernel<Format> Avx2RowKernel();
template <typename Format>
RowKernel<Format> Avx512RowKernel();
#endif

#ifdef __wasm_simd128__
#define HUESIEVE_WASM_KERNELS 1
template <typename Format>
RowKernel<Format> WasmSimdRowKernel();
#endif

}  // namespace huesieve
