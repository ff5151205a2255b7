#include "image/frame_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace huesieve::image {
namespace {

// Growth doubles the mapping, so an image is mapped in a few steps, but never
// past the image: the address space held stays within twice the rows
// decoded.
constexpr std::size_t kFirstMapping = std::size_t{1} << 20;

std::size_t PageRounded(std::size_t bytes) {
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  return (bytes + page - 1) / page * page;
}

// The mapping at `base` of `size` bytes grown to `wanted`, its contents kept.
// WebAssembly (the tuner's image codecs) has no mremap: a new mapping, the
// rows copied over.
void* Remapped(std::byte* base, std::size_t size, std::size_t wanted) {
#ifdef __EMSCRIPTEN__
  void* mapping =
      ::mmap(nullptr, wanted, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) return mapping;
  std::memcpy(mapping, base, size);
  ::munmap(base, size);
  return mapping;
#else
  return ::mremap(base, size, wanted, MREMAP_MAYMOVE);
#endif
}

}  // namespace

FrameBuffer::~FrameBuffer() {
  if (base_ != nullptr) ::munmap(base_, capacity_);
}

void FrameBuffer::Reset(SampleType type, std::uint32_t width, std::uint32_t height,
                        bool premultiplied) {
  type_ = type;
  premultiplied_ = premultiplied;
  width_ = width;
  height_ = height;
}

std::byte* FrameBuffer::Rows(std::uint32_t first, std::uint32_t count) {
  Reserve((std::size_t{first} + count) * row_bytes());
  return base_ + std::size_t{first} * row_bytes();
}

ImageView FrameBuffer::View() {
  return ImageView{Rows(0, height_), static_cast<std::int64_t>(row_bytes()), width_, height_};
}

void FrameBuffer::Reserve(std::size_t bytes) {
  if (bytes <= capacity_) return;
  const std::size_t wanted =
      PageRounded(std::max(bytes, std::min(image_bytes(), std::max(kFirstMapping, 2 * capacity_))));
  void* mapping = base_ == nullptr ? ::mmap(nullptr, wanted, PROT_READ | PROT_WRITE,
                                            MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                                   : Remapped(base_, capacity_, wanted);
  if (mapping == MAP_FAILED) throw std::bad_alloc();
  base_ = static_cast<std::byte*>(mapping);
  capacity_ = wanted;
}

}  // namespace huesieve::image
