// Pixel storage for one frame: RGBA rows of one of the core's sample types,
// straight or premultiplied as the file holds them.
//
// A header or a raw frame size says how large an image will be, but memory
// is taken only as rows arrive, so input that ends early costs about what it
// held. The storage is an anonymous mapping: untouched pages cost nothing,
// mremap grows it without copying (a zero-filled vector would touch every
// page; one reservation of the whole image would fail under an address-space
// limit), and it is kept from one frame to the next.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_view.h"

namespace huesieve::image {

// The sample types the core renders: Rgba8, Rgba16 (0 to 65535), RgbaFloat.
enum class SampleType { kUint8, kUint16, kFloat };

// The sample types a file may be written at (--output-type).
enum class OutputType { kUint8, kUint16, kHalf, kFloat };

constexpr std::size_t SampleSize(SampleType type) {
  return type == SampleType::kUint8 ? 1 : type == SampleType::kUint16 ? 2 : 4;
}

class FrameBuffer {
 public:
  FrameBuffer() = default;
  ~FrameBuffer();
  FrameBuffer(const FrameBuffer&) = delete;
  FrameBuffer& operator=(const FrameBuffer&) = delete;

  // Starts an image of this type and size; the storage is kept.
  void Reset(SampleType type, std::uint32_t width, std::uint32_t height,
             bool premultiplied = false);

  SampleType type() const { return type_; }
  bool premultiplied() const { return premultiplied_; }
  std::uint32_t width() const { return width_; }
  std::uint32_t height() const { return height_; }
  std::size_t pixel_size() const { return 4 * SampleSize(type_); }
  std::size_t row_bytes() const { return std::size_t{width_} * pixel_size(); }
  std::size_t image_bytes() const { return row_bytes() * height_; }
  // Bytes of address space held, whether touched or not.
  std::size_t capacity() const { return capacity_; }

  // Storage for `count` rows from `first` on, taking memory for every row up
  // to them. Earlier rows keep their contents. The address holds until the
  // next call of Rows, Row or View. Throws std::bad_alloc.
  std::byte* Rows(std::uint32_t first, std::uint32_t count);
  std::byte* Row(std::uint32_t row) { return Rows(row, 1); }

  // The whole image as the core walks it. Takes memory for every row.
  ImageView View();

 private:
  void Reserve(std::size_t bytes);

  SampleType type_ = SampleType::kUint8;
  bool premultiplied_ = false;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  std::byte* base_ = nullptr;
  std::size_t capacity_ = 0;
};

}  // namespace huesieve::image
