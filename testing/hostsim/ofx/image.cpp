#include "testing/hostsim/ofx/image.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace hostsim::ofx {

const char* DepthName(PixelDepth depth) {
  switch (depth) {
    case PixelDepth::kByte:
      return kOfxBitDepthByte;
    case PixelDepth::kShort:
      return kOfxBitDepthShort;
    case PixelDepth::kHalf:
      return kOfxBitDepthHalf;
    case PixelDepth::kFloat:
      return kOfxBitDepthFloat;
  }
  return kOfxBitDepthNone;
}

std::size_t SampleBytes(PixelDepth depth) {
  switch (depth) {
    case PixelDepth::kByte:
      return 1;
    case PixelDepth::kShort:
    case PixelDepth::kHalf:
      return 2;
    case PixelDepth::kFloat:
      return 4;
  }
  return 0;
}

const char* ComponentsName(Components components) {
  switch (components) {
    case Components::kRGBA:
      return kOfxImageComponentRGBA;
    case Components::kRGB:
      return kOfxImageComponentRGB;
    case Components::kAlpha:
      return kOfxImageComponentAlpha;
  }
  return kOfxImageComponentNone;
}

int ChannelCount(Components components) {
  switch (components) {
    case Components::kRGBA:
      return 4;
    case Components::kRGB:
      return 3;
    case Components::kAlpha:
      return 1;
  }
  return 0;
}

Image::Image(ImageLayout layout) : layout_(std::move(layout)) {
  if (width() < 0 || height() < 0 || layout_.row_padding < 0) {
    std::fprintf(stderr, "simulated OFX host: an image with negative size or padding\n");
    std::abort();
  }
  storage_.assign(2 * kGuardBytes + stride() * static_cast<std::size_t>(height()), kPoison);
}

std::size_t Image::pixel_bytes() const {
  return SampleBytes(layout_.depth) * static_cast<std::size_t>(ChannelCount(layout_.components));
}

std::size_t Image::stride() const {
  return pixel_bytes() * static_cast<std::size_t>(width()) +
         static_cast<std::size_t>(layout_.row_padding);
}

int Image::row_bytes() const {
  const int bytes = static_cast<int>(stride());
  return layout_.negative_row_bytes ? -bytes : bytes;
}

std::size_t Image::MemoryRow(int y) const {
  const auto from_bottom = static_cast<std::size_t>(y - layout_.bounds.y1);
  return layout_.negative_row_bytes ? static_cast<std::size_t>(height()) - 1 - from_bottom
                                    : from_bottom;
}

void* Image::data() const {
  auto* base = const_cast<std::byte*>(storage_.data()) + kGuardBytes;
  return height() == 0 ? base : base + MemoryRow(layout_.bounds.y1) * stride();
}

std::byte* Image::PixelAddress(int x, int y) const {
  return const_cast<std::byte*>(storage_.data()) + kGuardBytes + MemoryRow(y) * stride() +
         static_cast<std::size_t>(x - layout_.bounds.x1) * pixel_bytes();
}

std::optional<std::string> Image::FirstChange(const std::vector<std::byte>& before,
                                              bool pixels_too) const {
  const std::size_t rows_end = kGuardBytes + stride() * static_cast<std::size_t>(height());
  const std::size_t row_pixels = pixel_bytes() * static_cast<std::size_t>(width());
  for (std::size_t at = 0; at < storage_.size(); ++at) {
    if (storage_[at] == before[at]) continue;
    if (at < kGuardBytes) {
      return "byte " + std::to_string(kGuardBytes - at) + " before the first row in memory";
    }
    if (at >= rows_end) {
      return "byte " + std::to_string(at - rows_end) + " after the last row in memory";
    }
    const std::size_t memory_row = (at - kGuardBytes) / stride();
    const std::size_t in_row = (at - kGuardBytes) % stride();
    const int y = layout_.negative_row_bytes ? layout_.bounds.y2 - 1 - static_cast<int>(memory_row)
                                             : layout_.bounds.y1 + static_cast<int>(memory_row);
    if (in_row >= row_pixels) {
      return "byte " + std::to_string(in_row - row_pixels) +
             " of the padding of row y = " + std::to_string(y);
    }
    if (pixels_too) {
      return "pixel x = " +
             std::to_string(layout_.bounds.x1 + static_cast<int>(in_row / pixel_bytes())) +
             ", y = " + std::to_string(y) + ", byte " + std::to_string(in_row % pixel_bytes());
    }
  }
  return std::nullopt;
}

ImagePart Image::Whole() const {
  return {layout_.bounds, static_cast<std::byte*>(data()), row_bytes(), layout_.field};
}

ImagePart Image::Cropped(const OfxRectI& area) const {
  const bool empty = area.x1 >= area.x2 || area.y1 >= area.y2;
  return {area, empty ? static_cast<std::byte*>(data()) : PixelAddress(area.x1, area.y1),
          row_bytes(), layout_.field};
}

ImagePart Image::Field(bool upper) const {
  const OfxRectI& b = layout_.bounds;
  const int first = b.y1 + (upper ? 1 : 0);
  const int rows = first < b.y2 ? (b.y2 - first + 1) / 2 : 0;
  return {{b.x1, b.y1, b.x2, b.y1 + rows},
          rows > 0 && b.x2 > b.x1 ? PixelAddress(b.x1, first) : static_cast<std::byte*>(data()),
          2 * row_bytes(),
          upper ? kOfxImageFieldUpper : kOfxImageFieldLower};
}

void Image::Describe(PropertySet& properties, const std::string& unique_identifier,
                     const ImagePart& part) const {
  const OfxRectI& b = part.bounds;
  const OfxRectI rod = layout_.region_of_definition.value_or(layout_.bounds);
  properties.SetString(kOfxImageEffectPropPixelDepth, DepthName(layout_.depth));
  properties.SetString(kOfxImageEffectPropComponents, ComponentsName(layout_.components));
  properties.SetString(kOfxImageEffectPropPreMultiplication, layout_.premultiplication);
  properties.SetDoubles(kOfxImageEffectPropRenderScale,
                        {layout_.render_scale.x, layout_.render_scale.y});
  properties.SetDouble(kOfxImagePropPixelAspectRatio, layout_.pixel_aspect_ratio);
  properties.SetPointer(kOfxImagePropData, part.data);
  properties.SetInts(kOfxImagePropBounds, {b.x1, b.y1, b.x2, b.y2});
  properties.SetInts(kOfxImagePropRegionOfDefinition, {rod.x1, rod.y1, rod.x2, rod.y2});
  properties.SetInt(kOfxImagePropRowBytes, part.row_bytes);
  properties.SetString(kOfxImagePropField, part.field);
  properties.SetString(kOfxImagePropUniqueIdentifier, unique_identifier);
}

}  // namespace hostsim::ofx
