// Whole PNG images in memory, for the sample generator, the tests and their
// fixtures: any PNG in, straight (never premultiplied) RGBA out, at 8 or 16
// bits per channel. The command-line tool streams rows instead
// (png_reader.h, png_writer.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "png/png_error.h"
#include "png/png_reader.h"

namespace huesieve::png {

// A decoded image: width × height pixels of red, green, blue and alpha, each
// channel 0 to 255 (bit depth 8) or 0 to 65535 (bit depth 16).
struct Image {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int bit_depth = 8;
  std::vector<std::uint16_t> rgba;  // row by row, four channels a pixel

  std::size_t Index(std::uint32_t column, std::uint32_t row) const {
    return (std::size_t{row} * width + column) * 4;
  }
};

// Decodes a PNG held in memory (see Reader for the formats). Throws PngError,
// also for an image of more than `max_pixels` pixels.
Image DecodePng(const std::uint8_t* data, std::size_t size,
                std::uint64_t max_pixels = kDefaultMaxPixels);

// Reads and decodes a file. Throws PngError, its text naming the file.
Image ReadPng(const std::string& path);

// Writes `image` as an RGBA PNG of its bit depth. The file appears whole or
// not at all: the data goes to a temporary file in the same directory that is
// renamed over `path` once complete. Throws PngError, naming the file.
void WritePng(const std::string& path, const Image& image);

}  // namespace huesieve::png
