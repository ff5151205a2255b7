// Any bytes given to the command-line tool's image reader, as a PNG, OpenEXR,
// TIFF, DPX or JPEG file (the first byte chooses the extension, by which the
// format is found first), end in a clean error or in a well-formed frame. The
// frame takes memory only as rows arrive, so headers that claim huge images
// are fuzzed too, within a pixel limit that keeps a run's memory bounded.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "files/file_error.h"
#include "image/frame_buffer.h"
#include "image/image_files.h"

namespace {

constexpr const char* kExtensions[] = {".png", ".exr", ".tif", ".dpx", ".jpg"};
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 22;

// The scratch folder of this fuzzing process.
const std::filesystem::path& Scratch() {
  static const std::filesystem::path folder = [] {
    char name[] = "/tmp/huesieve-image-fuzz.XXXXXX";
    if (::mkdtemp(name) == nullptr) std::abort();
    return std::filesystem::path(name);
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string path = (Scratch() / (std::string("input") +
                                         kExtensions[data[0] % std::size(kExtensions)]))
                               .string();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (std::fwrite(data + 1, 1, size - 1, file) != size - 1 || std::fclose(file) != 0) std::abort();

  huesieve::image::FrameBuffer frame;
  try {
    huesieve::image::ReadImageFile(path, kMaxPixels, frame);
    const std::uint64_t pixels = std::uint64_t{frame.width()} * frame.height();
    if (pixels == 0 || pixels > kMaxPixels ||
        frame.image_bytes() != pixels * frame.pixel_size()) {
      std::abort();
    }
    frame.View();  // every row of the frame is there to render
  } catch (const huesieve::files::FileError&) {
    // A clean refusal is a correct answer to bad bytes.
  }
  return 0;
}
