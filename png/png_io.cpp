#include "png_io.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

namespace huesieve::png {
namespace {

constexpr bool kLittleEndian = std::endian::native == std::endian::little;

// libpng reports errors by calling back and then jumping to the setjmp of the
// current step. The functions that hold a setjmp below therefore keep no
// object with a destructor, and the callbacks only copy the text and jump:
// a longjmp over C++ frames with live objects would skip their destructors.
struct ErrorText {
  char text[256] = "";
};

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
  auto* error = static_cast<ErrorText*>(png_get_error_ptr(png));
  std::snprintf(error->text, sizeof error->text, "%s", message);
  png_longjmp(png, 1);
}

// Warnings (unknown chunks, a bad ancillary CRC) do not stop a file that
// decodes; the tool stays quiet about them.
void OnWarning(png_structp, png_const_charp) {}

// Where the encoded bytes come from: memory for the fuzzer, a stream for files.
struct Source {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t offset = 0;
  std::FILE* file = nullptr;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t length) {
  auto* source = static_cast<Source*>(png_get_io_ptr(png));
  if (source->file != nullptr) {
    if (std::fread(out, 1, length, source->file) == length) return;
    png_error(png, std::ferror(source->file) != 0 ? "read error" : "file is truncated");
  }
  if (source->size - source->offset < length) png_error(png, "file is truncated");
  std::memcpy(out, source->data + source->offset, length);
  source->offset += length;
}

class Reader {
 public:
  explicit Reader(Source& source) {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error_, &OnError, &OnWarning);
    if (png_ != nullptr) info_ = png_create_info_struct(png_);
    if (png_ == nullptr || info_ == nullptr) throw PngError("out of memory");
    png_set_read_fn(png_, &source, &ReadBytes);
  }
  ~Reader() { png_destroy_read_struct(&png_, &info_, nullptr); }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  png_structp png() const { return png_; }
  png_infop info() const { return info_; }
  const char* error() const { return error_.text; }

 private:
  ErrorText error_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

// Reads the header and asks libpng for straight RGBA of 8 or 16 bits:
// palette to RGB, low bit depths widened, tRNS turned into alpha, grey
// copied into red, green and blue, opaque alpha added where the file has none.
bool ReadHeader(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  const png_byte colour_type = png_get_color_type(png, info);
  const png_byte bit_depth = png_get_bit_depth(png, info);
  const bool has_trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  png_set_expand(png);
  if ((colour_type & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  if ((colour_type & PNG_COLOR_MASK_ALPHA) == 0 && !has_trns) {
    png_set_filler(png, bit_depth == 16 ? 0xFFFF : 0xFF, PNG_FILLER_AFTER);
  }
  if (bit_depth == 16 && kLittleEndian) png_set_swap(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  return true;
}

bool ReadRows(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

Image Decode(Source& source) {
  Reader reader(source);
  png_byte signature[8] = {};
  const bool short_file =
      source.file != nullptr ? std::fread(signature, 1, 8, source.file) != 8 : source.size < 8;
  if (!short_file && source.file == nullptr) {
    std::memcpy(signature, source.data, 8);
    source.offset = 8;
  }
  if (short_file || png_sig_cmp(signature, 0, 8) != 0) throw PngError("not a PNG file");
  png_set_sig_bytes(reader.png(), 8);

  if (!ReadHeader(reader.png(), reader.info())) throw PngError(reader.error());
  Image image;
  image.width = png_get_image_width(reader.png(), reader.info());
  image.height = png_get_image_height(reader.png(), reader.info());
  image.bit_depth = png_get_bit_depth(reader.png(), reader.info());
  if (std::uint64_t{image.width} * image.height > kMaxPixels) {
    throw PngError("image of " + std::to_string(image.width) + " x " +
                   std::to_string(image.height) + " pixels is too large");
  }
  const std::size_t bytes_per_sample = image.bit_depth == 16 ? 2 : 1;
  const std::size_t row_bytes = std::size_t{image.width} * 4 * bytes_per_sample;
  if (png_get_channels(reader.png(), reader.info()) != 4 ||
      (image.bit_depth != 8 && image.bit_depth != 16) ||
      png_get_rowbytes(reader.png(), reader.info()) != row_bytes) {
    throw PngError("unsupported pixel layout");
  }

  std::vector<png_byte> bytes(row_bytes * image.height);
  std::vector<png_bytep> rows(image.height);
  for (std::size_t row = 0; row < rows.size(); ++row) rows[row] = bytes.data() + row * row_bytes;
  if (!ReadRows(reader.png(), rows.data())) throw PngError(reader.error());

  image.rgba.resize(std::size_t{image.width} * image.height * 4);
  if (image.bit_depth == 16) {
    // Swapped to native order above; copy bytewise, the rows need no alignment.
    std::memcpy(image.rgba.data(), bytes.data(), bytes.size());
  } else {
    for (std::size_t i = 0; i < bytes.size(); ++i) image.rgba[i] = bytes[i];
  }
  return image;
}

class Writer {
 public:
  explicit Writer(std::FILE* file) {
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error_, &OnError, &OnWarning);
    if (png_ != nullptr) info_ = png_create_info_struct(png_);
    if (png_ == nullptr || info_ == nullptr) throw PngError("out of memory");
    png_init_io(png_, file);
  }
  ~Writer() { png_destroy_write_struct(&png_, &info_); }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  png_structp png() const { return png_; }
  png_infop info() const { return info_; }
  const char* error() const { return error_.text; }

 private:
  ErrorText error_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

bool WriteAll(png_structp png, png_infop info, png_uint_32 width, png_uint_32 height, int bit_depth,
              png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, width, height, bit_depth, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  if (bit_depth == 16 && kLittleEndian) png_set_swap(png);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

std::string SystemError(int error) { return std::strerror(error); }

// The temporary file: removed on every way out unless it was renamed.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) {
    const std::size_t slash = target.find_last_of('/');
    const std::string directory = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    path_ = directory + "." + name + ".XXXXXX";
    const int fd = ::mkstemp(path_.data());
    if (fd < 0) throw PngError(SystemError(errno));
    // mkstemp makes the file private; give it the mode a plain create would.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
      const int error = errno;
      ::close(fd);
      ::unlink(path_.c_str());
      throw PngError(SystemError(error));
    }
  }
  ~TemporaryFile() {
    if (file_ != nullptr) std::fclose(file_);
    if (!renamed_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  std::FILE* file() const { return file_; }

  void CloseAndRename(const std::string& target) {
    const bool failed = std::fflush(file_) != 0 || std::ferror(file_) != 0;
    const int flush_error = errno;
    std::FILE* file = std::exchange(file_, nullptr);
    if (std::fclose(file) != 0 || failed) throw PngError(SystemError(failed ? flush_error : errno));
    if (std::rename(path_.c_str(), target.c_str()) != 0) throw PngError(SystemError(errno));
    renamed_ = true;
  }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  bool renamed_ = false;
};

void Encode(const Image& image, std::FILE* file) {
  if (image.bit_depth != 8 && image.bit_depth != 16) throw PngError("bit depth must be 8 or 16");
  if (image.width == 0 || image.height == 0) throw PngError("image is empty");
  if (image.rgba.size() != std::size_t{image.width} * image.height * 4) {
    throw PngError("pixel data does not match the image size");
  }
  const std::size_t bytes_per_sample = image.bit_depth == 16 ? 2 : 1;
  const std::size_t row_bytes = std::size_t{image.width} * 4 * bytes_per_sample;
  std::vector<png_byte> bytes(row_bytes * image.height);
  if (image.bit_depth == 16) {
    std::memcpy(bytes.data(), image.rgba.data(), bytes.size());
  } else {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      bytes[i] = static_cast<png_byte>(image.rgba[i] > 255 ? 255 : image.rgba[i]);
    }
  }
  std::vector<png_bytep> rows(image.height);
  for (std::size_t row = 0; row < rows.size(); ++row) rows[row] = bytes.data() + row * row_bytes;

  Writer writer(file);
  if (!WriteAll(writer.png(), writer.info(), image.width, image.height, image.bit_depth,
                rows.data())) {
    throw PngError(writer.error());
  }
}

}  // namespace

Image DecodePng(const std::uint8_t* data, std::size_t size) {
  Source source;
  source.data = data;
  source.size = size;
  return Decode(source);
}

Image ReadPng(const std::string& path) {
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  const std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
  if (!file) throw PngError(path + ": " + SystemError(errno));
  struct stat status {};
  if (::fstat(::fileno(file.get()), &status) == 0 && S_ISDIR(status.st_mode)) {
    throw PngError(path + ": " + SystemError(EISDIR));
  }
  Source source;
  source.file = file.get();
  try {
    return Decode(source);
  } catch (const PngError& error) {
    throw PngError(path + ": " + error.what());
  }
}

void WritePng(const std::string& path, const Image& image) {
  try {
    TemporaryFile temporary(path);
    Encode(image, temporary.file());
    temporary.CloseAndRename(path);
  } catch (const PngError& error) {
    throw PngError(path + ": " + error.what());
  }
}

}  // namespace huesieve::png
