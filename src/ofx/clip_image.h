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
  // What the host answered: OK with no image, or kOfxStatFailed, when the
  // clip has none at the time.
  OfxStatus fetch_status() const { return fetch_status_; }
  // Reads the layout of a fetched image; an image the plug-in cannot render
  // (components other than RGBA, a depth it does not know, no pixels) gives
  // kOfxStatErrImageFormat and `problem` says why.
  OfxStatus ReadLayout(ImageLayout& layout, const char*& problem) const;

 private:
  const Suites& suites_;
  OfxPropertySetHandle image_ = nullptr;
  OfxStatus fetch_status_ = kOfxStatOK;
};

std::size_t PixelBytes(SampleDepth depth);

// The address of the pixel at (x, y) of an image, in the image's coordinates.
inline std::byte* PixelAddress(const ImageLayout& layout, int x, int y) {
  return layout.data + (std::int64_t{y} - layout.bounds.y1) * layout.row_bytes +
         (std::int64_t{x} - layout.bounds.x1) * static_cast<std::int64_t>(PixelBytes(layout.depth));
}

// The picture of an image's pixels within `area` (inside its bounds) as the
// core walks it: OpenFX rows run bottom-up, so the picture's first row is
// the one at area.y2 - 1; a row holds the area's width, the rest of the
// image's row neither walked nor written.
inline ImageView PictureOf(const ImageLayout& layout, const OfxRectI& area) {
  return ImageView{PixelAddress(layout, area.x1, area.y2 - 1), -std::int64_t{layout.row_bytes},
                   std::int64_t{area.x2} - area.x1, std::int64_t{area.y2} - area.y1};
}

}  // namespace huesieve::ofx
