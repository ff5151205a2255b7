#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "tests/loader/module_access.h"

namespace loader {
namespace {

constexpr WORD kUsEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
static_assert(kUsEnglish == 1033);

constexpr WORD kPropertyListId = 16000;
constexpr WORD kManifestId = 2;  // ISOLATIONAWARE_MANIFEST_RESOURCE_ID

HMODULE Handle(void* handle) { return static_cast<HMODULE>(handle); }

// Finds a resource exactly as the host asks for it: by type, id and language.
bool ReadResource(HMODULE module, LPCSTR type, WORD id, std::vector<std::uint8_t>& bytes) {
  HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), kUsEnglish);
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return false;
  const auto* first = static_cast<const std::uint8_t*>(data);
  bytes.assign(first, first + size);
  return true;
}

}  // namespace

ModuleAccess::ModuleAccess(const std::vector<std::string>& args) : args_(args) {
  if (args_.size() != 1) {
    error_ = "wrong arguments";
    return;
  }
  handle_ = LoadLibraryA(args_[0].c_str());
  if (handle_ == nullptr) error_ = "LoadLibrary failed, error " + std::to_string(GetLastError());
}

ModuleAccess::~ModuleAccess() {
  if (handle_ != nullptr) FreeLibrary(Handle(handle_));
}

const char* ModuleAccess::Usage() { return "huesieve_loader Huesieve.aex"; }

void* ModuleAccess::Export(const char* name) const {
  return reinterpret_cast<void*>(GetProcAddress(Handle(handle_), name));
}

bool ModuleAccess::ReadResources(ModuleResources& resources) {
  if (!ReadResource(Handle(handle_), "PiPL", kPropertyListId, resources.property_list)) {
    error_ = "no PiPL 16000 resource in US English";
    return false;
  }
  std::vector<std::uint8_t> manifest;
  // RT_MANIFEST is 24; spelled out since MinGW's header gives it as a wide
  // or narrow name depending on UNICODE.
  if (!ReadResource(Handle(handle_), MAKEINTRESOURCEA(24), kManifestId, manifest)) {
    error_ = "no manifest resource 2 in US English";
    return false;
  }
  resources.manifest.assign(manifest.begin(), manifest.end());
  return true;
}

void UseBinaryOutput() { _setmode(_fileno(stdout), _O_BINARY); }

}  // namespace loader
