#include <windows.h>

#include "testing/hostsim/ofx/binary.h"

namespace hostsim::ofx {

Binary::Binary(const std::filesystem::path& path) {
  handle_ = LoadLibraryW(path.wstring().c_str());
  if (handle_ == nullptr) error_ = "LoadLibrary failed, error " + std::to_string(GetLastError());
}

Binary::~Binary() {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* Binary::Symbol(const char* name) const {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

}  // namespace hostsim::ofx
