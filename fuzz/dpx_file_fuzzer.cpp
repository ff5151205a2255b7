// Any bytes given to the DPX reader end in a clean refusal or in a
// well-formed frame; a frame read is written back and reads again as the
// same samples, so the writer and every packing's two directions are fuzzed
// too. The pixel limit keeps a run's memory bounded.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "files/file_error.h"
#include "image/byte_sink.h"
#include "image/dpx_file.h"
#include "image/frame_buffer.h"

namespace {

namespace dpx = huesieve::image::dpx;
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 22;

// `size` bytes at `data` as a file read from its start.
class MemoryFile {
 public:
  MemoryFile(const void* data, std::size_t size)
      : file_(size == 0 ? nullptr : ::fmemopen(const_cast<void*>(data), size, "rb")) {}
  ~MemoryFile() {
    if (file_ != nullptr) std::fclose(file_);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  std::FILE* get() const { return file_; }

 private:
  std::FILE* file_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryFile input(data, size);
  if (input.get() == nullptr) return 0;
  huesieve::image::ReadOptions options;
  options.max_pixels = kMaxPixels;
  huesieve::image::FrameBuffer frame;
  huesieve::image::ImageHeader header;
  try {
    header = dpx::Read(input.get(), size, options, frame);
  } catch (const huesieve::files::FileError&) {
    return 0;  // a clean refusal is a correct answer to bad bytes
  }
  const std::uint64_t pixels = std::uint64_t{frame.width()} * frame.height();
  if (pixels == 0 || pixels > kMaxPixels || frame.image_bytes() != pixels * frame.pixel_size()) {
    std::abort();
  }

  huesieve::image::ByteSink sink(std::size_t{2048} + frame.image_bytes());
  dpx::Write(sink, header, header.stored_type, frame);
  const std::vector<unsigned char>& written = sink.memory();
  MemoryFile again(written.data(), written.size());
  huesieve::image::FrameBuffer reread;
  try {
    dpx::Read(again.get(), written.size(), options, reread);
  } catch (const huesieve::files::FileError&) {
    std::abort();  // what the writer wrote, the reader must read
  }
  if (reread.type() != frame.type() || reread.image_bytes() != frame.image_bytes() ||
      std::memcmp(reread.View().first_row, frame.View().first_row, frame.image_bytes()) != 0) {
    std::abort();
  }
  return 0;
}
