#include "png/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace huesieve::png {

InputFile OpenForReading(const std::string& path) {
  InputFile file(std::fopen(path.c_str(), "rb"));
  if (!file) throw FileError(path + ": " + std::strerror(errno));
  struct stat status {};
  if (::fstat(::fileno(file.get()), &status) == 0 && S_ISDIR(status.st_mode)) {
    throw FileError(path + ": " + std::strerror(EISDIR));
  }
  return file;
}

ReplacingFile::ReplacingFile(const std::string& target) : target_(target) {
  const std::size_t slash = target.find_last_of('/');
  const std::string directory = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  path_ = directory + "." + name + ".XXXXXX";
  const int fd = ::mkstemp(path_.data());
  if (fd < 0) throw FileError(std::strerror(errno));
  // mkstemp makes the file private; give it the mode a plain create would.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    const int error = errno;
    ::close(fd);
    ::unlink(path_.c_str());
    throw FileError(std::strerror(error));
  }
}

ReplacingFile::~ReplacingFile() {
  if (file_ != nullptr) std::fclose(file_);
  if (!committed_) ::unlink(path_.c_str());
}

void ReplacingFile::Commit() {
  const bool failed = std::fflush(file_) != 0 || std::ferror(file_) != 0;
  const int flush_error = errno;
  std::FILE* file = std::exchange(file_, nullptr);
  if (std::fclose(file) != 0 || failed) {
    throw FileError(std::strerror(failed ? flush_error : errno));
  }
  if (std::rename(path_.c_str(), target_.c_str()) != 0) throw FileError(std::strerror(errno));
  committed_ = true;
}

}  // namespace huesieve::png
