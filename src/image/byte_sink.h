// Where an encoder's bytes go: an open regular file, which the encoder may go
// back over (OpenEXR and TIFF write offsets they learn later), or memory, for
// a device or a FIFO, written out whole once the encoding is done.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace huesieve::image {

class ByteSink {
 public:
  // Into `file` from its current position; the caller keeps it open.
  explicit ByteSink(std::FILE* file) : file_(file) {}
  // Into memory, room for `expected_bytes` reserved up front so that the
  // buffer is not copied as it grows.
  explicit ByteSink(std::size_t expected_bytes) { memory_.reserve(expected_bytes); }

  // Each throws files::FileError with the system's reason (strerror).
  void Write(const void* data, std::size_t size);
  std::uint64_t Tell() const;
  void Seek(std::uint64_t position);

  // The encoded bytes of a sink into memory.
  const std::vector<unsigned char>& memory() const { return memory_; }

 private:
  std::FILE* file_ = nullptr;
  std::vector<unsigned char> memory_;
  std::size_t position_ = 0;  // in memory_
};

}  // namespace huesieve::image
