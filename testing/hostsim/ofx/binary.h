// A plug-in binary loaded as the platform loads shared libraries: dlopen on
// Linux, LoadLibrary on Windows.
#pragma once

#include <filesystem>
#include <string>

namespace hostsim::ofx {

class Binary {
 public:
  explicit Binary(const std::filesystem::path& path);
  ~Binary();
  Binary(const Binary&) = delete;
  Binary& operator=(const Binary&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  const std::string& error() const { return error_; }
  // The address of an exported symbol, or null.
  void* Symbol(const char* name) const;

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace hostsim::ofx
