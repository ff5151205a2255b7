#include <dlfcn.h>

#include "testing/hostsim/ofx/binary.h"

namespace hostsim::ofx {

Binary::Binary(const std::filesystem::path& path) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) error_ = dlerror();
}

Binary::~Binary() {
  if (handle_ != nullptr) dlclose(handle_);
}

void* Binary::Symbol(const char* name) const { return dlsym(handle_, name); }

}  // namespace hostsim::ofx
