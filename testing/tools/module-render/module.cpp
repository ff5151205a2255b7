#include "testing/tools/module-render/module.h"

#include <dlfcn.h>

#include "entry/effect_identity.h"

namespace huesieve::module_render {

Module::Module(const std::string& path) : path_(path) {
  // A bare file name would send dlopen searching the library path; the user
  // means the file in the working directory.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  handle_ = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) throw ModuleError("cannot load module " + path + ": " + ::dlerror());
  void* symbol = ::dlsym(handle_, kEntryPointName);
  if (symbol == nullptr) {
    ::dlclose(handle_);
    throw ModuleError("module " + path + " does not export " + kEntryPointName);
  }
  effect_main_ = reinterpret_cast<modulehost::EffectMainFn>(symbol);
}

Module::~Module() { ::dlclose(handle_); }

void Module::Check(PF_Err err, const std::string& command) const {
  if (err != PF_Err_NONE) {
    throw ModuleError("module " + path_ + " failed " + command + ": host error code " +
                      std::to_string(err));
  }
}

}  // namespace huesieve::module_render
