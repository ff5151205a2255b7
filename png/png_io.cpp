#include "png/png_io.h"

#include <cstdio>

#include "png/files.h"
#include "png/png_writer.h"

namespace huesieve::png {
namespace {

Image Decode(Reader& reader, std::uint64_t max_pixels) {
  const Header& header = reader.header();
  CheckPixelLimit(header.width, header.height, max_pixels);
  const std::size_t row_bytes = header.row_bytes();
  // Grown with the rows decoded, so a file that ends early costs what it held.
  std::vector<std::uint8_t> bytes;
  reader.ReadImage([&](std::uint32_t row) {
    const std::size_t end = (std::size_t{row} + 1) * row_bytes;
    if (bytes.size() < end) bytes.resize(end);
    return bytes.data() + std::size_t{row} * row_bytes;
  });

  Image image;
  image.width = header.width;
  image.height = header.height;
  image.bit_depth = header.bit_depth;
  image.rgba.resize(std::size_t{image.width} * image.height * 4);
  if (image.bit_depth == 16) {
    for (std::size_t i = 0; i < image.rgba.size(); ++i) {
      image.rgba[i] = static_cast<std::uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
  } else {
    for (std::size_t i = 0; i < image.rgba.size(); ++i) image.rgba[i] = bytes[i];
  }
  return image;
}

void Encode(const Image& image, std::FILE* file) {
  if (image.rgba.size() != std::size_t{image.width} * image.height * 4) {
    throw PngError("pixel data does not match the image size");
  }
  Writer writer(file, image.width, image.height, image.bit_depth);
  const std::size_t samples = std::size_t{image.width} * 4;
  std::vector<std::uint8_t> row(samples * (image.bit_depth == 16 ? 2 : 1));
  for (std::uint32_t y = 0; y < image.height; ++y) {
    const std::uint16_t* in = &image.rgba[image.Index(0, y)];
    for (std::size_t i = 0; i < samples; ++i) {
      if (image.bit_depth == 16) {
        row[2 * i] = static_cast<std::uint8_t>(in[i] & 0xFF);
        row[2 * i + 1] = static_cast<std::uint8_t>(in[i] >> 8);
      } else {
        row[i] = static_cast<std::uint8_t>(in[i] > 255 ? 255 : in[i]);
      }
    }
    writer.WriteRow(row.data());
  }
  writer.Finish();
}

}  // namespace

Image DecodePng(const std::uint8_t* data, std::size_t size, std::uint64_t max_pixels) {
  Reader reader(data, size);
  return Decode(reader, max_pixels);
}

Image ReadPng(const std::string& path) {
  InputFile file;
  try {
    file = OpenForReading(path);
  } catch (const FileError& error) {
    throw PngError(error.what());
  }
  try {
    Reader reader(file.get());
    return Decode(reader, kDefaultMaxPixels);
  } catch (const PngError& error) {
    throw PngError(path + ": " + error.what());
  }
}

void WritePng(const std::string& path, const Image& image) {
  try {
    ReplacingFile output(path);
    Encode(image, output.file());
    output.Commit();
  } catch (const std::runtime_error& error) {
    throw PngError(path + ": " + error.what());
  }
}

}  // namespace huesieve::png
