#include "image/image_files.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string_view>
#include <vector>

#include <sys/stat.h>

#include <OpenImageIO/filesystem.h>

#include "files/file_error.h"
#include "files/output_file.h"
#include "png/files.h"

namespace huesieve::image {
namespace {

using OIIO::TypeDesc;

// Rows move between the file and the frame in bands of about this many
// bytes: memory taken as rows arrive, and conversions within the cache.
constexpr std::size_t kBandBytes = std::size_t{1} << 20;

// OpenImageIO premultiplies unassociated alpha as it reads unless told not
// to; the effect sees every sample as the file holds it.
constexpr char kUnassociatedAlpha[] = "oiio:UnassociatedAlpha";
constexpr char kBitsPerSample[] = "oiio:BitsPerSample";

TypeDesc TypeOf(SampleType type) {
  switch (type) {
    case SampleType::kUint8:
      return TypeDesc::UINT8;
    case SampleType::kUint16:
      return TypeDesc::UINT16;
    case SampleType::kFloat:
      break;
  }
  return TypeDesc::FLOAT;
}

TypeDesc TypeOf(OutputType type) {
  switch (type) {
    case OutputType::kUint8:
      return TypeDesc::UINT8;
    case OutputType::kUint16:
      return TypeDesc::UINT16;
    case OutputType::kHalf:
      return TypeDesc::HALF;
    case OutputType::kFloat:
      break;
  }
  return TypeDesc::FLOAT;
}

std::optional<SampleType> SampleTypeOf(TypeDesc type) {
  switch (type.basetype) {
    case TypeDesc::UINT8:
      return SampleType::kUint8;
    case TypeDesc::UINT16:
      return SampleType::kUint16;
    case TypeDesc::HALF:
    case TypeDesc::FLOAT:
      return SampleType::kFloat;
    default:
      return std::nullopt;
  }
}

// Which of the file's channels become the frame's: the first three (or the
// first alone, grey, in an image of fewer than three) and the alpha channel.
struct ChannelPlan {
  int colour = 3;      // 1: grey
  int alpha = -1;      // the alpha channel's index, -1 for none
  int first_read = 3;  // channels [0, first_read) are read in one go
};

ChannelPlan PlanChannels(const OIIO::ImageSpec& spec) {
  ChannelPlan plan;
  plan.colour = spec.nchannels >= 3 ? 3 : 1;
  plan.alpha = spec.alpha_channel >= 0 && spec.alpha_channel < spec.nchannels &&
                       spec.alpha_channel >= plan.colour
                   ? spec.alpha_channel
                   : -1;
  // Alpha right after the colour channels comes in the same read.
  plan.first_read = plan.alpha == plan.colour ? plan.colour + 1 : plan.colour;
  return plan;
}

// The type the channels read are rendered at: the widest of them.
std::optional<SampleType> RenderedType(const OIIO::ImageSpec& spec, const ChannelPlan& plan) {
  std::optional<SampleType> widest;
  for (int channel = 0; channel < spec.nchannels; ++channel) {
    if (channel >= plan.colour && channel != plan.alpha) continue;
    const std::optional<SampleType> type = SampleTypeOf(spec.channelformat(channel));
    if (!type) return std::nullopt;
    if (!widest || SampleSize(*type) > SampleSize(*widest)) widest = type;
  }
  return widest;
}

template <typename Sample>
constexpr Sample kOpaque = std::numeric_limits<Sample>::max();
template <>
constexpr float kOpaque<float> = 1.0f;

// Completes `width` pixels of `row` read as `plan` says: grey spread over red,
// green and blue, alpha opaque where the file has none.
template <typename Sample>
void CompletePixels(std::byte* row, std::uint32_t width, const ChannelPlan& plan) {
  for (std::uint32_t x = 0; x < width; ++x) {
    std::byte* at = row + std::size_t{x} * 4 * sizeof(Sample);
    Sample pixel[4];
    std::memcpy(pixel, at, sizeof pixel);
    if (plan.colour == 1) {
      // Grey with alpha read in one go lands in green.
      if (plan.first_read == 2) pixel[3] = pixel[1];
      pixel[1] = pixel[0];
      pixel[2] = pixel[0];
    }
    if (plan.alpha < 0) pixel[3] = kOpaque<Sample>;
    std::memcpy(at, pixel, sizeof pixel);
  }
}

void CompleteRows(std::byte* first, std::uint32_t rows, const FrameBuffer& frame,
                  const ChannelPlan& plan) {
  if (plan.colour == 3 && plan.alpha == 3) return;
  for (std::uint32_t row = 0; row < rows; ++row) {
    std::byte* at = first + std::size_t{row} * frame.row_bytes();
    switch (frame.type()) {
      case SampleType::kUint8:
        CompletePixels<std::uint8_t>(at, frame.width(), plan);
        break;
      case SampleType::kUint16:
        CompletePixels<std::uint16_t>(at, frame.width(), plan);
        break;
      case SampleType::kFloat:
        CompletePixels<float>(at, frame.width(), plan);
        break;
    }
  }
}

// The formats read, by OpenImageIO's names, and the extensions naming them.
// Only these readers see a file: OpenImageIO would otherwise try every reader
// it has (camera raw, DICOM, ffmpeg, ...) on a file its extension's reader
// refuses, far more code facing untrusted bytes than the tool needs.
struct ReadFormat {
  std::string_view extension;
  std::string_view name;
};
constexpr std::array<ReadFormat, 7> kReadFormats = {{{".png", "png"},
                                                     {".exr", "openexr"},
                                                     {".tif", "tiff"},
                                                     {".tiff", "tiff"},
                                                     {".dpx", "dpx"},
                                                     {".jpg", "jpeg"},
                                                     {".jpeg", "jpeg"}}};
constexpr std::array<std::string_view, 5> kReaderNames = {"png", "openexr", "tiff", "dpx", "jpeg"};

// The library's complaint, to its first line: a message is one line.
[[noreturn]] void Fail(const std::string& path, const std::string& why) {
  const std::string text = why.substr(0, why.find('\n'));
  throw FileError(path + ": " + (text.empty() ? "cannot be read" : text));
}

// `path` opened through `proxy` by the reader its extension names or, when
// that reader refuses it, by another of the formats read; the message is the
// extension's reader's.
std::unique_ptr<OIIO::ImageInput> OpenReader(const std::string& path, const OIIO::ImageSpec& config,
                                             OIIO::Filesystem::IOProxy& proxy) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const auto named = std::find_if(kReadFormats.begin(), kReadFormats.end(),
                                  [&](const ReadFormat& format) { return format.extension == extension; });
  if (named == kReadFormats.end()) {
    Fail(path, "the extension names no format that can be read; read PNG (.png), OpenEXR (.exr), "
               "TIFF (.tif, .tiff), DPX (.dpx) or JPEG (.jpg, .jpeg)");
  }
  std::array<std::string_view, kReaderNames.size()> order = kReaderNames;
  std::stable_partition(order.begin(), order.end(),
                        [&](std::string_view name) { return name == named->name; });
  std::string refusal;
  for (const std::string_view name : order) {
    proxy.seek(0);
    std::unique_ptr<OIIO::ImageInput> input =
        OIIO::ImageInput::create(name, false, &config, &proxy);
    OIIO::ImageSpec opened;
    if (input && input->set_ioproxy(&proxy) && input->open(path, opened, config)) return input;
    if (refusal.empty()) refusal = input ? input->geterror() : OIIO::geterror();
  }
  Fail(path, refusal);
}

// Rows [first, first + count) of channels [chbegin, chend), into the frame
// from byte `offset` of each pixel.
bool ReadRows(OIIO::ImageInput& input, const OIIO::ImageSpec& spec, FrameBuffer& frame,
              std::uint32_t first, std::uint32_t count, int chbegin, int chend,
              std::size_t offset) {
  std::byte* at = frame.Rows(first, count) + offset;
  const TypeDesc type = TypeOf(frame.type());
  const auto xstride = static_cast<OIIO::stride_t>(frame.pixel_size());
  const auto ystride = static_cast<OIIO::stride_t>(frame.row_bytes());
  const int ybegin = spec.y + static_cast<int>(first);
  const int yend = ybegin + static_cast<int>(count);
  if (spec.tile_width > 0) {
    return input.read_tiles(0, 0, spec.x, spec.x + spec.width, ybegin, yend, spec.z, spec.z + 1,
                            chbegin, chend, type, at, xstride, ystride);
  }
  return input.read_scanlines(0, 0, ybegin, yend, spec.z, chbegin, chend, type, at, xstride,
                              ystride);
}

// Rows a band holds: a whole number of tiles in a tiled file.
std::uint32_t BandRows(const OIIO::ImageSpec& spec, std::size_t row_bytes) {
  const auto rows = static_cast<std::uint32_t>(std::max<std::size_t>(1, kBandBytes / row_bytes));
  if (spec.tile_width <= 0) return rows;
  const auto tile = static_cast<std::uint32_t>(spec.tile_height);
  return std::max<std::uint32_t>(1, rows / tile) * tile;
}

// The size of the file `file` is, or 0.
std::uint64_t FileSize(std::FILE* file) {
  struct stat status {};
  if (::fstat(::fileno(file), &status) != 0 || status.st_size < 0) return 0;
  return static_cast<std::uint64_t>(status.st_size);
}

// What is wrong with an OpenEXR header, or nothing: the OpenEXR library
// takes memory by an attribute's stated size as it reads the header, before
// anything can be checked, so every attribute must fit in the file.
std::string ExrHeaderProblem(std::FILE* file) {
  constexpr unsigned char kMagic[4] = {0x76, 0x2F, 0x31, 0x01};
  constexpr std::uint32_t kMultiPart = 0x1000;
  unsigned char start[8];
  if (std::fread(start, 1, sizeof start, file) != sizeof start ||
      std::memcmp(start, kMagic, sizeof kMagic) != 0) {
    return {};
  }
  const bool multi_part = ((std::uint32_t{start[5]} << 8) & kMultiPart) != 0;
  const std::uint64_t file_size = FileSize(file);
  // Attributes, each a name, a type name and a size, then the value: a
  // header ends at an empty name, a multi-part file's headers at two.
  bool header_ended = false;
  for (;;) {
    std::string names[2];
    for (std::string& name : names) {
      for (int c; (c = std::fgetc(file)) > 0 && name.size() < 256;) {
        name.push_back(static_cast<char>(c));
      }
      if (names[0].empty()) break;
    }
    if (names[0].empty()) {
      if (!multi_part || header_ended) return {};
      header_ended = true;
      continue;
    }
    header_ended = false;
    unsigned char size[4];
    if (std::fread(size, 1, sizeof size, file) != sizeof size) return {};
    const std::uint32_t bytes =
        std::uint32_t{size[0]} | std::uint32_t{size[1]} << 8 | std::uint32_t{size[2]} << 16 |
        std::uint32_t{size[3]} << 24;
    if (bytes > file_size) {
      return "the header's attribute \"" + names[0] + "\" claims " + std::to_string(bytes) +
             " bytes, more than the file's " + std::to_string(file_size);
    }
    if (std::fseek(file, static_cast<long>(bytes), SEEK_CUR) != 0) return {};
  }
}

// What is wrong with a DPX header, or nothing. OpenImageIO's DPX reader takes
// memory by the header's word as it opens the file, before anything can be
// checked: for the user data the header claims (and a claim past 2 GiB
// stops the process), and for the image's rows; and it reads rows that lie
// past the end of the file into memory past its row buffer. So the claims
// are checked against the file and the pixel limit before the library reads
// it.
std::string DpxHeaderProblem(std::FILE* file, std::uint64_t max_pixels) {
  constexpr long kUserDataSizeAt = 32;
  constexpr long kImageSizeAt = 772;  // pixels per line, then lines per element
  // The first element's descriptor, transfer, colorimetric, bit depth,
  // packing, encoding and data offset.
  constexpr long kElementAt = 800;
  unsigned char magic[4];
  unsigned char user[4];
  unsigned char size[8];
  unsigned char element[12];
  const bool read = std::fread(magic, 1, sizeof magic, file) == sizeof magic &&
                    std::fseek(file, kUserDataSizeAt, SEEK_SET) == 0 &&
                    std::fread(user, 1, sizeof user, file) == sizeof user &&
                    std::fseek(file, kImageSizeAt, SEEK_SET) == 0 &&
                    std::fread(size, 1, sizeof size, file) == sizeof size &&
                    std::fseek(file, kElementAt, SEEK_SET) == 0 &&
                    std::fread(element, 1, sizeof element, file) == sizeof element;
  if (!read) return {};
  const bool big_endian = std::memcmp(magic, "SDPX", 4) == 0;
  if (!big_endian && std::memcmp(magic, "XPDS", 4) != 0) return {};
  const auto word = [&](const unsigned char* at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      value |= std::uint32_t{at[big_endian ? i : 3 - i]} << (8 * (3 - i));
    }
    return value;
  };
  const std::uint32_t user_data = word(user);
  const std::uint64_t file_size = FileSize(file);
  // An undefined word is all ones.
  if (user_data != 0xFFFFFFFF && user_data > file_size) {
    return "the header claims " + std::to_string(user_data) +
           " bytes of user data, more than the file's " + std::to_string(file_size);
  }
  try {
    CheckPixelLimit(word(size), word(size + 4), max_pixels);
  } catch (const FileError& error) {
    return error.what();
  }
  // The image's rows at their least: one sample a pixel (an unknown
  // descriptor is read as one), 10 and 12-bit rows in whole 32-bit words.
  const int channels = element[0] == 50 ? 3 : element[0] == 51 || element[0] == 52 ? 4 : 1;
  const std::uint64_t bits = element[3];
  const std::uint64_t samples = std::uint64_t{word(size)} * std::uint64_t(channels);
  const std::uint64_t row_bytes =
      bits == 10 || bits == 12 ? (samples * bits + 31) / 32 * 4 : (samples * bits + 7) / 8;
  const std::uint64_t offset = word(element + 8);
  if (offset > file_size || (row_bytes != 0 && word(size + 4) > (file_size - offset) / row_bytes)) {
    return "the image data, " + std::to_string(word(size + 4)) + " rows of " +
           std::to_string(row_bytes) + " bytes from byte " + std::to_string(offset) +
           ", runs past the end of the file of " + std::to_string(file_size) + " bytes";
  }
  return {};
}

}  // namespace

void CheckPixelLimit(std::uint64_t width, std::uint64_t height, std::uint64_t max_pixels) {
  if (width * height > max_pixels) {
    throw FileError("image of " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels exceeds the limit of " + std::to_string(max_pixels) + " pixels");
  }
}

std::string OutputFormatProblem(const std::string& path) {
  const std::unique_ptr<OIIO::ImageOutput> output = OIIO::ImageOutput::create(path);
  if (!output) return path + ": no image format is known by this file name's extension";
  if (!output->supports("alpha")) {
    return path + ": the " + output->format_name() +
           " format cannot carry the alpha channel the effect writes; write PNG, OpenEXR, TIFF "
           "or DPX";
  }
  return {};
}

ImageHeader ReadImageFile(const std::string& path, std::uint64_t max_pixels, FrameBuffer& frame) {
  // Opened here, so that a missing file or a directory is named as the
  // system names it; the reader reads through it.
  png::InputFile file;
  try {
    file = png::OpenForReading(path);
  } catch (const png::FileError& error) {
    throw FileError(error.what());
  }
  std::string problem = DpxHeaderProblem(file.get(), max_pixels);
  std::rewind(file.get());
  if (problem.empty()) problem = ExrHeaderProblem(file.get());
  std::rewind(file.get());
  if (!problem.empty()) Fail(path, problem);
  OIIO::Filesystem::IOFile proxy(file.get(), OIIO::Filesystem::IOProxy::Read);
  OIIO::ImageSpec config;
  config.attribute(kUnassociatedAlpha, 1);
  const std::unique_ptr<OIIO::ImageInput> input = OpenReader(path, config, proxy);
  const OIIO::ImageSpec& spec = input->spec();
  if (spec.deep) Fail(path, "deep images are not supported");
  if (spec.depth > 1) Fail(path, "volume images are not supported");
  if (spec.width <= 0 || spec.height <= 0 || spec.nchannels <= 0) Fail(path, "the image is empty");
  try {
    CheckPixelLimit(static_cast<std::uint64_t>(spec.width), static_cast<std::uint64_t>(spec.height),
                    max_pixels);
  } catch (const FileError& error) {
    Fail(path, error.what());
  }
  const ChannelPlan plan = PlanChannels(spec);
  const std::optional<SampleType> type = RenderedType(spec, plan);
  if (!type) Fail(path, std::string(spec.format.c_str()) + " samples are not supported");
  // Associated unless the reader says otherwise, with or without alpha: an
  // opaque pixel is the same either way, and a pixel the effect gives partial
  // alpha is then written as the file's format expects it.
  const bool premultiplied = spec.get_int_attribute(kUnassociatedAlpha) == 0;
  const auto width = static_cast<std::uint32_t>(spec.width);
  const auto height = static_cast<std::uint32_t>(spec.height);
  frame.Reset(*type, width, height, premultiplied);

  const std::size_t alpha_offset = 3 * SampleSize(*type);
  const std::uint32_t band = BandRows(spec, frame.row_bytes());
  for (std::uint32_t first = 0; first < height; first += band) {
    const std::uint32_t rows = std::min(band, height - first);
    bool read = ReadRows(*input, spec, frame, first, rows, 0, plan.first_read, 0);
    if (read && plan.alpha > plan.colour) {
      read = ReadRows(*input, spec, frame, first, rows, plan.alpha, plan.alpha + 1, alpha_offset);
    }
    if (!read) Fail(path, input->geterror());
    CompleteRows(frame.Rows(first, rows), rows, frame, plan);
  }
  return ImageHeader{spec};
}

void WriteImageFile(const std::string& path, const ImageHeader& header,
                    std::optional<OutputType> output_type, FrameBuffer& frame,
                    files::TemporaryFiles& temporaries) {
  OIIO::ImageSpec spec = header.spec;
  spec.nchannels = 4;
  spec.channelnames = {"R", "G", "B", "A"};
  // Files of mixed channel types are written at the type they were rendered.
  if (output_type) {
    spec.format = TypeOf(*output_type);
  } else if (!spec.channelformats.empty()) {
    spec.format = TypeOf(frame.type());
  }
  spec.channelformats.clear();
  spec.alpha_channel = 3;
  spec.z_channel = -1;
  // A reader's 10 or 12 bits are kept; fewer than 8 came from grey or
  // palette images, and no RGBA file holds them.
  if (output_type || spec.get_int_attribute(kBitsPerSample) <= 8) spec.erase_attribute(kBitsPerSample);
  if (frame.premultiplied()) {
    spec.erase_attribute(kUnassociatedAlpha);
  } else {
    spec.attribute(kUnassociatedAlpha, 1);
  }

  try {
    files::OutputFile file(path, temporaries);
    // OpenEXR's and TIFF's writers seek back into what they wrote, which a
    // device or a FIFO cannot: such an output is encoded in memory and then
    // streamed. Room for the samples uncompressed is reserved up front, so
    // the buffer is not copied as it grows; pages a compressed file leaves
    // untouched cost nothing.
    std::vector<unsigned char> encoded;
    std::unique_ptr<OIIO::Filesystem::IOProxy> proxy;
    if (file.seekable()) {
      proxy = std::make_unique<OIIO::Filesystem::IOFile>(file.file(),
                                                         OIIO::Filesystem::IOProxy::Write);
    } else {
      encoded.reserve(static_cast<std::size_t>(spec.image_bytes()) + kBandBytes);
      proxy = std::make_unique<OIIO::Filesystem::IOVecOutput>(encoded);
    }
    // Made after the file it writes to, and gone before it.
    const std::unique_ptr<OIIO::ImageOutput> output = OIIO::ImageOutput::create(path);
    if (!output) Fail(path, OIIO::geterror());
    if (!output->supports("tiles")) {
      spec.tile_width = 0;
      spec.tile_height = 0;
      spec.tile_depth = 0;
    }
    if (!output->set_ioproxy(proxy.get()) || !output->open(path, spec)) {
      Fail(path, output->geterror());
    }
    const TypeDesc type = TypeOf(frame.type());
    const auto xstride = static_cast<OIIO::stride_t>(frame.pixel_size());
    const auto ystride = static_cast<OIIO::stride_t>(frame.row_bytes());
    const std::uint32_t band = BandRows(spec, frame.row_bytes());
    for (std::uint32_t first = 0; first < frame.height(); first += band) {
      const std::uint32_t rows = std::min(band, frame.height() - first);
      const std::byte* at = frame.Rows(first, rows);
      const int ybegin = spec.y + static_cast<int>(first);
      const int yend = ybegin + static_cast<int>(rows);
      const bool written =
          spec.tile_width > 0
              ? output->write_tiles(spec.x, spec.x + spec.width, ybegin, yend, spec.z, spec.z + 1,
                                    type, at, xstride, ystride)
              : output->write_scanlines(ybegin, yend, spec.z, type, at, xstride, ystride);
      if (!written) Fail(path, output->geterror());
    }
    if (!output->close()) Fail(path, output->geterror());
    if (!encoded.empty() &&
        std::fwrite(encoded.data(), 1, encoded.size(), file.file()) != encoded.size()) {
      Fail(path, std::strerror(errno));
    }
    file.Commit();
  } catch (const files::FileError& error) {
    Fail(path, error.what());
  }
}

}  // namespace huesieve::image
