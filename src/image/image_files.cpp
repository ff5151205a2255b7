#include "image/image_files.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "files/file_error.h"
#include "files/input_file.h"
#include "files/output_file.h"
#include "image/byte_sink.h"
#include "image/dpx_file.h"
#include "image/exr_file.h"
#include "image/jpeg_file.h"
#include "image/png_file.h"
#include "image/tiff_file.h"

namespace huesieve::image {
namespace {

using ReadFunction = ImageHeader (*)(std::FILE*, std::uint64_t, const ReadOptions&, FrameBuffer&);
using WriteFunction = void (*)(ByteSink&, const ImageHeader&, OutputType, FrameBuffer&);

// A format's codec, and the type each type asked for is written at: the
// same where the format holds it, else the nearest it does.
struct Codec {
  FileFormat format;
  std::string_view name;  // as messages name the format
  std::string_view key;   // lower case, as "the jpeg format" names it
  std::array<std::string_view, 2> extensions;
  bool (*sniff)(const unsigned char*, std::size_t);
  ReadFunction read;
  WriteFunction write;                   // null: read only
  std::array<OutputType, 4> written_as;  // by the OutputType asked for
};

constexpr OutputType kUint8 = OutputType::kUint8;
constexpr OutputType kUint16 = OutputType::kUint16;
constexpr OutputType kHalf = OutputType::kHalf;
constexpr OutputType kFloat = OutputType::kFloat;

// Only these codecs ever see an input. Half and float as PNG become 8-bit,
// which --output-type uint16 overrides; half as TIFF or DPX becomes float;
// integers as OpenEXR become half (16-bit ones float, which holds every
// level).
// clang-format off
constexpr std::array<Codec, 5> kCodecs = {{
    {FileFormat::kPng, "PNG", "png", {".png", ""}, &png::Sniff, &png::Read, &png::Write,
     {kUint8, kUint16, kUint8, kUint8}},
    {FileFormat::kOpenExr, "OpenEXR", "openexr", {".exr", ""}, &exr::Sniff, &exr::Read,
     &exr::Write, {kHalf, kFloat, kHalf, kFloat}},
    {FileFormat::kTiff, "TIFF", "tiff", {".tif", ".tiff"}, &tiff::Sniff, &tiff::Read,
     &tiff::Write, {kUint8, kUint16, kFloat, kFloat}},
    {FileFormat::kDpx, "DPX", "dpx", {".dpx", ""}, &dpx::Sniff, &dpx::Read, &dpx::Write,
     {kUint8, kUint16, kFloat, kFloat}},
    {FileFormat::kJpeg, "JPEG", "jpeg", {".jpg", ".jpeg"}, &jpeg::Sniff, &jpeg::Read, nullptr,
     {kUint8, kUint8, kUint8, kUint8}},
}};
// clang-format on

// Rows a sink into memory has room for beyond the samples: headers and
// tables.
constexpr std::size_t kSpareBytes = std::size_t{1} << 20;

// Enough of a file's start for every format's signature.
constexpr std::size_t kSignatureBytes = 16;

const Codec* CodecNamed(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension.empty()) return nullptr;
  for (const Codec& codec : kCodecs) {
    if (codec.extensions[0] == extension || codec.extensions[1] == extension) return &codec;
  }
  return nullptr;
}

std::string_view TypeName(OutputType type) {
  switch (type) {
    case OutputType::kUint8:
      return "uint8";
    case OutputType::kUint16:
      return "uint16";
    case OutputType::kHalf:
      return "half";
    case OutputType::kFloat:
      break;
  }
  return "float";
}

// What the written file does not keep of what was read or asked for.
std::vector<std::string> NotesOn(const Codec& codec, const ImageHeader& header,
                                 std::optional<OutputType> output_type, OutputType written) {
  std::vector<std::string> notes;
  const OutputType wanted = output_type.value_or(header.stored_type);
  if (written != wanted) {
    const std::string name(codec.name);
    notes.push_back(
        output_type ? "--output-type " + std::string(TypeName(wanted)) + ": written as " +
                          std::string(TypeName(written)) + ", the nearest type " + name + " holds"
                    : "the input's " + std::string(TypeName(wanted)) + " samples are written as " +
                          std::string(TypeName(written)) + ", the nearest type " + name + " holds");
  }
  if (header.exr && codec.format != FileFormat::kOpenExr) {
    const std::string left_out = exr::DescribeLeftOut(*header.exr);
    if (!left_out.empty()) {
      notes.push_back(std::string(codec.name) + " holds the keyed RGBA only: left out " + left_out);
    }
  }
  return notes;
}

}  // namespace

std::string OutputFormatProblem(const std::string& path) {
  const Codec* codec = CodecNamed(path);
  if (codec == nullptr) return path + ": no image format is known by this file name's extension";
  if (codec->write == nullptr) {
    return path + ": the " + std::string(codec->key) +
           " format cannot carry the alpha channel the effect writes; write PNG, OpenEXR, TIFF "
           "or DPX";
  }
  return {};
}

ImageHeader ReadImageFile(const std::string& path, const ReadOptions& options, FrameBuffer& frame) {
  // Opened first, so that a missing file or a directory is named as the
  // system names it.
  const files::InputFile file = files::OpenForReading(path);
  const Codec* named = CodecNamed(path);
  if (named == nullptr) {
    throw files::FileError(path +
                           ": the extension names no format that can be read; read PNG (.png), "
                           "OpenEXR (.exr), TIFF (.tif, .tiff), DPX (.dpx) or JPEG (.jpg, .jpeg)");
  }
  try {
    unsigned char start[kSignatureBytes];
    const std::size_t count = std::fread(start, 1, sizeof start, file.get());
    if (std::ferror(file.get()) != 0) throw files::FileError(std::strerror(errno));
    // The extension's format first, then the others by their signatures.
    const Codec* codec = named->sniff(start, count) ? named : nullptr;
    for (const Codec& other : kCodecs) {
      if (codec == nullptr && other.sniff(start, count)) codec = &other;
    }
    if (codec == nullptr) {
      throw files::FileError("not a " + std::string(named->name) +
                             " file, nor one of the other formats read (PNG, OpenEXR, TIFF, DPX, "
                             "JPEG)");
    }
    if (!options.layer.empty() && codec->format != FileFormat::kOpenExr) {
      throw files::FileError("only OpenEXR files have layers");
    }
    std::rewind(file.get());
    ImageHeader header = codec->read(file.get(), files::FileSize(file.get()), options, frame);
    header.format = codec->format;
    return header;
  } catch (const files::FileError& error) {
    throw files::FileError(path + ": " + error.what());
  }
}

ImageHeader ReadImageFile(const std::string& path, std::uint64_t max_pixels, FrameBuffer& frame) {
  ReadOptions options;
  options.max_pixels = max_pixels;
  return ReadImageFile(path, options, frame);
}

std::vector<std::string> WriteImageFile(const std::string& path, const ImageHeader& header,
                                        std::optional<OutputType> output_type, FrameBuffer& frame,
                                        files::TemporaryFiles& temporaries) {
  const std::string problem = OutputFormatProblem(path);
  if (!problem.empty()) throw files::FileError(problem);
  const Codec& codec = *CodecNamed(path);
  const OutputType written =
      codec.written_as[static_cast<std::size_t>(output_type.value_or(header.stored_type))];
  try {
    files::OutputFile file(path, temporaries);
    // OpenEXR's and TIFF's writers go back over what they wrote, which a
    // device or a FIFO cannot: such an output is encoded in memory, with
    // room for the samples uncompressed reserved up front so that the
    // buffer is not copied as it grows (pages a compressed file leaves
    // untouched cost nothing), and then written out.
    if (file.seekable()) {
      ByteSink sink(file.file());
      codec.write(sink, header, written, frame);
    } else {
      ByteSink sink(frame.image_bytes() + kSpareBytes);
      codec.write(sink, header, written, frame);
      const std::vector<unsigned char>& encoded = sink.memory();
      if (std::fwrite(encoded.data(), 1, encoded.size(), file.file()) != encoded.size()) {
        throw files::FileError(std::strerror(errno));
      }
    }
    file.Commit();
  } catch (const files::FileError& error) {
    throw files::FileError(path + ": " + error.what());
  }
  return NotesOn(codec, header, output_type, written);
}

}  // namespace huesieve::image
