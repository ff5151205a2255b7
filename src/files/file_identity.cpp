#include "files/file_identity.h"

#include <sys/stat.h>

namespace huesieve::files {
namespace {

std::optional<FileIdentity> OfRegular(int result, const struct stat& status) {
  if (result != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return FileIdentity{status.st_dev, status.st_ino};
}

}  // namespace

std::optional<FileIdentity> RegularFileIdentity(const std::string& path) {
  struct stat status {};
  return OfRegular(::stat(path.c_str(), &status), status);
}

std::optional<FileIdentity> RegularFileIdentity(int descriptor) {
  struct stat status {};
  return OfRegular(::fstat(descriptor, &status), status);
}

}  // namespace huesieve::files
