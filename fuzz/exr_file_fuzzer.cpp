// Any bytes given to the OpenEXR codec end in a clean error or in a frame
// within the pixel limit; a frame read is written back, every part and
// channel with it, into memory, and that file reads again as the same size.
// The pass-through of parts the codec never decodes is fuzzed this way too.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "files/file_error.h"
#include "image/byte_sink.h"
#include "image/exr_file.h"

namespace {

namespace image = huesieve::image;

constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 22;

image::ImageHeader ReadFromMemory(const void* data, std::size_t size, image::FrameBuffer& frame) {
  std::FILE* file = ::fmemopen(const_cast<void*>(data), size, "rb");
  if (file == nullptr) std::abort();
  image::ReadOptions options;
  options.max_pixels = kMaxPixels;
  try {
    image::ImageHeader header = image::exr::Read(file, size, options, frame);
    std::fclose(file);
    return header;
  } catch (...) {
    std::fclose(file);
    throw;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  image::FrameBuffer frame;
  image::ImageHeader header;
  try {
    header = ReadFromMemory(data, size, frame);
  } catch (const huesieve::files::FileError&) {
    return 0;  // a clean refusal is a correct answer to bad bytes
  }
  const std::uint64_t pixels = std::uint64_t{frame.width()} * frame.height();
  if (pixels == 0 || pixels > kMaxPixels) std::abort();
  frame.View();  // every row of the frame is there to render
  image::exr::DescribeLeftOut(*header.exr);

  image::ByteSink sink(size);
  try {
    image::exr::Write(sink, header, image::OutputType::kHalf, frame);
  } catch (const huesieve::files::FileError&) {
    return 0;  // a part passed through whose chunks the library cannot copy
  }
  image::FrameBuffer again;
  const std::vector<unsigned char>& written = sink.memory();
  try {
    ReadFromMemory(written.data(), written.size(), again);
  } catch (const huesieve::files::FileError&) {
    std::abort();  // the codec wrote a file it cannot read
  }
  if (again.width() != frame.width() || again.height() != frame.height()) std::abort();
  return 0;
}
