#include "png/png_writer.h"

#include <png.h>

#include <csetjmp>

#include "png/libpng_errors.h"

namespace huesieve::png {
namespace {

bool WriteHeader(png_structp png, png_infop info, png_uint_32 width, png_uint_32 height,
                 int bit_depth) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, width, height, bit_depth, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  if (bit_depth == 16) png_set_swap(png);
  return true;
}

bool WriteRowOf(png_structp png, png_const_bytep row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_write_row(png, row);
  return true;
}

bool WriteEnd(png_structp png) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

struct Writer::State {
  explicit State(std::FILE* file) {
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, &detail::OnError,
                                  &detail::OnWarning);
    if (png != nullptr) info = png_create_info_struct(png);
    if (png == nullptr || info == nullptr) {
      png_destroy_write_struct(&png, &info);
      throw PngError("out of memory");
    }
    png_init_io(png, file);
  }
  ~State() { png_destroy_write_struct(&png, &info); }
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  [[noreturn]] void Fail() const { throw PngError(error.text); }

  detail::ErrorText error;
  png_structp png = nullptr;
  png_infop info = nullptr;
};

Writer::Writer(std::FILE* file, std::uint32_t width, std::uint32_t height, int bit_depth) {
  if (bit_depth != 8 && bit_depth != 16) throw PngError("bit depth must be 8 or 16");
  if (width == 0 || height == 0) throw PngError("image is empty");
  state_ = std::make_unique<State>(file);
  if (!WriteHeader(state_->png, state_->info, width, height, bit_depth)) state_->Fail();
}

Writer::~Writer() = default;

void Writer::WriteRow(const std::uint8_t* row) {
  if (!WriteRowOf(state_->png, row)) state_->Fail();
}

void Writer::Finish() {
  if (!WriteEnd(state_->png)) state_->Fail();
}

}  // namespace huesieve::png
