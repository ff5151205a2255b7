#include "tools/huesieve-render/raw_frames.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

namespace huesieve::cli {
namespace {

static_assert(std::endian::native == std::endian::little,
              "rgba64le samples are the core's 16-bit samples as they lie in memory");

// Rows move in batches of about this many bytes (at least a row): few system
// calls, and memory taken as the rows arrive.
constexpr std::size_t kBatchBytes = std::size_t{1} << 18;

std::uint32_t RowsABatch(const RawFormat& format) {
  return static_cast<std::uint32_t>(
      std::clamp<std::size_t>(kBatchBytes / format.row_bytes(), 1, format.height));
}

// A pipe holds 64 KiB unless asked for more: a frame of 8 MiB would cross it
// in a hundred and more reads and writes, each waking the other side. A pipe
// of a batch's size takes a batch at once; where the system refuses, the
// pipe stays as it is.
void WidenPipe(std::FILE* file) {
  const int descriptor = ::fileno(file);
  struct stat status {};
  if (::fstat(descriptor, &status) == 0 && S_ISFIFO(status.st_mode)) {
    ::fcntl(descriptor, F_SETPIPE_SZ, static_cast<int>(kBatchBytes) * 4);
  }
}

}  // namespace

RawReader::RawReader(std::FILE* file, std::string name, const RawFormat& format)
    : file_(file), name_(std::move(name)), format_(format) {
  WidenPipe(file_);
}

bool RawReader::ReadFrame(std::uint64_t number, image::FrameBuffer& frame) {
  frame.Reset(format_.type(), format_.width, format_.height);
  const std::uint32_t batch = RowsABatch(format_);
  std::size_t read = 0;
  for (std::uint32_t first = 0; first < format_.height; first += batch) {
    const std::uint32_t rows = std::min(batch, format_.height - first);
    std::byte* at = frame.Rows(first, rows);
    const std::size_t wanted = rows * format_.row_bytes();
    const std::size_t got = std::fread(at, 1, wanted, file_);
    read += got;
    if (got != wanted) {
      if (std::ferror(file_) != 0) {
        throw std::runtime_error(name_ + ": read error in frame " + std::to_string(number) + ": " +
                                 std::strerror(errno));
      }
      if (read == 0) return false;
      throw std::runtime_error(name_ + ": frame " + std::to_string(number) +
                               " is incomplete: " + std::to_string(read) + " of " +
                               std::to_string(format_.frame_bytes()) + " bytes");
    }
  }
  return true;
}

RawWriter::RawWriter(std::FILE* file, std::string name, const RawFormat& format)
    : file_(file), name_(std::move(name)), format_(format) {
  WidenPipe(file_);
}

void RawWriter::WriteFrame(image::FrameBuffer& frame) {
  const std::uint32_t batch = RowsABatch(format_);
  const auto fail = [&] {
    if (errno == EPIPE) throw BrokenPipe();
    throw std::runtime_error(name_ + ": " + std::strerror(errno));
  };
  for (std::uint32_t first = 0; first < format_.height; first += batch) {
    const std::uint32_t rows = std::min(batch, format_.height - first);
    const std::byte* at = frame.Rows(first, rows);
    const std::size_t bytes = rows * format_.row_bytes();
    if (std::fwrite(at, 1, bytes, file_) != bytes) fail();
  }
  if (std::fflush(file_) != 0) fail();
}

}  // namespace huesieve::cli
