#include "png/png_reader.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>

#include "png/libpng_errors.h"

namespace huesieve::png {

// Where the encoded bytes come from: memory for the fuzzer and the tests, a
// stream for files.
struct detail::ByteSource {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t offset = 0;
  std::FILE* file = nullptr;
};

namespace {

using Source = detail::ByteSource;

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

// Reads the header and asks libpng for straight RGBA of 8 or 16 bits:
// palette to RGB, low bit depths widened, tRNS turned into alpha, grey
// copied into red, green and blue, opaque alpha added where the file has none,
// 16-bit samples little-endian.
bool ReadHeader(png_structp png, png_infop info, int& passes) {
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
  if (bit_depth == 16) png_set_swap(png);
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

}  // namespace

struct Reader::State {
  explicit State(const Source& from) : source(from) {
    png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, &detail::OnError, &detail::OnWarning);
    if (png != nullptr) info = png_create_info_struct(png);
    if (png == nullptr || info == nullptr) {
      png_destroy_read_struct(&png, &info, nullptr);
      throw PngError("out of memory");
    }
    png_set_read_fn(png, &source, &ReadBytes);
  }
  ~State() { png_destroy_read_struct(&png, &info, nullptr); }
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  [[noreturn]] void Fail() const { throw PngError(error.text); }

  Source source;
  detail::ErrorText error;
  png_structp png = nullptr;
  png_infop info = nullptr;
  Header header;
  int passes = 1;
};

namespace {

Source MemorySource(const std::uint8_t* data, std::size_t size) {
  Source source;
  source.data = data;
  source.size = size;
  return source;
}

Source FileSource(std::FILE* file) {
  Source source;
  source.file = file;
  return source;
}

bool ReadSignature(Source& source) {
  png_byte signature[8] = {};
  if (source.file != nullptr) {
    if (std::fread(signature, 1, sizeof signature, source.file) != sizeof signature) return false;
  } else {
    if (source.size < sizeof signature) return false;
    std::memcpy(signature, source.data, sizeof signature);
    source.offset = sizeof signature;
  }
  return png_sig_cmp(signature, 0, sizeof signature) == 0;
}

}  // namespace

void CheckPixelLimit(std::uint64_t width, std::uint64_t height, std::uint64_t max_pixels) {
  if (width * height > max_pixels) {
    throw PngError("image of " + std::to_string(width) + " x " + std::to_string(height) +
                   " pixels exceeds the limit of " + std::to_string(max_pixels) + " pixels");
  }
}

Reader::Reader(const std::uint8_t* data, std::size_t size) : Reader(MemorySource(data, size)) {}

Reader::Reader(std::FILE* file) : Reader(FileSource(file)) {}

Reader::Reader(const detail::ByteSource& source) : state_(std::make_unique<State>(source)) {
  State& state = *state_;
  if (!ReadSignature(state.source)) throw PngError("not a PNG file");
  png_set_sig_bytes(state.png, 8);
  if (!ReadHeader(state.png, state.info, state.passes)) state.Fail();
  Header& header = state.header;
  header.width = png_get_image_width(state.png, state.info);
  header.height = png_get_image_height(state.png, state.info);
  header.bit_depth = png_get_bit_depth(state.png, state.info);
  header.interlaced = state.passes > 1;
  if (png_get_channels(state.png, state.info) != 4 ||
      (header.bit_depth != 8 && header.bit_depth != 16) ||
      png_get_rowbytes(state.png, state.info) != header.row_bytes()) {
    throw PngError("unsupported pixel layout");
  }
}

Reader::~Reader() = default;

const Header& Reader::header() const { return state_->header; }

void Reader::ReadImage(const std::function<std::uint8_t*(std::uint32_t row)>& row_at) {
  State& state = *state_;
  for (int pass = 0; pass < state.passes; ++pass) {
    for (std::uint32_t row = 0; row < state.header.height; ++row) {
      if (!ReadRow(state.png, row_at(row))) state.Fail();
    }
  }
  if (!ReadEnd(state.png)) state.Fail();
}

}  // namespace huesieve::png
