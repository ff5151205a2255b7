// What a written image keeps of the file it was rendered from, whatever the
// format: the format and data type read, the format's own attributes, and
// the channels and parts that pass through untouched.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "image/frame_buffer.h"

namespace huesieve::image {

enum class FileFormat { kPng, kOpenExr, kTiff, kDpx, kJpeg };

// Each format's own part of a header, declared by its codec.
struct ExrFile;         // image/exr_file.h
struct TiffAttributes;  // image/tiff_file.h
struct DpxAttributes;   // image/dpx_file.h

struct ImageHeader {
  FileFormat format = FileFormat::kPng;
  // The keyed channels' type as the file stores them.
  OutputType stored_type = OutputType::kUint8;
  // Bits a sample holds: 1 to 16 for integers (10 and 12 in DPX and TIFF),
  // 16 for half, 32 for float.
  int bits_per_sample = 8;
  // Set only when the file read was of that format.
  std::shared_ptr<const ExrFile> exr;
  std::shared_ptr<const TiffAttributes> tiff;
  std::shared_ptr<const DpxAttributes> dpx;
};

// The tools refuse larger images unless told otherwise.
inline constexpr std::uint64_t kDefaultMaxPixels = std::uint64_t{1} << 28;

// Refuses an image of more than `max_pixels` pixels (pixel_limit.cpp).
// Throws files::FileError "image of W x H pixels exceeds the limit of N
// pixels".
void CheckPixelLimit(std::uint64_t width, std::uint64_t height, std::uint64_t max_pixels);

// What a reader is asked for.
struct ReadOptions {
  // Larger images are refused from their header, before memory is taken.
  std::uint64_t max_pixels = kDefaultMaxPixels;
  // OpenEXR: the layer keyed (NAME.R, NAME.G, NAME.B, NAME.A); empty for R,
  // G, B and A.
  std::string layer;
};

}  // namespace huesieve::image
