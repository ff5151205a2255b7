// The instruction sets the row kernels are compiled for, and which of them
// the running processor can execute.
#pragma once

namespace huesieve {

// kWasmSimd runs only in a WebAssembly build with SIMD, the x86 sets only on
// x86 processors.
enum class KernelIsa { kPortable, kAvx2, kAvx512, kWasmSimd };

// Asks the processor (and the operating system's saved vector state) each
// time; the kernels' dispatch (kernel_dispatch.h) asks once per process and
// remembers the answer.
bool KernelIsaRuns(KernelIsa isa);

// The fastest kernel this processor runs.
KernelIsa BestKernelIsa();

}  // namespace huesieve
