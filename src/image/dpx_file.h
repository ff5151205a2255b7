// DPX files (SMPTE 268M) in and out of frames: one image element of RGB,
// RGBA, ABGR or luminance at 8, 10, 12 or 16 bits, or 32-bit float,
// uncompressed, in either byte order.
//
// Samples come in as OpenImageIO read them, so that renders stay the same:
// 8-bit as Rgba8; 10, 12 and 16-bit as Rgba16, 10 and 12 bits widened by
// repeating their top bits; float as RgbaFloat. Grey spreads over red, green
// and blue, an image without alpha is opaque, and alpha is associated.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "image/byte_sink.h"
#include "image/frame_buffer.h"
#include "image/image_header.h"

namespace huesieve::image {

// What a DPX file written from a DPX file keeps of it: its byte order and
// 10 or 12-bit packing, the element's transfer, colorimetric, reference
// codes and description, and the information fields OpenImageIO kept as
// attributes: creation time, creator, project, copyright, the orientation
// header (offsets, centre, original size, source file and device, aspect
// ratio, scanned size), the film header (key code, format, frame position,
// frame rate, shutter angle, slate), the television header (time code, user
// bits, interlace, video signal and rates) and the user data. The orientation
// code is kept too; like OpenImageIO, the reader does not turn the pixels by
// it. The file name field is not kept: it names the file that holds it.
struct DpxAttributes {
  bool big_endian = true;
  std::uint16_t packing = 1;
  std::uint8_t transfer = 0xFF;
  std::uint8_t colorimetric = 0xFF;
  std::uint16_t orientation = 0;
  // Data sign, reference low and high codes and quantities, in the file's
  // byte order: they hold only at the bit depth they were written for.
  std::array<unsigned char, 20> reference{};
  std::array<char, 24> creation_time{};
  std::array<char, 100> creator{};
  std::array<char, 200> project{};
  std::array<char, 200> copyright{};
  std::array<char, 32> description{};
  // The three sections whole, in the file's byte order.
  std::array<unsigned char, 256> orientation_header{};
  std::array<unsigned char, 256> film_header{};
  std::array<unsigned char, 128> television_header{};
  std::vector<unsigned char> user_data;
};

namespace dpx {

// Whether a file starting with these bytes is DPX ("SDPX" big-endian,
// "XPDS" little-endian).
bool Sniff(const unsigned char* first_bytes, std::size_t count);

// Reads the DPX file `file` of `file_size` bytes from its start into `frame`,
// row by row. Every field that places or sizes the image is checked against
// the file's size and `options.max_pixels` before memory is taken. Throws
// files::FileError with the reason.
ImageHeader Read(std::FILE* file, std::uint64_t file_size, const ReadOptions& options,
                 FrameBuffer& frame);

// Writes `frame` as RGBA: 8-bit for kUint8; for kUint16 the source's 10 or
// 12 bits where it had them, 16 otherwise; 32-bit float for kHalf and
// kFloat. A DPX source's attributes and byte order are kept; other files are
// written big-endian. 10-bit is filled (method A) and 12-bit packed unless a
// DPX source says otherwise, as OpenImageIO writes them. Throws
// files::FileError with the reason.
void Write(ByteSink& sink, const ImageHeader& source, OutputType type, FrameBuffer& frame);

}  // namespace dpx
}  // namespace huesieve::image
