// Test helpers: PNG files of any format built byte by byte with libpng, and
// a scratch directory.
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
