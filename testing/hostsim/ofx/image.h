// Pixel storage the host hands a plug-in: an image of any bounds (the origin
// need not be 0), RGBA, RGB or alpha, at 8, 16 or 32-bit float, rows padded
// by any number of bytes, and stored bottom row first (positive row bytes,
// as OpenFX counts rows up from y1) or top row first (negative row bytes).
//
// The storage is fenced: guard areas before and after the rows, and each
// row's padding, start out poisoned. A render's writes are judged by
// comparing the storage with a snapshot: an input must not change at all, an
// output only in its pixels.
#pragma once

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "ofx/api/ofx_image_effect.h"
#include "testing/hostsim/ofx/property_set.h"

namespace hostsim::ofx {

enum class PixelDepth { kByte, kShort, kHalf, kFloat };
enum class Components { kRGBA, kRGB, kAlpha };

const char* DepthName(PixelDepth depth);
std::size_t SampleBytes(PixelDepth depth);
const char* ComponentsName(Components components);
int ChannelCount(Components components);

struct ImageLayout {
  OfxRectI bounds{0, 0, 0, 0};
  PixelDepth depth = PixelDepth::kByte;
  Components components = Components::kRGBA;
  // Bytes past each row's pixels; keep it a multiple of the sample size, as
  // hosts keep samples aligned.
  int row_padding = 0;
  // Rows stored top row first, so that the row bytes are negative.
  bool negative_row_bytes = false;
  std::string premultiplication = kOfxImagePreMultiplied;
  // The bounds when not given.
  std::optional<OfxRectI> region_of_definition = std::nullopt;
  OfxPointD render_scale{1.0, 1.0};
  double pixel_aspect_ratio = 1.0;
  std::string field = kOfxImageFieldNone;
};

// What a host hands out of an image: all of it, or a part of its pixels
// (a tile cropped to a render window, or one field of an interlaced frame).
struct ImagePart {
  OfxRectI bounds{0, 0, 0, 0};
  std::byte* data = nullptr;  // the pixel at (x1, y1)
  int row_bytes = 0;
  std::string field = kOfxImageFieldNone;
};

class Image {
 public:
  // Every byte, pixels included, starts as the poison byte.
  explicit Image(ImageLayout layout);

  const ImageLayout& layout() const { return layout_; }
  int width() const { return layout_.bounds.x2 - layout_.bounds.x1; }
  int height() const { return layout_.bounds.y2 - layout_.bounds.y1; }
  std::size_t pixel_bytes() const;
  // Signed, as kOfxImagePropRowBytes gives it.
  int row_bytes() const;
  // The pixel at (x1, y1), which kOfxImagePropData points at.
  void* data() const;

  // Pixel access in image coordinates: x1 <= x < x2, y1 <= y < y2.
  std::byte* PixelAddress(int x, int y) const;
  template <typename Sample>
  Sample Get(int x, int y, int channel) const {
    Sample sample;
    std::memcpy(&sample, PixelAddress(x, y) + static_cast<std::size_t>(channel) * sizeof(Sample),
                sizeof sample);
    return sample;
  }
  template <typename Sample>
  void Set(int x, int y, int channel, Sample sample) {
    std::memcpy(PixelAddress(x, y) + static_cast<std::size_t>(channel) * sizeof(Sample), &sample,
                sizeof sample);
  }

  // The whole storage, guards and padding included.
  const std::vector<std::byte>& storage() const { return storage_; }
  std::vector<std::byte> Snapshot() const { return storage_; }
  // Where the storage differs from `before`, described as a plug-in author
  // would want to read it, e.g. "row 3 (y = 5), byte 12 of the padding";
  // `pixels_too` false skips the pixels. Empty when nothing differs.
  std::optional<std::string> FirstChange(const std::vector<std::byte>& before,
                                         bool pixels_too) const;

  ImagePart Whole() const;
  // The pixels within `area`, which lies within the bounds.
  ImagePart Cropped(const OfxRectI& area) const;
  // Every other row, from y1 for the lower field and y1 + 1 for the upper,
  // as a picture of its own: the bounds start at y1 and hold the field's
  // rows, each twice the row bytes after the one below.
  ImagePart Field(bool upper) const;

  // Sets the image properties a host hands out with `part` of this image.
  void Describe(PropertySet& properties, const std::string& unique_identifier,
                const ImagePart& part) const;
  void Describe(PropertySet& properties, const std::string& unique_identifier) const {
    Describe(properties, unique_identifier, Whole());
  }

  static constexpr std::byte kPoison{0xA5};
  static constexpr std::size_t kGuardBytes = 256;

 private:
  std::size_t stride() const;
  std::size_t MemoryRow(int y) const;

  ImageLayout layout_;
  std::vector<std::byte> storage_;
};

}  // namespace hostsim::ofx
