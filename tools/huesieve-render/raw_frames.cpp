#include "tools/huesieve-render/raw_frames.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "tools/huesieve-render/host_pixels.h"

namespace huesieve::cli {
namespace {

// Rows move in batches of about this many bytes (at least a row): few system
// calls, and a batch still in the cache when it is converted.
constexpr std::size_t kBatchBytes = std::size_t{1} << 18;

std::uint32_t RowsABatch(const RawFormat& format) {
  return static_cast<std::uint32_t>(
      std::clamp<std::size_t>(kBatchBytes / format.row_bytes(), 1, format.height));
}

}  // namespace

RawReader::RawReader(std::FILE* file, std::string name, const RawFormat& format)
    : file_(file), name_(std::move(name)), format_(format) {}

bool RawReader::ReadFrame(std::uint64_t number, HostFrame& frame) {
  frame.Reset(format_.deep, format_.width, format_.height);
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
    for (std::uint32_t row = 0; row < rows; ++row) {
      RgbaToHost(at + row * format_.row_bytes(), format_.width, format_.deep);
    }
  }
  return true;
}

RawWriter::RawWriter(std::FILE* file, std::string name, const RawFormat& format)
    : file_(file),
      name_(std::move(name)),
      format_(format),
      samples_(RowsABatch(format) * format.row_bytes()) {}

void RawWriter::WriteFrame(HostFrame& frame) {
  const std::uint32_t batch = RowsABatch(format_);
  const auto fail = [&] {
    if (errno == EPIPE) throw BrokenPipe();
    throw std::runtime_error(name_ + ": " + std::strerror(errno));
  };
  for (std::uint32_t first = 0; first < format_.height; first += batch) {
    const std::uint32_t rows = std::min(batch, format_.height - first);
    const std::byte* at = frame.Rows(first, rows);
    for (std::uint32_t row = 0; row < rows; ++row) {
      HostToRgba(at + row * frame.row_bytes(), samples_.data() + row * format_.row_bytes(),
                 format_.width, format_.deep);
    }
    const std::size_t bytes = rows * format_.row_bytes();
    if (std::fwrite(samples_.data(), 1, bytes, file_) != bytes) fail();
  }
  if (std::fflush(file_) != 0) fail();
}

}  // namespace huesieve::cli
