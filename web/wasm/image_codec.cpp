// The tuner's image codecs: PNG, OpenEXR, TIFF and DPX files read and written by
// huesieve-render's own codecs (src/image), for the worker. A file decodes
// into a frame the module keeps with the file's header, so that the result
// is saved as huesieve-render writes it from that file: same format, data
// type, channels, attributes and alpha. No exception leaves an entry point:
// a fault is kept as the handle's message.
#include "web/wasm/image_codec.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "image/byte_sink.h"
#include "image/dpx_file.h"
#include "image/exr_file.h"
#include "image/frame_buffer.h"
#include "image/image_header.h"
#include "image/png_file.h"
#include "image/tiff_file.h"

struct HuesieveImage {
  huesieve::image::FrameBuffer frame;
  huesieve::image::ImageHeader header;
  std::string message;                 // why the last call failed; empty when it did not
  std::vector<unsigned char> encoded;  // the last file encoded
};

namespace {

using huesieve::image::ByteSink;
using huesieve::image::FileFormat;
using huesieve::image::FrameBuffer;
using huesieve::image::ImageHeader;
using huesieve::image::OutputType;
using huesieve::image::ReadOptions;
using huesieve::image::SampleType;

struct Codec {
  FileFormat format;
  bool (*sniff)(const unsigned char*, std::size_t);
  ImageHeader (*read)(std::FILE*, std::uint64_t, const ReadOptions&, FrameBuffer&);
  void (*write)(ByteSink&, const ImageHeader&, OutputType, FrameBuffer&);
};

namespace image = huesieve::image;
constexpr Codec kCodecs[] = {
    {FileFormat::kPng, &image::png::Sniff, &image::png::Read, &image::png::Write},
    {FileFormat::kOpenExr, &image::exr::Sniff, &image::exr::Read, &image::exr::Write},
    {FileFormat::kTiff, &image::tiff::Sniff, &image::tiff::Read, &image::tiff::Write},
    {FileFormat::kDpx, &image::dpx::Sniff, &image::dpx::Read, &image::dpx::Write},
};

const Codec* CodecOf(FileFormat format) {
  for (const Codec& codec : kCodecs) {
    if (codec.format == format) return &codec;
  }
  return nullptr;
}

// Runs `work`, keeping what it throws as the handle's message. Returns
// whether it succeeded.
template <typename Work>
bool Guarded(HuesieveImage& image, Work work) {
  image.message.clear();
  try {
    work();
    return true;
  } catch (const std::bad_alloc&) {
    image.message = "not enough memory";
  } catch (const std::exception& error) {
    image.message = error.what();
  }
  return false;
}

// The codec whose signature starts `bytes`, or null.
const Codec* Sniffed(const unsigned char* bytes, std::size_t size) {
  for (const Codec& codec : kCodecs) {
    if (codec.sniff(bytes, size)) return &codec;
  }
  return nullptr;
}

void Read(HuesieveImage& image, const Codec& codec, const unsigned char* bytes, std::size_t size,
          std::uint64_t max_pixels) {
  // The codecs read from a stream, as huesieve-render gives them a file.
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
      fmemopen(const_cast<unsigned char*>(bytes), size, "rb"), &std::fclose);
  if (!file) throw std::bad_alloc();
  ReadOptions options;
  options.max_pixels = max_pixels;
  image.header = codec.read(file.get(), size, options, image.frame);
  image.header.format = codec.format;
}

}  // namespace

extern "C" {

HuesieveImage* huesieve_image_new() { return new (std::nothrow) HuesieveImage; }

void huesieve_image_free(HuesieveImage* image) { delete image; }

std::int32_t huesieve_image_decode(HuesieveImage* image, const std::uint8_t* bytes,
                                   std::uint32_t size, std::uint32_t max_pixels) {
  const Codec* codec = Sniffed(bytes, size);
  if (codec == nullptr) return -1;
  return Guarded(*image, [&] { Read(*image, *codec, bytes, size, max_pixels); }) ? 1 : 0;
}

const char* huesieve_image_message(const HuesieveImage* image) { return image->message.c_str(); }

std::int32_t huesieve_image_width(const HuesieveImage* image) {
  return static_cast<std::int32_t>(image->frame.width());
}

std::int32_t huesieve_image_height(const HuesieveImage* image) {
  return static_cast<std::int32_t>(image->frame.height());
}

std::int32_t huesieve_image_sample_type(const HuesieveImage* image) {
  return static_cast<std::int32_t>(image->frame.type());
}

std::int32_t huesieve_image_premultiplied(const HuesieveImage* image) {
  return image->frame.premultiplied() ? 1 : 0;
}

std::int32_t huesieve_image_format(const HuesieveImage* image) {
  return static_cast<std::int32_t>(image->header.format);
}

std::int32_t huesieve_image_bits(const HuesieveImage* image) {
  return image->header.bits_per_sample;
}

std::int32_t huesieve_image_stored_type(const HuesieveImage* image) {
  return static_cast<std::int32_t>(image->header.stored_type);
}

std::uint8_t* huesieve_image_samples(HuesieveImage* image) {
  std::uint8_t* samples = nullptr;
  Guarded(*image,
          [&] { samples = reinterpret_cast<std::uint8_t*>(image->frame.View().first_row); });
  return samples;
}

std::int32_t huesieve_image_start_png(HuesieveImage* image, std::uint32_t width,
                                      std::uint32_t height, std::int32_t bits) {
  return Guarded(*image, [&] {
    if (bits != 8 && bits != 16) throw std::invalid_argument("a PNG is written at 8 or 16 bits");
    const bool deep = bits == 16;
    image->frame.Reset(deep ? SampleType::kUint16 : SampleType::kUint8, width, height);
    image->header = ImageHeader{};
    image->header.format = FileFormat::kPng;
    image->header.stored_type = deep ? OutputType::kUint16 : OutputType::kUint8;
    image->header.bits_per_sample = bits;
  }) ? 1 : 0;
}

// Encodes the frame (the result, written over the samples) in the format
// and data type of the file read, as huesieve-render writes a file of the
// input's format without --output-type. Returns the file's size, 0 on a
// fault.
std::uint32_t huesieve_image_encode(HuesieveImage* image) {
  const bool encoded = Guarded(*image, [&] {
    const Codec& codec = *CodecOf(image->header.format);
    ByteSink sink(image->frame.image_bytes() + (std::size_t{1} << 20));
    codec.write(sink, image->header, image->header.stored_type, image->frame);
    image->encoded = sink.memory();
  });
  return encoded ? static_cast<std::uint32_t>(image->encoded.size()) : 0;
}

const std::uint8_t* huesieve_image_encoded(const HuesieveImage* image) {
  return image->encoded.data();
}

}  // extern "C"
