// Row kernels of the selection pass, one family per instruction set. A kernel
// rewrites one row of slots in place and reports its first and last claimed
// column; it sees a plain buffer and the frame's prepared rule, nothing else.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/pf_types.h"
#include "render/frame_rule.h"

namespace huesieve {

struct RowClaims {
  std::int64_t first = -1;  // -1: nothing claimed in the row
  std::int64_t last = -1;

  void Note(std::int64_t column) {
    if (first < 0) first = column;
    last = column;
  }
  // `lanes` has bit i set for a claimed slot at base + i.
  void NoteLanes(std::int64_t base, std::uint32_t lanes) {
    if (lanes == 0) return;
    if (first < 0) first = base + __builtin_ctz(lanes);
    last = base + 31 - __builtin_clz(lanes);
  }
};

// The previous colour's fate: footage has long runs of one colour, and a run
// costs one lookup.
template <typename Pixel>
class FateMemo {
 public:
  explicit FateMemo(FrameRule<Pixel>& rule) : rule_(rule) {}

  ColourFate Fate(std::int32_t red, std::int32_t green, std::int32_t blue) {
    const auto key = static_cast<std::uint32_t>((red << 16) | (green << 8) | blue);
    if (key != key_) {
      key_ = key;
      fate_ = rule_.Fate(red, green, blue);
    }
    return fate_;
  }

 private:
  FrameRule<Pixel>& rule_;
  std::uint32_t key_ = ~0u;  // no colour
  ColourFate fate_ = 0;
};

// One slot, the plain way; also the kernels' way with row tails.
template <typename Pixel>
bool ApplyRuleToSlot(std::byte* slot, FateMemo<Pixel>& memo) {
  Pixel pixel;
  std::memcpy(&pixel, slot, sizeof pixel);
  ColourFate fate;
  if constexpr (sizeof(Pixel) == 8) {
    fate = memo.Fate(ToByteScale(pixel.red), ToByteScale(pixel.green), ToByteScale(pixel.blue));
  } else {
    fate = memo.Fate(pixel.red, pixel.green, pixel.blue);
  }
  ApplyFate<Pixel>(slot, fate);
  return (fate & kFateClaimed) != 0;
}

template <typename Pixel>
using RowKernel = RowClaims (*)(std::byte* row, std::int64_t slots, FrameRule<Pixel>& rule);

template <typename Pixel>
RowClaims PortableRow(std::byte* row, std::int64_t slots, FrameRule<Pixel>& rule);

// The lane kernel (lane_kernel.h) for one instruction set, at both depths.
struct LaneKernels {
  RowKernel<PF_Pixel> eight;
  RowKernel<PF_Pixel16> sixteen;

  template <typename Pixel>
  constexpr RowKernel<Pixel> For() const {
    if constexpr (sizeof(Pixel) == 8) {
      return sixteen;
    } else {
      return eight;
    }
  }
};

#if defined(__x86_64__) || defined(__i386__)
#define HUESIEVE_X86_KERNELS 1
extern const LaneKernels kAvx2Kernels;
extern const LaneKernels kAvx512Kernels;
#endif

}  // namespace huesieve
