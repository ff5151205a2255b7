#include "tools/huesieve-render/module.h"

#include <dlfcn.h>

#include <filesystem>

#include "effect/identity.h"
#include "entry/effect_identity.h"
#include "tools/huesieve-render/tool_errors.h"

namespace huesieve::cli {

Module::Module(const std::string& path) : path_(path) {
  // A bare file name would send dlopen searching the library path; the user
  // means the file in the working directory.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  handle_ = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) throw ToolError("cannot load module " + path + ": " + ::dlerror());
  void* symbol = ::dlsym(handle_, kEntryPointName);
  if (symbol == nullptr) {
    ::dlclose(handle_);
    throw ToolError("module " + path + " does not export " + kEntryPointName);
  }
  effect_main_ = reinterpret_cast<modulehost::EffectMainFn>(symbol);
}

Module::~Module() { ::dlclose(handle_); }

void Module::Check(PF_Err err, const std::string& command) const {
  if (err != PF_Err_NONE) {
    throw ToolError("module " + path_ + " failed " + command + ": host error code " +
                    std::to_string(err));
  }
}

std::string ModuleBesideTool() {
  std::error_code error;
  const std::filesystem::path tool = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) throw ToolError("cannot find the tool's own path: " + error.message());
  return (tool.parent_path() / (std::string(kEffectName) + ".so")).string();
}

}  // namespace huesieve::cli
