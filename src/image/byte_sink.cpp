#include "image/byte_sink.h"

#include <cerrno>
#include <cstring>
#include <limits>

#include "files/file_error.h"

namespace huesieve::image {
namespace {

[[noreturn]] void FailWithReason() { throw files::FileError(std::strerror(errno)); }

}  // namespace

void ByteSink::Write(const void* data, std::size_t size) {
  if (size == 0) return;
  if (file_ != nullptr) {
    if (std::fwrite(data, 1, size, file_) != size) FailWithReason();
    return;
  }
  const auto* bytes = static_cast<const unsigned char*>(data);
  const std::size_t end = position_ + size;
  if (end > memory_.size()) memory_.resize(end);
  std::memcpy(memory_.data() + position_, bytes, size);
  position_ = end;
}

std::uint64_t ByteSink::Tell() const {
  if (file_ == nullptr) return position_;
  const long position = std::ftell(file_);
  if (position < 0) FailWithReason();
  return static_cast<std::uint64_t>(position);
}

void ByteSink::Seek(std::uint64_t position) {
  if (file_ == nullptr) {
    if (position > std::numeric_limits<std::size_t>::max()) throw files::FileError("seek past the end of memory");
    position_ = static_cast<std::size_t>(position);
    if (position_ > memory_.size()) memory_.resize(position_);
    return;
  }
  if (position > static_cast<std::uint64_t>(std::numeric_limits<long>::max()) ||
      std::fseek(file_, static_cast<long>(position), SEEK_SET) != 0) {
    FailWithReason();
  }
}

}  // namespace huesieve::image
