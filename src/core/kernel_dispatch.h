// Which row kernel runs: for each pixel format, instruction set and rule
// mode, chosen once per process on first use and remembered, as Highway's
// dynamic dispatch does. The tables are built under the language's
// thread-safe initialisation of function-local statics and only read after.
#pragma once

#include <array>
#include <cstddef>

#include "core/kernel_isa.h"
#include "core/pass_kernels.h"
#include "core/rule_modes.h"

namespace huesieve {

// One instruction set's row kernels, one compiled for each of the rule's
// modes.
template <typename Format>
class RowKernels {
 public:
  // `kernel_of(modes)` gives the kernel compiled for `modes`.
  template <typename KernelOf>
  static RowKernels Of(KernelOf kernel_of) {
    RowKernels kernels;
    for (std::size_t index = 0; index < kModes; ++index) {
      kernels.by_modes_[index] = kernel_of(
          RuleModes{(index & 1) != 0 ? JudgeColours::kSrgbEncoded : JudgeColours::kAsStored,
                    (index & 2) != 0 ? FeatheredAlpha::kFades : FeatheredAlpha::kReplaces});
    }
    return kernels;
  }

  RowKernel<Format> For(const RuleModes& modes) const {
    return by_modes_[(modes.judge == JudgeColours::kSrgbEncoded ? 1u : 0u) +
                     (modes.feathered == FeatheredAlpha::kFades ? 2u : 0u)];
  }

 private:
  static constexpr std::size_t kModes = 4;  // two ways to judge, two to feather
  std::array<RowKernel<Format>, kModes> by_modes_{};
};

// The kernels of `isa`, or the portable ones where the processor lacks it.
template <typename Format>
const RowKernels<Format>& RowKernelsOf(KernelIsa isa);

// The kernels of the fastest instruction set this processor runs.
template <typename Format>
const RowKernels<Format>& BestRowKernels();

}  // namespace huesieve
