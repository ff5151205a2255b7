// Any bytes given to the command-line tool's PNG reader end in a clean error
// or in a well-formed host frame. The reader takes memory only for the rows
// the data fills, so headers that claim huge images are fuzzed too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "host/pf_types.h"
#include "tools/huesieve-render/host_frame.h"
#include "tools/huesieve-render/png_frames.h"

namespace {

// A decoded frame holds host pixels: 16-bit channels no higher than 32768.
bool WellFormed(huesieve::cli::HostFrame& frame) {
  if (!frame.deep()) return true;
  for (std::uint32_t row = 0; row < frame.height(); ++row) {
    const std::byte* pixels = frame.Row(row);
    for (std::uint32_t i = 0; i < frame.width() * 4; ++i) {
      std::uint16_t channel;
      std::memcpy(&channel, pixels + i * 2, sizeof channel);
      if (channel > 32768) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  huesieve::cli::HostFrame frame;
  try {
    huesieve::png::Reader reader(data, size);
    huesieve::cli::DecodeFrame(reader, std::uint64_t{1} << 28, frame);
    if (frame.image_bytes() != std::size_t{frame.width()} * frame.height() * frame.pixel_size() ||
        !WellFormed(frame)) {
      std::abort();
    }
  } catch (const huesieve::png::PngError&) {
    // A clean refusal is a correct answer to bad bytes.
  }
  return 0;
}
