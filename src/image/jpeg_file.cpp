// libjpeg reports errors by calling error_exit, which must not return: it
// jumps back to the setjmp of the current step. As for libpng, every
// function below that holds a setjmp keeps no object with a destructor and
// calls nothing that throws.
#include "image/jpeg_file.h"

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "files/file_error.h"
#include "image/image_header.h"

namespace huesieve::image::jpeg {
namespace {

struct ErrorManager {
  jpeg_error_mgr library;  // first: libjpeg sees a jpeg_error_mgr*
  std::jmp_buf jump;
  char text[JMSG_LENGTH_MAX] = "";
};

[[noreturn]] void OnError(j_common_ptr info) {
  auto* errors = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, errors->text);
  std::longjmp(errors->jump, 1);
}

// Warnings about corrupt data do not stop a file that decodes, but one
// that ends early would come through with its missing rows grey: refused.
void OnMessage(j_common_ptr info, int level) {
  if (level == -1 && info->err->msg_code == JWRN_JPEG_EOF) OnError(info);
}

bool ReadHeader(jpeg_decompress_struct& info) {
  auto* errors = reinterpret_cast<ErrorManager*>(info.err);
  if (setjmp(errors->jump)) return false;
  jpeg_read_header(&info, TRUE);
  return true;
}

bool Start(jpeg_decompress_struct& info) {
  auto* errors = reinterpret_cast<ErrorManager*>(info.err);
  if (setjmp(errors->jump)) return false;
  jpeg_start_decompress(&info);
  return true;
}

bool ReadRow(jpeg_decompress_struct& info, JSAMPROW row) {
  auto* errors = reinterpret_cast<ErrorManager*>(info.err);
  if (setjmp(errors->jump)) return false;
  // The stdio source never suspends: no row is an error.
  if (jpeg_read_scanlines(&info, &row, 1) == 1) return true;
  std::snprintf(errors->text, sizeof errors->text, "file is truncated");
  return false;
}

bool Finish(jpeg_decompress_struct& info) {
  auto* errors = reinterpret_cast<ErrorManager*>(info.err);
  if (setjmp(errors->jump)) return false;
  jpeg_finish_decompress(&info);
  return true;
}

struct Decoder {
  explicit Decoder(std::FILE* file) {
    info.err = jpeg_std_error(&errors.library);
    errors.library.error_exit = &OnError;
    errors.library.emit_message = &OnMessage;
    // jpeg_create_decompress fails only for a library of another version.
    if (setjmp(errors.jump)) throw files::FileError(errors.text);
    jpeg_create_decompress(&info);
    created = true;
    jpeg_stdio_src(&info, file);
  }
  ~Decoder() {
    if (created) jpeg_destroy_decompress(&info);
  }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  [[noreturn]] void Fail() const { throw files::FileError(errors.text); }

  ErrorManager errors;
  jpeg_decompress_struct info{};
  bool created = false;
};

}  // namespace

bool Sniff(const unsigned char* first_bytes, std::size_t count) {
  return count >= 3 && first_bytes[0] == 0xFF && first_bytes[1] == 0xD8 && first_bytes[2] == 0xFF;
}

ImageHeader Read(std::FILE* file, std::uint64_t, const ReadOptions& options, FrameBuffer& frame) {
  Decoder decoder(file);
  jpeg_decompress_struct& info = decoder.info;
  if (!ReadHeader(info)) decoder.Fail();
  CheckPixelLimit(info.image_width, info.image_height, options.max_pixels);
  switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      throw files::FileError("CMYK JPEG files are not supported");
    default:
      throw files::FileError("JPEG files of this colour space are not supported");
  }
  if (info.data_precision != 8) {
    throw files::FileError(std::to_string(info.data_precision) +
                           "-bit JPEG files are not supported");
  }
  // libjpeg-turbo spreads grey and adds opaque alpha itself.
  info.out_color_space = JCS_EXT_RGBA;
  if (!Start(info)) decoder.Fail();
  if (info.output_components != 4) throw files::FileError("unsupported pixel layout");
  frame.Reset(SampleType::kUint8, info.output_width, info.output_height, true);
  for (std::uint32_t row = 0; row < info.output_height; ++row) {
    auto* at = reinterpret_cast<JSAMPROW>(frame.Row(row));
    if (!ReadRow(info, at)) decoder.Fail();
  }
  if (!Finish(info)) decoder.Fail();

  ImageHeader header;
  header.format = FileFormat::kJpeg;
  header.stored_type = OutputType::kUint8;
  header.bits_per_sample = 8;
  return header;
}

}  // namespace huesieve::image::jpeg
