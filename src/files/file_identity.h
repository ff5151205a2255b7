// Which regular file a path or an open descriptor is, whatever the name: two
// paths, a hard link or a symbolic link to the same file have one identity.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace huesieve::files {

struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the regular file `path` leads to; nothing when it leads to
// none (missing, a directory, a device, a FIFO).
std::optional<FileIdentity> RegularFileIdentity(const std::string& path);
// The same for an open descriptor.
std::optional<FileIdentity> RegularFileIdentity(int descriptor);

}  // namespace huesieve::files
