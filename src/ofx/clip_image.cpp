#include "ofx/clip_image.h"

#include <string_view>

#include "core/pixel_formats.h"

namespace huesieve::ofx {

ClipImage::ClipImage(const Suites& suites, OfxImageEffectHandle effect, const char* clip,
                     OfxTime time)
    : suites_(suites) {
  OfxImageClipHandle handle = nullptr;
  fetch_status_ = suites.effect->clipGetHandle(effect, clip, &handle, nullptr);
  if (fetch_status_ != kOfxStatOK) return;
  OfxPropertySetHandle image = nullptr;
  fetch_status_ = suites.effect->clipGetImage(handle, time, nullptr, &image);
  if (fetch_status_ == kOfxStatOK) image_ = image;
}

std::size_t PixelBytes(SampleDepth depth) {
  switch (depth) {
    case SampleDepth::kByte:
      return sizeof(Rgba8::Pixel);
    case SampleDepth::kShort:
      return sizeof(Rgba16::Pixel);
    case SampleDepth::kFloat:
      return sizeof(RgbaFloat::Pixel);
  }
  return 0;
}

ClipImage::~ClipImage() {
  if (image_ != nullptr) suites_.effect->clipReleaseImage(image_);
}

OfxStatus ClipImage::ReadLayout(ImageLayout& layout, const char*& problem) const {
  const OfxPropertySuiteV1& property = *suites_.property;
  void* data = nullptr;
  char* depth = nullptr;
  char* components = nullptr;
  char* premultiplication = nullptr;
  if (property.propGetPointer(image_, kOfxImagePropData, 0, &data) != kOfxStatOK ||
      property.propGetInt(image_, kOfxImagePropRowBytes, 0, &layout.row_bytes) != kOfxStatOK ||
      property.propGetIntN(image_, kOfxImagePropBounds, 4, &layout.bounds.x1) != kOfxStatOK ||
      property.propGetString(image_, kOfxImageEffectPropPixelDepth, 0, &depth) != kOfxStatOK ||
      property.propGetString(image_, kOfxImageEffectPropComponents, 0, &components) !=
          kOfxStatOK ||
      property.propGetString(image_, kOfxImageEffectPropPreMultiplication, 0,
                             &premultiplication) != kOfxStatOK) {
    problem = "the host did not describe the image";
    return kOfxStatFailed;
  }
  if (std::string_view(components) != kOfxImageComponentRGBA) {
    problem = "Huesieve renders RGBA images only";
    return kOfxStatErrImageFormat;
  }
  const std::string_view depth_name = depth;
  if (depth_name == kOfxBitDepthByte) {
    layout.depth = SampleDepth::kByte;
  } else if (depth_name == kOfxBitDepthShort) {
    layout.depth = SampleDepth::kShort;
  } else if (depth_name == kOfxBitDepthFloat) {
    layout.depth = SampleDepth::kFloat;
  } else {
    problem = "Huesieve renders 8-bit, 16-bit and 32-bit float images only";
    return kOfxStatErrImageFormat;
  }
  if (data == nullptr || layout.bounds.x2 <= layout.bounds.x1 ||
      layout.bounds.y2 <= layout.bounds.y1) {
    problem = "the image holds no pixels";
    return kOfxStatErrImageFormat;
  }
  layout.data = static_cast<std::byte*>(data);
  layout.premultiplied = std::string_view(premultiplication) == kOfxImagePreMultiplied;
  return kOfxStatOK;
}

}  // namespace huesieve::ofx
