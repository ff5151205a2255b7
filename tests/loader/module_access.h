// What the loader needs of the platform: load the effect module, find its
// exports, and read the resources the host reads. On Windows the resources
// come out of the module file; elsewhere a module has no resource section, so
// they come from the files the build generated, and the digest still covers
// them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace loader {

struct ModuleResources {
  std::vector<std::uint8_t> property_list;  // PiPL 16000, US English
  std::string manifest;                     // type 24, id 2
};

class ModuleAccess {
 public:
  // The command line after the program name; see Usage().
  explicit ModuleAccess(const std::vector<std::string>& args);
  ~ModuleAccess();
  ModuleAccess(const ModuleAccess&) = delete;
  ModuleAccess& operator=(const ModuleAccess&) = delete;

  static const char* Usage();
  // Whether the module loaded; Error() says why not.
  bool loaded() const { return handle_ != nullptr; }
  const std::string& Error() const { return error_; }

  // The address of an export, or null.
  void* Export(const char* name) const;
  // False, with Error() set, when a resource is missing.
  bool ReadResources(ModuleResources& resources);

 private:
  void* handle_ = nullptr;
  std::vector<std::string> args_;
  std::string error_;
};

// Output bytes as written, so both platforms print identical text.
void UseBinaryOutput();

}  // namespace loader
