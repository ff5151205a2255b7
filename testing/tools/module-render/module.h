// The effect module, loaded with dlopen through its exported entry point.
#pragma once

#include <stdexcept>
#include <string>

#include "testing/modulehost/host.h"

namespace huesieve::module_render {

// A module that does not load, lacks what a Huesieve module has, or fails a
// command; the message names the module.
class ModuleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Module {
 public:
  // Throws ModuleError when the file does not load or lacks the entry point.
  explicit Module(const std::string& path);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  modulehost::EffectMainFn effect_main() const { return effect_main_; }
  const std::string& path() const { return path_; }

  // Throws ModuleError naming the module and `command` when `err` is not
  // PF_Err_NONE.
  void Check(PF_Err err, const std::string& command) const;

 private:
  std::string path_;
  void* handle_ = nullptr;
  modulehost::EffectMainFn effect_main_ = nullptr;
};

}  // namespace huesieve::module_render
