// Pixel storage for one host image, and the record that describes it to the
// module.
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

#include "host/pf_types.h"

namespace huesieve::cli {

class HostFrame {
 public:
  HostFrame() = default;
  ~HostFrame();
  HostFrame(const HostFrame&) = delete;
  HostFrame& operator=(const HostFrame&) = delete;

  // Starts an image of this size and depth; the storage is kept.
  void Reset(bool deep, std::uint32_t width, std::uint32_t height);

  bool deep() const { return deep_; }
  std::uint32_t width() const { return width_; }
  std::uint32_t height() const { return height_; }
  std::size_t pixel_size() const { return deep_ ? 8 : 4; }
  std::size_t row_bytes() const { return std::size_t{width_} * pixel_size(); }
  std::size_t image_bytes() const { return row_bytes() * height_; }
  // Bytes of address space held, whether touched or not.
  std::size_t capacity() const { return capacity_; }

  // Storage for `count` rows from `first` on, taking memory for every row up
  // to them. Earlier rows keep their contents. The address holds until the
  // next call of Rows, Row or Whole. Throws std::bad_alloc.
  std::byte* Rows(std::uint32_t first, std::uint32_t count);
  std::byte* Row(std::uint32_t row) { return Rows(row, 1); }
  std::byte* Whole() { return Rows(0, height_); }

  // A record over the whole image, poisoned beyond its image members, as the
  // host hands images to Render. Takes memory for every row.
  PF_LayerDef Record();

 private:
  void Reserve(std::size_t bytes);

  bool deep_ = false;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  std::byte* base_ = nullptr;
  std::size_t capacity_ = 0;
};

}  // namespace huesieve::cli
