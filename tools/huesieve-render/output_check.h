// Refuses a run that would write over one of its own inputs.
#pragma once

#include <string>
#include <vector>

namespace huesieve::cli {

// Throws UsageError when an output names the same regular file as any input
// (through another path, a hard link or a symbolic link); "-" is the standard
// stream.
void RefuseInputsAsOutputs(const std::vector<std::string>& inputs,
                           const std::vector<std::string>& outputs);

}  // namespace huesieve::cli
