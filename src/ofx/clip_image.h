// An image fetched from one of the effect's clips for one frame, released
// when it goes out of scope on every way out of the render.
#pragma once

#include <cstddef>

#include "core/image_view.h"
#include "ofx/suites.h"

namespace huesieve::ofx {

enum class SampleDepth { kByte, kShort, kFloat };

// What the plug-in reads of an image's properties.
struct ImageLayout {
  std::byte* data = nullptr;  // the pixel at (x1, y1)
  int row_bytes = 0;
  OfxRectI bounds{};
  SampleDepth depth = SampleDepth::kByte;
  bool premultiplied = false;
};

class ClipImage {
 public:
  ClipImage(const Suites& suites, OfxImageEffectHandle effect, const char* clip, OfxTime time);
  ~ClipImage();
  ClipImage(const ClipImage&) = delete;
  ClipImage& operator=(const ClipImage&) = delete;

  bool fetched() const { return image_ != nullptr; }
  // Reads the layout of a fetched image; an image the plug-in cannot render
  // (components other than RGBA, a depth it does not know, no pixels) gives
  // kOfxStatErrImageFormat and `problem` says why.
  OfxStatus ReadLayout(ImageLayout& layout, const char*& problem) const;

 private:
  const Suites& suites_;
  OfxPropertySetHandle image_ = nullptr;
};

// The picture of an image as the core walks it: OpenFX rows run bottom-up, so
// the picture's first row is the one at bounds.y2 - 1; a row holds the
// bounds' width, its padding neither walked nor written.
template <typename Format>
ImageView PictureOf(const ImageLayout& layout) {
  const std::int64_t rows = std::int64_t{layout.bounds.y2} - layout.bounds.y1;
  const std::int64_t stride = layout.row_bytes;
  return ImageView{layout.data + (rows - 1) * stride, -stride,
                   std::int64_t{layout.bounds.x2} - layout.bounds.x1, rows};
}

}  // namespace huesieve::ofx
