#include "files/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <utility>
#include <vector>

#include "files/file_error.h"

namespace huesieve::files {
namespace {

// As many links as the system follows in one path before it gives ELOOP.
constexpr int kMaxLinks = 40;

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

[[noreturn]] void FailWith(int error) { throw FileError(std::strerror(error)); }

std::FILE* OpenStream(int descriptor) {
  std::FILE* file = ::fdopen(descriptor, "wb");
  if (file == nullptr) {
    const int error = errno;
    ::close(descriptor);
    FailWith(error);
  }
  return file;
}

// The mode a plain create gives a new file: 0666 less the umask, read from
// the kernel's account of the process, since umask() can only read it by
// setting it, which would race with other threads creating files.
mode_t NewFileMode() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Umask:", 0) == 0) {
      return static_cast<mode_t>(0666 & ~std::stoul(line.substr(6), nullptr, 8));
    }
  }
  return 0644;  // the usual umask, 022, where the kernel does not say
}

}  // namespace

std::string FollowLinks(const std::string& path) {
  std::string current = path;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat status {};
    if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return current;
    std::vector<char> target(static_cast<std::size_t>(status.st_size) + 1);
    const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
    if (length < 0) FailWith(errno);
    const std::string link(target.data(), static_cast<std::size_t>(length));
    current = link.starts_with('/') ? link : DirectoryOf(current) + link;
  }
  FailWith(ELOOP);
}

OutputFile::OutputFile(const std::string& path, TemporaryFiles& temporaries)
    : temporaries_(temporaries) {
  // Opened by the system's own lookup, which also knows links such as
  // /dev/stdout to a pipe, whose text names no file.
  struct stat status {};
  const bool exists = ::stat(path.c_str(), &status) == 0;
  if (exists && S_ISDIR(status.st_mode)) FailWith(EISDIR);
  if (exists && !S_ISREG(status.st_mode)) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) FailWith(errno);
    file_ = OpenStream(descriptor);
    return;
  }
  target_ = FollowLinks(path);
  // A replaced file keeps its mode; a new one gets what a plain create gives.
  const mode_t mode = exists ? status.st_mode & 07777 : NewFileMode();
  const std::size_t slash = target_.find_last_of('/');
  const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  int descriptor = -1;
  slot_ = temporaries_.Create(DirectoryOf(target_) + "." + name + ".", descriptor);
  // mkstemp makes the file private.
  ::fchmod(descriptor, mode);
  try {
    file_ = OpenStream(descriptor);
  } catch (const FileError&) {
    temporaries_.Remove(*slot_);
    throw;
  }
}

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
  if (slot_ && !committed_) temporaries_.Remove(*slot_);
}

void OutputFile::Commit() {
  const bool failed = std::fflush(file_) != 0 || std::ferror(file_) != 0;
  const int flush_error = errno;
  std::FILE* file = std::exchange(file_, nullptr);
  if (std::fclose(file) != 0 || failed) FailWith(failed ? flush_error : errno);
  if (slot_) {
    const int error = temporaries_.Rename(*slot_, target_);
    if (error != 0) FailWith(error);
  }
  committed_ = true;
}

}  // namespace huesieve::files
