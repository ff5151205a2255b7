// Image files in and out of frames through OpenImageIO, the format chosen by
// the file name's extension, as oiiotool does. Samples come through as the
// file holds them: 8-bit as Rgba8, 16-bit (and 10 or 12-bit, widened to 16
// by the reader) as Rgba16, half and float as RgbaFloat; grey spreads over
// red, green and blue, and an image without alpha is opaque. Alpha stays
// associated (premultiplied) where the file says so, as OpenEXR does by
// convention and TIFF by its extra-samples tag, and straight otherwise: PNG
// is read without premultiplying.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include <OpenImageIO/imageio.h>

#include "files/temporary_files.h"
#include "image/frame_buffer.h"
#include "image/image_header.h"

namespace huesieve::image {

// A file that cannot be read or written, named in the message.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};


// Why `path` cannot be written, before any work: a format unknown by its
// extension, or one that cannot carry the alpha channel the effect writes
// (JPEG). Empty when it can.
std::string OutputFormatProblem(const std::string& path);

// Reads the image at `path` into `frame`, taking the frame's memory as rows
// arrive. An image of more than `max_pixels` pixels is refused from its
// header. Throws FileError naming the file.
ImageHeader ReadImageFile(const std::string& path, std::uint64_t max_pixels, FrameBuffer& frame);
// As above, an OpenEXR file's layer as `options` asks; a layer asked of a
// file of another format is refused.
ImageHeader ReadImageFile(const std::string& path, const ReadOptions& options, FrameBuffer& frame);

// Writes `frame` to `path` as files::OutputFile writes (whole or not at
// all, its temporary file made in `temporaries`; straight into a device or
// a FIFO), in the format `path` names, as RGBA with the header of the file
// it came from; at `output_type` when given, otherwise at that file's data
// type. Throws FileError naming the file.
void WriteImageFile(const std::string& path, const ImageHeader& header,
                    std::optional<OutputType> output_type, FrameBuffer& frame,
                    files::TemporaryFiles& temporaries);

// Refuses an image of more than `max_pixels` pixels. Throws FileError
// "image of W x H pixels exceeds the limit of N pixels".
void CheckPixelLimit(std::uint64_t width, std::uint64_t height, std::uint64_t max_pixels);

}  // namespace huesieve::image
