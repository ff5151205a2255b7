// The effect module, loaded with dlopen through its exported entry point.
#pragma once

#include <string>

#include "modulehost/host.h"

namespace huesieve::cli {

class Module {
 public:
  // Throws ToolError when the file does not load or lacks the entry point.
  explicit Module(const std::string& path);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  modulehost::EffectMainFn effect_main() const { return effect_main_; }
  const std::string& path() const { return path_; }

  // Throws ToolError naming the module and `command` when `err` is not
  // PF_Err_NONE.
  void Check(PF_Err err, const std::string& command) const;

 private:
  std::string path_;
  void* handle_ = nullptr;
  modulehost::EffectMainFn effect_main_ = nullptr;
};

// The module built beside the tool, wherever the build tree or the tool was
// moved: found from the tool's own path, not the working directory.
std::string ModuleBesideTool();

}  // namespace huesieve::cli
