// Row kernels of the selection pass, one family per instruction set. A kernel
// writes one row of pixels, `from` as the rule leaves them, into `to` (the
// same row, or another row that holds nothing yet), and reports its first and
// last claimed column; it sees plain buffers and the frame's prepared rule,
// nothing else.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/colour_rule.h"
#include "core/frame_rule.h"
#include "core/image_view.h"

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

// The previous colour's fate: footage has long runs of one colour, and a run
// costs one lookup.
template <typename Format>
class FateMemo {
 public:
  explicit FateMemo(FrameRule<Format>& rule) : rule_(rule) {}

  ColourFate Fate(Rgb8 colour) {
    const auto key = static_cast<std::uint32_t>(colour.red << 16 | colour.green << 8 | colour.blue);
    if (key != key_) {
      key_ = key;
      fate_ = rule_.Fate(colour.red, colour.green, colour.blue);
    }
    return fate_;
  }

 private:
  FrameRule<Format>& rule_;
  std::uint32_t key_ = ~0u;  // no colour
  ColourFate fate_ = 0;
};

// One pixel, the plain way; also the kernels' way with row tails.
template <typename Format>
bool ApplyRuleToPixel(std::byte* pixel, FateMemo<Format>& memo) {
  const ColourFate fate = memo.Fate(ColourOf<Format>(LoadPixel<Format>(pixel)));
  ApplyFate<Format>(pixel, fate);
  return (fate & kFateClaimed) != 0;
}

template <typename Format>
using RowKernel = RowClaims (*)(const std::byte* from, std::byte* to, std::int64_t pixels,
                                FrameRule<Format>& rule);

template <typename Format>
RowClaims PortableRow(const std::byte* from, std::byte* to, std::int64_t pixels,
                      FrameRule<Format>& rule);

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
