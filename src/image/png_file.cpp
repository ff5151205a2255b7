// libpng reports errors by calling back and then jumping to the setjmp of the
// current step. Every function below that holds a setjmp therefore keeps no
// object with a destructor and calls nothing that throws, and the callbacks
// only copy the text and jump: a longjmp over C++ frames with live objects
// would skip their destructors.
#include "image/png_file.h"

#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "files/file_error.h"
#include "image/image_header.h"
#include "image/sample_rows.h"

namespace huesieve::image::png {
namespace {

constexpr std::size_t kSignatureSize = 8;

struct ErrorText {
  char text[256] = "";
};

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
  auto* error = static_cast<ErrorText*>(png_get_error_ptr(png));
  std::snprintf(error->text, sizeof error->text, "%s", message);
  png_longjmp(png, 1);
}

// Warnings (unknown chunks, a bad ancillary CRC) do not stop a file that
// decodes; the tools stay quiet about them.
void OnWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep out, png_size_t length) {
  auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
  if (std::fread(out, 1, length, file) == length) return;
  png_error(png, std::ferror(file) != 0 ? "read error" : "file is truncated");
}

// Reads the header and asks libpng for straight RGBA of 8 or 16 bits in the
// machine's byte order: palette to RGB, low bit depths widened, tRNS turned
// into alpha, grey copied into red, green and blue, opaque alpha added
// where the file has none. `bit_depth` is the file's.
bool ReadHeader(png_structp png, png_infop info, int& bit_depth, int& passes) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  const png_byte colour_type = png_get_color_type(png, info);
  bit_depth = png_get_bit_depth(png, info);
  const bool has_trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  png_set_expand(png);
  if ((colour_type & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  if ((colour_type & PNG_COLOR_MASK_ALPHA) == 0 && !has_trns) {
    png_set_filler(png, bit_depth == 16 ? 0xFFFF : 0xFF, PNG_FILLER_AFTER);
  }
  if (bit_depth == 16 && std::endian::native == std::endian::little) png_set_swap(png);
  passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  return true;
}

bool ReadRow(png_structp png, png_bytep row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_row(png, row, nullptr);
  return true;
}

bool ReadEnd(png_structp png) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_end(png, nullptr);
  return true;
}

struct Decoder {
  Decoder() {
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, &OnError, &OnWarning);
    if (png != nullptr) info = png_create_info_struct(png);
    if (png == nullptr || info == nullptr) {
      png_destroy_read_struct(&png, &info, nullptr);
      throw files::FileError("out of memory");
    }
  }
  ~Decoder() { png_destroy_read_struct(&png, &info, nullptr); }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  [[noreturn]] void Fail() const { throw files::FileError(error.text); }

  ErrorText error;
  png_structp png = nullptr;
  png_infop info = nullptr;
};

// libpng writes through the sink, which throws: the sink's reason is kept
// and libpng stopped by its own error path.
struct Output {
  ByteSink* sink;
  std::string failure;
};

void WriteBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* output = static_cast<Output*>(png_get_io_ptr(png));
  bool written = true;
  try {
    output->sink->Write(data, length);
  } catch (const files::FileError& error) {
    output->failure = error.what();
    written = false;
  }
  if (!written) png_error(png, "write error");
}

void Flush(png_structp) {}

bool WriteHeader(png_structp png, png_infop info, png_uint_32 width, png_uint_32 height,
                 int bit_depth) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, width, height, bit_depth, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  if (bit_depth == 16 && std::endian::native == std::endian::little) png_set_swap(png);
  return true;
}

bool WriteRow(png_structp png, png_const_bytep row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_write_row(png, row);
  return true;
}

bool WriteEnd(png_structp png) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_write_end(png, nullptr);
  return true;
}

struct Encoder {
  explicit Encoder(ByteSink& sink) : output{&sink, {}} {
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, &OnError, &OnWarning);
    if (png != nullptr) info = png_create_info_struct(png);
    if (png == nullptr || info == nullptr) {
      png_destroy_write_struct(&png, &info);
      throw files::FileError("out of memory");
    }
    png_set_write_fn(png, &output, &WriteBytes, &Flush);
  }
  ~Encoder() { png_destroy_write_struct(&png, &info); }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  // The system's reason for a failed write rather than libpng's words.
  [[noreturn]] void Fail() const {
    throw files::FileError(output.failure.empty() ? std::string(error.text) : output.failure);
  }

  ErrorText error;
  Output output;
  png_structp png = nullptr;
  png_infop info = nullptr;
};

}  // namespace

bool Sniff(const unsigned char* first_bytes, std::size_t count) {
  return count >= kSignatureSize && png_sig_cmp(first_bytes, 0, kSignatureSize) == 0;
}

ImageHeader Read(std::FILE* file, std::uint64_t, const ReadOptions& options, FrameBuffer& frame) {
  Decoder decoder;
  png_set_read_fn(decoder.png, file, &ReadBytes);
  int file_bit_depth = 8;
  int passes = 1;
  if (!ReadHeader(decoder.png, decoder.info, file_bit_depth, passes)) decoder.Fail();
  const png_uint_32 width = png_get_image_width(decoder.png, decoder.info);
  const png_uint_32 height = png_get_image_height(decoder.png, decoder.info);
  CheckPixelLimit(width, height, options.max_pixels);
  // After the transformations: 8 or 16.
  const int bit_depth = png_get_bit_depth(decoder.png, decoder.info);
  const SampleType type = bit_depth == 16 ? SampleType::kUint16 : SampleType::kUint8;
  if (png_get_channels(decoder.png, decoder.info) != 4 || (bit_depth != 8 && bit_depth != 16)) {
    throw files::FileError("unsupported pixel layout");
  }
  frame.Reset(type, width, height, false);
  if (png_get_rowbytes(decoder.png, decoder.info) != frame.row_bytes()) {
    throw files::FileError("unsupported pixel layout");
  }
  // An interlaced image visits every row once a pass, each pass adding to
  // what the earlier ones left in the frame.
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 row = 0; row < height; ++row) {
      auto* at = reinterpret_cast<png_bytep>(frame.Row(row));
      if (!ReadRow(decoder.png, at)) decoder.Fail();
    }
  }
  if (!ReadEnd(decoder.png)) decoder.Fail();

  ImageHeader header;
  header.format = FileFormat::kPng;
  header.stored_type = type == SampleType::kUint16 ? OutputType::kUint16 : OutputType::kUint8;
  header.bits_per_sample = file_bit_depth;
  return header;
}

void Write(ByteSink& sink, const ImageHeader&, OutputType type, FrameBuffer& frame) {
  const SampleType written = type == OutputType::kUint16 ? SampleType::kUint16 : SampleType::kUint8;
  Encoder encoder(sink);
  if (!WriteHeader(encoder.png, encoder.info, frame.width(), frame.height(),
                   written == SampleType::kUint16 ? 16 : 8)) {
    encoder.Fail();
  }
  const bool convert = written != frame.type() || frame.premultiplied();
  std::vector<std::byte> converted(convert ? std::size_t{frame.width()} * 4 * SampleSize(written)
                                           : 0);
  for (std::uint32_t row = 0; row < frame.height(); ++row) {
    const std::byte* at = frame.Row(row);
    if (convert) {
      ConvertRow(at, frame.type(), frame.width(), written, frame.premultiplied(), converted.data());
      at = converted.data();
    }
    if (!WriteRow(encoder.png, reinterpret_cast<png_const_bytep>(at))) encoder.Fail();
  }
  if (!WriteEnd(encoder.png)) encoder.Fail();
}

}  // namespace huesieve::image::png
