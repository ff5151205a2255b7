// Row kernels of the effect's walk, one family per instruction set. A kernel
// writes one row of pixels, `from` as the rule leaves them, into `to` (the
// same row, or another row that holds nothing yet), and reports its first and
// last claimed column; it sees plain buffers, the frame's prepared rule (read
// only, shared by every worker) and the calling worker's cell cache, nothing
// else. Each kernel is compiled for the rule's modes (rule_modes.h) as they
// apply to straight pixels; the plain rule's kernels are those of old.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core/cell_cache.h"
#include "core/colour_outcome.h"
#include "core/colour_rule.h"
#include "core/frame_rule.h"
#include "core/image_view.h"
#include "core/last_colour_memo.h"
#include "core/modal_pixels.h"
#include "core/rule_modes.h"
#include "core/srgb_decision.h"

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

// A straight pixel's decision colour as `kJudge` says (`srgb` is read only
// when judged sRGB-encoded).
template <typename Format, JudgeColours kJudge>
[[gnu::always_inline]] inline Rgb8 DecisionColour(const typename Format::Pixel& pixel,
                                                  const SrgbDecisionTables* srgb) {
  if constexpr (kJudge == JudgeColours::kSrgbEncoded) {
    return {static_cast<std::uint8_t>(SrgbByteScale<Format>(*srgb, pixel[Format::kRed])),
            static_cast<std::uint8_t>(SrgbByteScale<Format>(*srgb, pixel[Format::kGreen])),
            static_cast<std::uint8_t>(SrgbByteScale<Format>(*srgb, pixel[Format::kBlue]))};
  } else {
    return ColourOf<Format>(pixel);
  }
}

// One straight pixel, the plain way; also the kernels' way with row tails.
// `memo` holds the outcome of the colour before. Inlined into the loops that
// call it, where the memo stays in registers, whatever the compiler's size
// limits.
template <typename Format, RuleModes kModes = RuleModes{}>
[[gnu::always_inline]] inline bool ApplyRuleToPixel(std::byte* pixel, const FrameRule<Format>& rule,
                                                    CellCache& cache,
                                                    LastColourMemo<ColourOutcome>& memo,
                                                    const SrgbDecisionTables* srgb = nullptr) {
  const auto find = [&rule, &cache](Rgb8 colour) { return rule.Outcome(cache, colour); };
  if constexpr (IsPlainRule(kModes)) {
    const ColourOutcome outcome = memo.For(ColourOf<Format>(LoadPixel<Format>(pixel)), find);
    ApplyOutcome<Format>(pixel, outcome);
    return (outcome & kOutcomeClaimed) != 0;
  } else {
    const typename Format::Pixel source = LoadPixel<Format>(pixel);
    const ColourOutcome outcome =
        memo.For(DecisionColour<Format, kModes.judge>(source, srgb), find);
    StorePixel<Format>(pixel,
                       ModalOutcome<Format>(source, source, outcome, false, kModes.feathered));
    return (outcome & kOutcomeClaimed) != 0;
  }
}

template <typename Format>
using RowKernel = RowClaims (*)(const std::byte* from, std::byte* to, std::int64_t pixels,
                                const FrameRule<Format>& rule, CellCache& cache);

// A kernel's modes as a type, so that a kernel of each may be picked at run
// time: `pick(ModesConstant<kModes>{})` gives the kernel compiled for kModes.
template <RuleModes kModes>
using ModesConstant = std::integral_constant<RuleModes, kModes>;

template <typename Format, typename Pick>
RowKernel<Format> KernelForModes(const RuleModes& modes, Pick pick) {
  static constexpr RuleModes kSrgb{JudgeColours::kSrgbEncoded, FeatheredAlpha::kReplaces};
  static constexpr RuleModes kFades{JudgeColours::kAsStored, FeatheredAlpha::kFades};
  static constexpr RuleModes kBoth{JudgeColours::kSrgbEncoded, FeatheredAlpha::kFades};
  if (modes == kSrgb) return pick(ModesConstant<kSrgb>{});
  if (modes == kFades) return pick(ModesConstant<kFades>{});
  if (modes == kBoth) return pick(ModesConstant<kBoth>{});
  return pick(ModesConstant<RuleModes{}>{});
}

// One pixel at a time.
template <typename Format>
RowKernel<Format> PortableRowKernel(const RuleModes& modes);

#if defined(__x86_64__) || defined(__i386__)
#define HUESIEVE_X86_KERNELS 1
// The lane kernel (lane_kernel.h) on each instruction set.
template <typename Format>
RowKernel<Format> Avx2RowKernel(const RuleModes& modes);
template <typename Format>
RowKernel<Format> Avx512RowKernel(const RuleModes& modes);
#endif

#ifdef __wasm_simd128__
#define HUESIEVE_WASM_KERNELS 1
template <typename Format>
RowKernel<Format> WasmSimdRowKernel(const RuleModes& modes);
#endif

}  // namespace huesieve
