// The instruction set of the lane kernel's headers. A file that instantiates
// the kernel defines HUESIEVE_LANES_TARGET, the target attribute of its
// instruction set, before including them: every function of the kernel
// carries it, so the instruction set is enabled per function, never per file.
// Each file instantiates the templates with its own operations type only, so
// no instantiation is shared between instruction sets.
#pragma once

#ifndef HUESIEVE_LANES_TARGET
#error "define HUESIEVE_LANES_TARGET as the instantiating file's target attribute"
#endif
