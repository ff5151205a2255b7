#include "image/tiff_file.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "files/file_error.h"
#include "image/image_header.h"
#include "image/sample_rows.h"

namespace huesieve::image::tiff {
namespace {

// libtiff calls back with its complaints; the first error is the one that
// explains a failure.
struct Messages {
  char error[512] = "";
};

int OnError(TIFF*, void* user_data, const char*, const char* format, va_list arguments) {
  auto* messages = static_cast<Messages*>(user_data);
  if (messages->error[0] == '\0') {
    std::vsnprintf(messages->error, sizeof messages->error, format, arguments);
  }
  return 1;
}

// Warnings (unknown tags, for one) do not stop a file that decodes.
int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct OptionsDeleter {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

std::unique_ptr<TIFFOpenOptions, OptionsDeleter> OpenOptions(Messages& messages,
                                                             tmsize_t max_allocation) {
  std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
  if (!options) throw std::bad_alloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), &OnError, &messages);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), &OnWarning, nullptr);
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), max_allocation);
  return options;
}

int NoMapping(thandle_t, void**, toff_t*) { return 0; }
void NoUnmapping(thandle_t, void*, toff_t) {}
int NoClosing(thandle_t) { return 0; }

// Reading: the open file, which the dispatcher keeps.
struct Source {
  std::FILE* file;
  std::uint64_t size;
};

tmsize_t SourceRead(thandle_t handle, void* data, tmsize_t size) {
  auto* source = static_cast<Source*>(handle);
  return static_cast<tmsize_t>(std::fread(data, 1, static_cast<std::size_t>(size), source->file));
}

tmsize_t SourceWrite(thandle_t, void*, tmsize_t) { return -1; }

toff_t SourceSeek(thandle_t handle, toff_t offset, int whence) {
  auto* source = static_cast<Source*>(handle);
  if (offset > static_cast<toff_t>(std::numeric_limits<off_t>::max()) ||
      ::fseeko(source->file, static_cast<off_t>(offset), whence) != 0) {
    return static_cast<toff_t>(-1);
  }
  return static_cast<toff_t>(::ftello(source->file));
}

toff_t SourceSize(thandle_t handle) { return static_cast<Source*>(handle)->size; }

// Writing: through the sink, whose exceptions stop at this boundary; the
// system's reason they carry is kept for the message.
struct Destination {
  ByteSink* sink;
  std::uint64_t base = 0;      // where the file starts in the sink
  std::uint64_t position = 0;  // from the start of the file
  std::uint64_t end = 0;
  char failure[256] = "";
};

void Remember(Destination& destination, const char* what) {
  if (destination.failure[0] == '\0') {
    std::snprintf(destination.failure, sizeof destination.failure, "%s", what);
  }
}

tmsize_t DestinationWrite(thandle_t handle, void* data, tmsize_t size) {
  auto* destination = static_cast<Destination*>(handle);
  try {
    destination->sink->Write(data, static_cast<std::size_t>(size));
  } catch (const std::exception& error) {
    Remember(*destination, error.what());
    return -1;
  }
  destination->position += static_cast<std::uint64_t>(size);
  destination->end = std::max(destination->end, destination->position);
  return size;
}

tmsize_t DestinationRead(thandle_t, void*, tmsize_t) { return 0; }

toff_t DestinationSeek(thandle_t handle, toff_t offset, int whence) {
  auto* destination = static_cast<Destination*>(handle);
  const std::uint64_t from = whence == SEEK_CUR   ? destination->position
                             : whence == SEEK_END ? destination->end
                                                  : 0;
  const std::uint64_t position = from + offset;
  try {
    destination->sink->Seek(destination->base + position);
  } catch (const std::exception& error) {
    Remember(*destination, error.what());
    return static_cast<toff_t>(-1);
  }
  destination->position = position;
  return position;
}

toff_t DestinationSize(thandle_t handle) { return static_cast<Destination*>(handle)->end; }

[[noreturn]] void Fail(const Messages& messages, const char* otherwise) {
  throw files::FileError(messages.error[0] != '\0' ? messages.error : otherwise);
}

template <typename T>
T Field(TIFF* tiff, ttag_t tag) {
  T value{};
  TIFFGetFieldDefaulted(tiff, tag, &value);
  return value;
}

// Which of the file's samples become the frame's: the first (grey) or the
// first three, and the alpha sample, if any.
struct Layout {
  SampleType type = SampleType::kUint8;
  int colour = 3;
  int alpha = -1;
  int samples = 3;  // a pixel has
  bool planar = false;
};

template <typename Sample>
constexpr Sample kOpaque = std::numeric_limits<Sample>::max();
template <>
constexpr float kOpaque<float> = 1.0f;

template <typename Sample>
Sample Load(const std::byte* at) {
  Sample value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// `count` pixels of a decoded row: every sample of the pixel when `plane`
// is -1, else the one sample `plane`; into the frame's RGBA pixels `out`.
template <typename Sample>
void Place(const std::byte* in, std::uint32_t count, const Layout& layout, int plane,
           std::byte* out) {
  const std::size_t in_step =
      (plane < 0 ? static_cast<std::size_t>(layout.samples) : 1) * sizeof(Sample);
  for (std::uint32_t x = 0; x < count; ++x, in += in_step, out += 4 * sizeof(Sample)) {
    Sample pixel[4];
    std::memcpy(pixel, out, sizeof pixel);
    if (plane < 0) {
      pixel[0] = Load<Sample>(in);
      pixel[1] = Load<Sample>(in + (layout.colour == 3 ? 1 : 0) * sizeof(Sample));
      pixel[2] = Load<Sample>(in + (layout.colour == 3 ? 2 : 0) * sizeof(Sample));
      pixel[3] = layout.alpha < 0
                     ? kOpaque<Sample>
                     : Load<Sample>(in + static_cast<std::size_t>(layout.alpha) * sizeof(Sample));
    } else {
      const Sample value = Load<Sample>(in);
      if (plane == layout.alpha) {
        pixel[3] = value;
      } else if (layout.colour == 1) {
        pixel[0] = pixel[1] = pixel[2] = value;
      } else {
        pixel[plane] = value;
      }
      if (plane == 0 && layout.alpha < 0) pixel[3] = kOpaque<Sample>;
    }
    std::memcpy(out, pixel, sizeof pixel);
  }
}

void PlacePixels(const std::byte* in, std::uint32_t count, const Layout& layout, int plane,
                 std::byte* out) {
  switch (layout.type) {
    case SampleType::kUint8:
      return Place<std::uint8_t>(in, count, layout, plane, out);
    case SampleType::kUint16:
      return Place<std::uint16_t>(in, count, layout, plane, out);
    case SampleType::kFloat:
      return Place<float>(in, count, layout, plane, out);
  }
}

// The planes the frame takes its samples from: all in one for contiguous
// samples.
std::vector<int> PlanesRead(const Layout& layout) {
  if (!layout.planar) return {-1};
  std::vector<int> planes;
  for (int plane = 0; plane < layout.colour; ++plane) planes.push_back(plane);
  if (layout.alpha >= 0) planes.push_back(layout.alpha);
  return planes;
}

Layout LayoutOf(TIFF* tiff) {
  Layout layout;
  const auto bits = Field<std::uint16_t>(tiff, TIFFTAG_BITSPERSAMPLE);
  const auto format = Field<std::uint16_t>(tiff, TIFFTAG_SAMPLEFORMAT);
  if (format == SAMPLEFORMAT_UINT && bits == 8) {
    layout.type = SampleType::kUint8;
  } else if (format == SAMPLEFORMAT_UINT && bits == 16) {
    layout.type = SampleType::kUint16;
  } else if (format == SAMPLEFORMAT_IEEEFP && bits == 32) {
    layout.type = SampleType::kFloat;
  } else {
    const char* kind = format == SAMPLEFORMAT_IEEEFP ? "floating-point"
                       : format == SAMPLEFORMAT_INT  ? "signed integer"
                                                     : "integer";
    throw files::FileError(std::to_string(bits) + "-bit " + kind +
                           " samples are not supported; read 8 and 16-bit integer and 32-bit "
                           "floating-point samples");
  }
  std::uint16_t photometric = 0;
  if (TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) != 1) {
    throw files::FileError(
        "the file does not say how its samples make colours (no photometric tag)");
  }
  const auto compression = Field<std::uint16_t>(tiff, TIFFTAG_COMPRESSION);
  if (photometric == PHOTOMETRIC_YCBCR && compression == COMPRESSION_JPEG) {
    // libtiff's JPEG codec converts to RGB itself.
    TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    photometric = PHOTOMETRIC_RGB;
  }
  if (photometric == PHOTOMETRIC_MINISBLACK) {
    layout.colour = 1;
  } else if (photometric == PHOTOMETRIC_RGB) {
    layout.colour = 3;
  } else {
    throw files::FileError("TIFF files of photometric interpretation " +
                           std::to_string(photometric) + " are not supported; read RGB and grey");
  }
  // Beyond this, a row of samples would outweigh the frame's own row.
  constexpr int kMostSamples = 16;
  layout.samples = Field<std::uint16_t>(tiff, TIFFTAG_SAMPLESPERPIXEL);
  if (layout.samples < layout.colour || layout.samples > kMostSamples) {
    throw files::FileError(std::to_string(layout.samples) +
                           " samples a pixel are not supported for " +
                           (layout.colour == 1 ? "grey" : "RGB"));
  }
  if (layout.samples > layout.colour) layout.alpha = layout.colour;
  layout.planar = Field<std::uint16_t>(tiff, TIFFTAG_PLANARCONFIG) == PLANARCONFIG_SEPARATE;
  return layout;
}

// Associated unless the extra-samples tag says the alpha is not; an image
// without alpha reads the same either way.
bool Premultiplied(TIFF* tiff, const Layout& layout) {
  std::uint16_t count = 0;
  const std::uint16_t* kinds = nullptr;
  if (layout.alpha < 0 || TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds) != 1)
    return true;
  return count == 0 || kinds[0] != EXTRASAMPLE_UNASSALPHA;
}

// Every strip or tile lies within the file, before any is read.
void CheckChunks(TIFF* tiff, std::uint64_t file_size, const Messages& messages) {
  const bool tiled = TIFFIsTiled(tiff) != 0;
  const std::uint32_t count = tiled ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff);
  const char* name = tiled ? "tile" : "strip";
  if (count == 0) throw files::FileError(std::string("the file has no ") + name + "s");
  for (std::uint32_t index = 0; index < count; ++index) {
    int error = 0;
    const std::uint64_t offset = TIFFGetStrileOffsetWithErr(tiff, index, &error);
    if (error == 0) {
      const std::uint64_t bytes = TIFFGetStrileByteCountWithErr(tiff, index, &error);
      if (error == 0 && (offset > file_size || bytes > file_size - offset)) {
        throw files::FileError(std::string(name) + " " + std::to_string(index) + " claims bytes " +
                               std::to_string(offset) + " to " + std::to_string(offset + bytes) +
                               ", past the end of the file's " + std::to_string(file_size));
      }
    }
    if (error != 0) Fail(messages, "the table of strips or tiles cannot be read");
  }
}

void ReadStrips(TIFF* tiff, const Layout& layout, FrameBuffer& frame, const Messages& messages) {
  const tmsize_t size = TIFFScanlineSize(tiff);
  if (size <= 0) Fail(messages, "the rows have no size");
  std::vector<std::byte> row(static_cast<std::size_t>(size));
  for (const int plane : PlanesRead(layout)) {
    const auto sample = static_cast<std::uint16_t>(plane < 0 ? 0 : plane);
    for (std::uint32_t y = 0; y < frame.height(); ++y) {
      if (TIFFReadScanline(tiff, row.data(), y, sample) < 0) Fail(messages, "a row cannot be read");
      PlacePixels(row.data(), frame.width(), layout, plane, frame.Row(y));
    }
  }
}

void ReadTiles(TIFF* tiff, const Layout& layout, FrameBuffer& frame, const Messages& messages) {
  const auto tile_width = Field<std::uint32_t>(tiff, TIFFTAG_TILEWIDTH);
  const auto tile_height = Field<std::uint32_t>(tiff, TIFFTAG_TILELENGTH);
  // A tile is decoded whole: no larger than the image, or than a few
  // hundred kilobytes.
  constexpr std::uint64_t kSmallTile = std::uint64_t{1} << 16;
  const std::uint64_t tile_pixels = std::uint64_t{tile_width} * tile_height;
  if (tile_width == 0 || tile_height == 0 ||
      tile_pixels >
          std::max<std::uint64_t>(kSmallTile, std::uint64_t{frame.width()} * frame.height())) {
    throw files::FileError("tiles of " + std::to_string(tile_width) + " x " +
                           std::to_string(tile_height) + " pixels do not fit the image");
  }
  const tmsize_t size = TIFFTileSize(tiff);
  const tmsize_t row_size = TIFFTileRowSize(tiff);
  if (size <= 0 || row_size <= 0) Fail(messages, "the tiles have no size");
  std::vector<std::byte> tile(static_cast<std::size_t>(size));
  const std::size_t out_step = frame.pixel_size();
  for (std::uint32_t top = 0; top < frame.height(); top += tile_height) {
    const std::uint32_t rows = std::min(tile_height, frame.height() - top);
    for (const int plane : PlanesRead(layout)) {
      const auto sample = static_cast<std::uint16_t>(plane < 0 ? 0 : plane);
      for (std::uint32_t left = 0; left < frame.width(); left += tile_width) {
        if (TIFFReadTile(tiff, tile.data(), left, top, 0, sample) < 0) {
          Fail(messages, "a tile cannot be read");
        }
        const std::uint32_t columns = std::min(tile_width, frame.width() - left);
        std::byte* band = frame.Rows(top, rows);
        for (std::uint32_t y = 0; y < rows; ++y) {
          PlacePixels(tile.data() + static_cast<std::size_t>(row_size) * y, columns, layout, plane,
                      band + frame.row_bytes() * y + out_step * left);
        }
      }
    }
  }
}

// Compressions written again as the source had them: those libtiff encodes
// without loss, and JPEG for 8-bit samples. Others become the default.
bool KeepsCompression(std::uint16_t compression, SampleType type) {
  switch (compression) {
    case COMPRESSION_NONE:
    case COMPRESSION_LZW:
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
    case COMPRESSION_PACKBITS:
    case COMPRESSION_LZMA:
    case COMPRESSION_ZSTD:
      return TIFFIsCODECConfigured(compression) != 0;
    case COMPRESSION_JPEG:
      return type == SampleType::kUint8 && TIFFIsCODECConfigured(compression) != 0;
    default:
      return false;
  }
}

bool Differences(std::uint16_t compression) {
  return compression == COMPRESSION_LZW || compression == COMPRESSION_ADOBE_DEFLATE ||
         compression == COMPRESSION_DEFLATE || compression == COMPRESSION_LZMA ||
         compression == COMPRESSION_ZSTD;
}

// Copies sample `plane` of `count` RGBA pixels, or all four when `plane` is
// -1, from converted rows to what libtiff takes.
void Extract(const std::byte* rgba, std::uint32_t count, std::size_t sample_size, int plane,
             std::byte* out) {
  if (plane < 0) {
    std::memcpy(out, rgba, std::size_t{count} * 4 * sample_size);
    return;
  }
  for (std::uint32_t x = 0; x < count; ++x) {
    std::memcpy(out + x * sample_size,
                rgba + (std::size_t{x} * 4 + static_cast<std::size_t>(plane)) * sample_size,
                sample_size);
  }
}

}  // namespace

bool Sniff(const unsigned char* first_bytes, std::size_t count) {
  if (count < 4) return false;
  const bool little = first_bytes[0] == 'I' && first_bytes[1] == 'I';
  const bool big = first_bytes[0] == 'M' && first_bytes[1] == 'M';
  const unsigned low = little ? first_bytes[2] : first_bytes[3];
  const unsigned high = little ? first_bytes[3] : first_bytes[2];
  const unsigned version = high << 8 | low;
  return (little || big) && (version == 42 || version == 43);
}

ImageHeader Read(std::FILE* file, std::uint64_t file_size, const ReadOptions& options,
                 FrameBuffer& frame) {
  Messages messages;
  // libtiff sizes some of its tables by a header's word: no single piece of
  // memory larger than the file, or than a generous floor.
  constexpr std::uint64_t kAllocationFloor = std::uint64_t{256} << 20;
  const auto options_of_open =
      OpenOptions(messages, static_cast<tmsize_t>(std::min<std::uint64_t>(
                                std::max(file_size, kAllocationFloor),
                                static_cast<std::uint64_t>(std::numeric_limits<tmsize_t>::max()))));
  Source source{file, file_size};
  const TiffHandle tiff(TIFFClientOpenExt("", "rm", &source, &SourceRead, &SourceWrite, &SourceSeek,
                                          &NoClosing, &SourceSize, &NoMapping, &NoUnmapping,
                                          options_of_open.get()));
  if (!tiff) Fail(messages, "not a TIFF file");
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  if (TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) != 1 ||
      TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) != 1 || width == 0 || height == 0) {
    throw files::FileError("the image is empty");
  }
  CheckPixelLimit(width, height, options.max_pixels);
  const Layout layout = LayoutOf(tiff.get());
  CheckChunks(tiff.get(), file_size, messages);
  frame.Reset(layout.type, width, height, Premultiplied(tiff.get(), layout));
  const bool tiled = TIFFIsTiled(tiff.get()) != 0;
  if (tiled) {
    ReadTiles(tiff.get(), layout, frame, messages);
  } else {
    ReadStrips(tiff.get(), layout, frame, messages);
  }

  auto attributes = std::make_shared<TiffAttributes>();
  attributes->compression = Field<std::uint16_t>(tiff.get(), TIFFTAG_COMPRESSION);
  attributes->predictor = Field<std::uint16_t>(tiff.get(), TIFFTAG_PREDICTOR) != PREDICTOR_NONE;
  attributes->planar = layout.planar;
  if (tiled) {
    attributes->tile_width = Field<std::uint32_t>(tiff.get(), TIFFTAG_TILEWIDTH);
    attributes->tile_height = Field<std::uint32_t>(tiff.get(), TIFFTAG_TILELENGTH);
  }
  ImageHeader header;
  header.format = FileFormat::kTiff;
  header.stored_type = layout.type == SampleType::kUint8    ? OutputType::kUint8
                       : layout.type == SampleType::kUint16 ? OutputType::kUint16
                                                            : OutputType::kFloat;
  header.bits_per_sample = static_cast<int>(SampleSize(layout.type)) * 8;
  header.tiff = std::move(attributes);
  return header;
}

void Write(ByteSink& sink, const ImageHeader& source, OutputType type, FrameBuffer& frame) {
  const SampleType written = type == OutputType::kUint8    ? SampleType::kUint8
                             : type == OutputType::kUint16 ? SampleType::kUint16
                                                           : SampleType::kFloat;
  TiffAttributes attributes;
  if (source.tiff) attributes = *source.tiff;
  if (!source.tiff || !KeepsCompression(attributes.compression, written)) {
    attributes.compression = COMPRESSION_ADOBE_DEFLATE;
    attributes.predictor = true;
  }
  const std::size_t sample_size = SampleSize(written);
  const std::size_t row_bytes = std::size_t{frame.width()} * 4 * sample_size;
  // Classic TIFF addresses 4 GiB.
  constexpr std::uint64_t kClassicLimit = std::uint64_t{0xF0000000};
  const bool big = std::uint64_t{row_bytes} * frame.height() > kClassicLimit;

  Messages messages;
  const auto options = OpenOptions(messages, 0);
  Destination destination{&sink};
  destination.base = sink.Tell();
  const auto fail = [&](const char* otherwise) {
    throw files::FileError(destination.failure[0] != '\0' ? destination.failure
                           : messages.error[0] != '\0'    ? messages.error
                                                          : otherwise);
  };
  TiffHandle tiff(TIFFClientOpenExt("", big ? "w8" : "w", &destination, &DestinationRead,
                                    &DestinationWrite, &DestinationSeek, &NoClosing,
                                    &DestinationSize, &NoMapping, &NoUnmapping, options.get()));
  if (!tiff) fail("cannot start the file");
  TIFF* t = tiff.get();
  const std::uint16_t extra =
      frame.premultiplied() ? EXTRASAMPLE_ASSOCALPHA : EXTRASAMPLE_UNASSALPHA;
  const bool set =
      TIFFSetField(t, TIFFTAG_IMAGEWIDTH, frame.width()) == 1 &&
      TIFFSetField(t, TIFFTAG_IMAGELENGTH, frame.height()) == 1 &&
      TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 4) == 1 &&
      TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, static_cast<int>(sample_size * 8)) == 1 &&
      TIFFSetField(t, TIFFTAG_SAMPLEFORMAT,
                   written == SampleType::kFloat ? SAMPLEFORMAT_IEEEFP : SAMPLEFORMAT_UINT) == 1 &&
      TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) == 1 &&
      TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &extra) == 1 &&
      TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) == 1 &&
      TIFFSetField(t, TIFFTAG_PLANARCONFIG,
                   attributes.planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG) == 1 &&
      TIFFSetField(t, TIFFTAG_COMPRESSION, attributes.compression) == 1 &&
      (!attributes.predictor || !Differences(attributes.compression) ||
       TIFFSetField(
           t, TIFFTAG_PREDICTOR,
           written == SampleType::kFloat ? PREDICTOR_FLOATINGPOINT : PREDICTOR_HORIZONTAL) == 1);
  if (!set) fail("the header cannot be set");
  // libtiff writes tiles of multiples of 16 pixels only (it reads others).
  constexpr std::uint32_t kTileStep = 16;
  const bool tiled = attributes.tile_width > 0 && attributes.tile_height > 0 &&
                     attributes.tile_width % kTileStep == 0 &&
                     attributes.tile_height % kTileStep == 0;
  if (tiled) {
    if (TIFFSetField(t, TIFFTAG_TILEWIDTH, attributes.tile_width) != 1 ||
        TIFFSetField(t, TIFFTAG_TILELENGTH, attributes.tile_height) != 1) {
      fail("the tiles cannot be set");
    }
  } else {
    // Strips of about 256 KiB: compressed well, and little held at a time.
    constexpr std::size_t kStripBytes = std::size_t{1} << 18;
    const auto rows = static_cast<std::uint32_t>(std::max<std::size_t>(1, kStripBytes / row_bytes));
    if (TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, rows)) != 1) {
      fail("the strips cannot be set");
    }
  }
  const std::vector<int> planes =
      attributes.planar ? std::vector<int>{0, 1, 2, 3} : std::vector<int>{-1};
  const std::size_t plane_bytes = attributes.planar ? row_bytes / 4 : row_bytes;

  if (!tiled) {
    std::vector<std::byte> converted(row_bytes);
    std::vector<std::byte> out(plane_bytes);
    for (const int plane : planes) {
      for (std::uint32_t y = 0; y < frame.height(); ++y) {
        ConvertRow(frame.Row(y), frame.type(), frame.width(), written, false, converted.data());
        Extract(converted.data(), frame.width(), sample_size, plane, out.data());
        if (TIFFWriteScanline(t, out.data(), y, static_cast<std::uint16_t>(plane < 0 ? 0 : plane)) <
            0) {
          fail("a row cannot be written");
        }
      }
    }
  } else {
    const std::uint32_t tile_width = attributes.tile_width;
    const std::uint32_t tile_height = attributes.tile_height;
    // The rows of a row of tiles, converted; a tile past the image's edge
    // is padded with zeros.
    std::vector<std::byte> band(row_bytes * tile_height);
    const std::size_t tile_row =
        std::size_t{tile_width} * (attributes.planar ? 1 : 4) * sample_size;
    std::vector<std::byte> tile(tile_row * tile_height);
    for (std::uint32_t top = 0; top < frame.height(); top += tile_height) {
      const std::uint32_t rows = std::min(tile_height, frame.height() - top);
      for (std::uint32_t y = 0; y < rows; ++y) {
        ConvertRow(frame.Row(top + y), frame.type(), frame.width(), written, false,
                   band.data() + row_bytes * y);
      }
      for (const int plane : planes) {
        for (std::uint32_t left = 0; left < frame.width(); left += tile_width) {
          const std::uint32_t columns = std::min(tile_width, frame.width() - left);
          std::fill(tile.begin(), tile.end(), std::byte{0});
          for (std::uint32_t y = 0; y < rows; ++y) {
            Extract(band.data() + row_bytes * y + std::size_t{left} * 4 * sample_size, columns,
                    sample_size, plane, tile.data() + tile_row * y);
          }
          if (TIFFWriteTile(t, tile.data(), left, top, 0,
                            static_cast<std::uint16_t>(plane < 0 ? 0 : plane)) < 0) {
            fail("a tile cannot be written");
          }
        }
      }
    }
  }
  if (TIFFFlush(t) != 1) fail("the file cannot be finished");
  tiff.reset();
  if (destination.failure[0] != '\0') fail("the file cannot be finished");
}

}  // namespace huesieve::image::tiff
