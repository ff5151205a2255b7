// Image files in and out of frames, each format through its own codec
// (image/<format>_file.h), the format chosen by the file name's extension.
// Samples come through as the file holds them: 8-bit as Rgba8, 16-bit (and
// 10 or 12-bit, widened to 16 by the reader) as Rgba16, half and float as
// RgbaFloat; grey spreads over red, green and blue, and an image without
// alpha is opaque. Alpha stays associated (premultiplied) where the format
// says so (OpenEXR and DPX, TIFF unless its extra-samples tag says
// otherwise) and straight otherwise (PNG).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/temporary_files.h"
#include "image/frame_buffer.h"
#include "image/image_header.h"

namespace huesieve::image {

// Why `path` cannot be written, before any work: a format unknown by its
// extension, or one that cannot carry the alpha channel the effect writes
// (JPEG). Empty when it can.
std::string OutputFormatProblem(const std::string& path);

// Reads the image at `path` into `frame`, taking the frame's memory as rows
// arrive, by the codec its extension names or, when the content is another
// of the formats read, by that format's. Throws files::FileError naming the
// file.
ImageHeader ReadImageFile(const std::string& path, const ReadOptions& options, FrameBuffer& frame);
ImageHeader ReadImageFile(const std::string& path, std::uint64_t max_pixels, FrameBuffer& frame);

// Writes `frame` to `path` as files::OutputFile writes (whole or not at
// all, its temporary file made in `temporaries`; straight into a device or
// a FIFO), in the format `path` names, as RGBA with what `header` (of the
// file it came from) carries of that format; at `output_type` when given,
// otherwise at that file's data type, or the nearest the format holds.
// Returns notes on what the written file does not keep: a data type other
// than the one asked for or read, an OpenEXR file's other channels and
// parts. Throws files::FileError naming the file.
std::vector<std::string> WriteImageFile(const std::string& path, const ImageHeader& header,
                                        std::optional<OutputType> output_type, FrameBuffer& frame,
                                        files::TemporaryFiles& temporaries);

}  // namespace huesieve::image
