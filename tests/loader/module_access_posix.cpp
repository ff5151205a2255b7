#include <dlfcn.h>

#include <fstream>
#include <iterator>

#include "tests/loader/module_access.h"

namespace loader {
namespace {

bool ReadFile(const std::string& path, std::string& contents) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

}  // namespace

ModuleAccess::ModuleAccess(const std::vector<std::string>& args) : args_(args) {
  if (args_.size() != 3) {
    error_ = "wrong arguments";
    return;
  }
  handle_ = dlopen(args_[0].c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) error_ = dlerror();
}

ModuleAccess::~ModuleAccess() {
  if (handle_ != nullptr) dlclose(handle_);
}

const char* ModuleAccess::Usage() {
  return "huesieve_loader Huesieve.so Huesieve.pipl Huesieve.manifest";
}

void* ModuleAccess::Export(const char* name) const { return dlsym(handle_, name); }

bool ModuleAccess::ReadResources(ModuleResources& resources) {
  std::string property_list;
  if (!ReadFile(args_[1], property_list)) {
    error_ = "cannot read " + args_[1];
    return false;
  }
  resources.property_list.assign(property_list.begin(), property_list.end());
  if (!ReadFile(args_[2], resources.manifest)) {
    error_ = "cannot read " + args_[2];
    return false;
  }
  return true;
}

void UseBinaryOutput() {}

}  // namespace loader
