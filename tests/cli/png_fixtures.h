// Test helpers: PNG files of any format built byte by byte with libpng,
// whole images read and written through the image library, and a scratch
// directory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace cli_test {

// A PNG described as the file stores it: rows of packed samples in PNG order
// (big-endian 16-bit samples, low bit depths packed high bit first).
struct RawPng {
  std::uint32_t width = 1;
  std::uint32_t height = 1;
  int colour_type = 0;  // PNG_COLOR_TYPE_*
  int bit_depth = 8;
  bool interlaced = false;
  std::vector<std::uint8_t> rows;           // height rows, each packed to whole bytes
  std::vector<std::uint8_t> palette;        // red, green, blue per entry
  std::vector<std::uint8_t> palette_alpha;  // tRNS for a palette image
  bool has_trns_colour = false;             // tRNS for grey or RGB images
  std::uint16_t trns_grey = 0, trns_red = 0, trns_green = 0, trns_blue = 0;
};

std::vector<std::uint8_t> EncodePng(const RawPng& png);

// An RGBA PNG whose header claims width × height pixels but whose image data
// holds a dozen bytes of zlib stream: what a hostile or broken writer leaves.
std::vector<std::uint8_t> HeaderOnlyPng(std::uint32_t width, std::uint32_t height, int bit_depth,
                                        bool interlaced);

// A decoded image: width × height pixels of red, green, blue and alpha, each
// channel 0 to 255 (bit depth 8) or 0 to 65535 (bit depth 16), straight.
struct Image {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int bit_depth = 8;
  std::vector<std::uint16_t> rgba;  // row by row, four channels a pixel

  std::size_t Index(std::uint32_t column, std::uint32_t row) const {
    return (std::size_t{row} * width + column) * 4;
  }
};

// Reads an 8 or 16-bit image file through the image library. Throws
// huesieve::files::FileError naming the file.
Image ReadPng(const std::string& path);
// The PNG `bytes` as the image library reads them, through a file of their
// own; its messages come without the file's name.
Image DecodePng(const std::vector<std::uint8_t>& bytes,
                std::uint64_t max_pixels = std::uint64_t{1} << 28);
// Writes `image` as an RGBA PNG of its bit depth through the image library.
// Throws huesieve::files::FileError naming the file.
void WritePng(const std::string& path, const Image& image);

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// A fresh directory, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  const std::filesystem::path& path() const { return path_; }
  // The names in the directory, temporary files included.
  std::vector<std::string> Names() const;

 private:
  std::filesystem::path path_;
};

}  // namespace cli_test
