// Refuses a run that would write over one of its own inputs, or whose output
// has no folder to go in, before any input is read.
#pragma once

#include <string>
#include <vector>

namespace huesieve::cli {

// Throws UsageError when an output names the same regular file as any input
// (through another path, a hard link or a symbolic link); "-" is the standard
// stream.
void RefuseInputsAsOutputs(const std::vector<std::string>& inputs,
                           const std::vector<std::string>& outputs);

// Throws ToolError naming the folder when the folder `output` would be
// written in does not exist or is not a folder; "-" is the standard stream.
void RequireOutputFolder(const std::string& output);

}  // namespace huesieve::cli
