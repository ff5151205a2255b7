#include "tools/huesieve-render/png_frames.h"

#include <stdexcept>
#include <vector>

#include "png/files.h"
#include "tools/huesieve-render/host_pixels.h"
#include "png/png_writer.h"

namespace huesieve::cli {

void DecodeFrame(png::Reader& reader, std::uint64_t max_pixels, HostFrame& frame) {
  const png::Header& header = reader.header();
  png::CheckPixelLimit(header.width, header.height, max_pixels);
  frame.Reset(header.bit_depth == 16, header.width, header.height);
  const auto to_bytes = [](std::byte* row) { return reinterpret_cast<std::uint8_t*>(row); };
  if (header.interlaced) {
    // Later passes fill in rows the earlier ones began: convert at the end.
    reader.ReadImage([&](std::uint32_t row) { return to_bytes(frame.Row(row)); });
    for (std::uint32_t row = 0; row < header.height; ++row) {
      RgbaToHost(frame.Row(row), header.width, frame.deep());
    }
    return;
  }
  // Each row is converted while it is still in the cache: when the decoder
  // asks for the next one, and the last at the end.
  reader.ReadImage([&](std::uint32_t row) {
    if (row > 0) RgbaToHost(frame.Row(row - 1), header.width, frame.deep());
    return to_bytes(frame.Row(row));
  });
  RgbaToHost(frame.Row(header.height - 1), header.width, frame.deep());
}

void ReadPngFrame(const std::string& path, std::uint64_t max_pixels, HostFrame& frame) {
  const png::InputFile file = png::OpenForReading(path);
  try {
    png::Reader reader(file.get());
    DecodeFrame(reader, max_pixels, frame);
  } catch (const png::PngError& error) {
    throw png::PngError(path + ": " + error.what());
  }
}

void WritePngFrame(const std::string& path, HostFrame& frame) {
  try {
    png::ReplacingFile output(path);
    png::Writer writer(output.file(), frame.width(), frame.height(), frame.deep() ? 16 : 8);
    std::vector<std::uint8_t> samples(frame.row_bytes());
    for (std::uint32_t row = 0; row < frame.height(); ++row) {
      HostToRgba(frame.Row(row), samples.data(), frame.width(), frame.deep());
      writer.WriteRow(samples.data());
    }
    writer.Finish();
    output.Commit();
  } catch (const std::runtime_error& error) {
    throw png::PngError(path + ": " + error.what());
  }
}

}  // namespace huesieve::cli
