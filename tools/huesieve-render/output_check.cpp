#include "tools/huesieve-render/output_check.h"

#include <unistd.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <utility>

#include "files/file_identity.h"
#include "tools/huesieve-render/options.h"
#include "tools/huesieve-render/tool_errors.h"

namespace huesieve::cli {
namespace {

std::optional<files::FileIdentity> IdentityOf(const std::string& path, int standard_stream) {
  return path == kStandardStream ? files::RegularFileIdentity(standard_stream)
                                 : files::RegularFileIdentity(path);
}

}  // namespace

void RefuseInputsAsOutputs(const std::vector<std::string>& inputs,
                           const std::vector<std::string>& outputs) {
  std::map<std::pair<dev_t, ino_t>, const std::string*> input_files;
  for (const std::string& input : inputs) {
    if (const auto identity = IdentityOf(input, STDIN_FILENO)) {
      input_files.emplace(std::pair(identity->device, identity->inode), &input);
    }
  }
  for (const std::string& output : outputs) {
    const auto identity = IdentityOf(output, STDOUT_FILENO);
    if (!identity) continue;
    const auto input = input_files.find({identity->device, identity->inode});
    if (input != input_files.end()) {
      throw UsageError(output + ": is the same file as the input " + *input->second +
                       "; the output must be another file");
    }
  }
}

void RequireOutputFolder(const std::string& output) {
  if (output == kStandardStream) return;
  const std::filesystem::path parent = std::filesystem::path(output).parent_path();
  const std::string folder = parent.empty() ? std::string(".") : parent.string();
  struct stat status {};
  if (::stat(folder.c_str(), &status) != 0) {
    throw ToolError(output + ": the folder " + folder + " cannot be used: " +
                    std::strerror(errno));
  }
  if (!S_ISDIR(status.st_mode)) throw ToolError(output + ": " + folder + " is not a folder");
}

}  // namespace huesieve::cli
