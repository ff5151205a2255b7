#include "tests/cli/png_fixtures.h"

#include <png.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "files/file_error.h"
#include "files/temporary_files.h"
#include "image/frame_buffer.h"
#include "image/image_files.h"

namespace cli_test {
namespace {

void Append(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

bool WriteAll(png_structp png, png_infop info, const RawPng& raw, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, raw.width, raw.height, raw.bit_depth, raw.colour_type,
               raw.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (std::size_t i = 0; i + 2 < raw.palette.size(); i += 3) {
    palette.push_back({raw.palette[i], raw.palette[i + 1], raw.palette[i + 2]});
  }
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!raw.palette_alpha.empty()) {
    png_set_tRNS(png, info, raw.palette_alpha.data(), static_cast<int>(raw.palette_alpha.size()),
                 nullptr);
  }
  if (raw.has_trns_colour) {
    png_color_16 colour{};
    colour.gray = raw.trns_grey;
    colour.red = raw.trns_red;
    colour.green = raw.trns_green;
    colour.blue = raw.trns_blue;
    png_set_tRNS(png, info, nullptr, 0, &colour);
  }
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const RawPng& raw) {
  std::vector<std::uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, &Append, &Flush);
  const std::size_t row_bytes = raw.rows.size() / raw.height;
  std::vector<std::uint8_t> data = raw.rows;
  std::vector<png_bytep> rows;
  for (std::uint32_t row = 0; row < raw.height; ++row)
    rows.push_back(data.data() + row * row_bytes);
  const bool written = WriteAll(png, info, raw, rows.data());
  png_destroy_write_struct(&png, &info);
  if (!written) throw std::runtime_error("test PNG could not be encoded");
  return out;
}

std::vector<std::uint8_t> HeaderOnlyPng(std::uint32_t width, std::uint32_t height, int bit_depth,
                                        bool interlaced) {
  std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  const auto put32 = [](std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
      bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
  };
  const auto chunk = [&](const char* type, const std::vector<std::uint8_t>& data) {
    put32(out, static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    put32(out, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
  };
  std::vector<std::uint8_t> header;
  put32(header, width);
  put32(header, height);
  header.insert(header.end(), {static_cast<std::uint8_t>(bit_depth), PNG_COLOR_TYPE_RGBA, 0, 0,
                               static_cast<std::uint8_t>(interlaced ? 1 : 0)});
  chunk("IHDR", header);
  // 64 zero bytes, compressed: a filter byte and the start of the first row.
  const std::vector<std::uint8_t> zeros(64);
  std::vector<std::uint8_t> data(compressBound(zeros.size()));
  uLongf size = data.size();
  compress2(data.data(), &size, zeros.data(), zeros.size(), 9);
  data.resize(size);
  chunk("IDAT", data);
  chunk("IEND", {});
  return out;
}

namespace {

using huesieve::image::FrameBuffer;
using huesieve::image::SampleType;

Image FromFrame(FrameBuffer& frame) {
  if (frame.type() == SampleType::kFloat) throw std::runtime_error("a float image");
  Image image{frame.width(), frame.height(), frame.type() == SampleType::kUint16 ? 16 : 8, {}};
  image.rgba.resize(std::size_t{image.width} * image.height * 4);
  for (std::uint32_t y = 0; y < image.height; ++y) {
    const std::byte* row = frame.Row(y);
    for (std::size_t i = 0; i < std::size_t{image.width} * 4; ++i) {
      std::uint16_t value = 0;
      if (image.bit_depth == 16) {
        std::memcpy(&value, row + 2 * i, sizeof value);
      } else {
        value = std::to_integer<std::uint16_t>(row[i]);
      }
      image.rgba[image.Index(0, y) + i] = value;
    }
  }
  return image;
}

}  // namespace

Image ReadPng(const std::string& path) {
  FrameBuffer frame;
  huesieve::image::ReadImageFile(path, std::uint64_t{1} << 28, frame);
  return FromFrame(frame);
}

Image DecodePng(const std::vector<std::uint8_t>& bytes, std::uint64_t max_pixels) {
  const ScratchDir dir;
  const std::string path = (dir / "decoded.png").string();
  WriteBytes(path, bytes);
  FrameBuffer frame;
  try {
    huesieve::image::ReadImageFile(path, max_pixels, frame);
  } catch (const huesieve::files::FileError& error) {
    throw huesieve::files::FileError(std::string(error.what()).substr(path.size() + 2));
  }
  return FromFrame(frame);
}

void WritePng(const std::string& path, const Image& image) {
  if (image.rgba.size() != std::size_t{image.width} * image.height * 4) {
    throw std::invalid_argument("pixel data does not match the image size");
  }
  const bool wide = image.bit_depth == 16;
  FrameBuffer frame;
  frame.Reset(wide ? SampleType::kUint16 : SampleType::kUint8, image.width, image.height);
  for (std::uint32_t y = 0; y < image.height; ++y) {
    std::byte* row = frame.Row(y);
    for (std::size_t i = 0; i < std::size_t{image.width} * 4; ++i) {
      const std::uint16_t value = image.rgba[image.Index(0, y) + i];
      if (wide) {
        std::memcpy(row + 2 * i, &value, sizeof value);
      } else {
        row[i] = static_cast<std::byte>(value);
      }
    }
  }
  huesieve::image::ImageHeader header;
  header.format = huesieve::image::FileFormat::kPng;
  header.stored_type =
      wide ? huesieve::image::OutputType::kUint16 : huesieve::image::OutputType::kUint8;
  header.bits_per_sample = image.bit_depth;
  huesieve::files::TemporaryFiles temporaries(1);
  huesieve::image::WriteImageFile(path, header, std::nullopt, frame, temporaries);
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "huesieve-cli-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ScratchDir::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace cli_test
