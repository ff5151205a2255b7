#include "ofx/render.h"

#include <cstring>

#include "core/corner_markers.h"
#include "core/kernel_isa.h"
#include "core/pixel_formats.h"
#include "core/selection_pass.h"
#include "ofx/clip_image.h"
#include "ofx/parameters.h"
#include "ofx/premultiplied.h"

namespace huesieve::ofx {
namespace {

// Switched off, the output is the source, bit for bit. Switched on, the
// output is the source with the rule applied to every pixel and the corner
// markers drawn; the source is only read. The kernel reads each source row
// and writes it, judged, into the output row: the frame is read once and
// written once.
template <typename Format>
void RenderPicture(const ImageView& source, const ImageView& output, const ControlValues& values,
                   bool premultiplied) {
  const std::int64_t pixels = source.pixels_per_row;
  if (!values.enabled) {
    const auto row_bytes = static_cast<std::size_t>(pixels) * sizeof(typename Format::Pixel);
    for (std::int64_t row = 0; row < source.rows; ++row) {
      std::memcpy(output.Row(row), source.Row(row), row_bytes);
    }
    return;
  }
  // A premultiplied row is judged on its straight colours, straightened into
  // the output row first.
  const auto source_row = [&](std::int64_t row) -> const std::byte* {
    if (!premultiplied) return source.Row(row);
    StraightenRow<Format>(source.Row(row), output.Row(row), pixels);
    return output.Row(row);
  };
  const auto output_row = [&](std::int64_t row) { return output.Row(row); };
  const auto finish_row = [&](std::int64_t row, std::byte* judged) {
    if (premultiplied) PremultiplyRow<Format>(source.Row(row), judged, pixels);
  };
  const SelectionBounds bounds = SelectionPassByRow<Format>(
      pixels, source.rows, values.table, BestKernelIsa(), source_row, output_row, finish_row);
  DrawCornerMarkers<Format>(output, bounds);
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

// Whether the two images can be rendered one from the other; `problem` says
// why not.
bool Compatible(const ImageLayout& source, const ImageLayout& output, const char*& problem) {
  if (source.depth != output.depth) {
    problem = "the source and the output differ in depth";
    return false;
  }
  if (std::memcmp(&source.bounds, &output.bounds, sizeof source.bounds) != 0) {
    problem = "the source and the output differ in bounds";
    return false;
  }
  const std::int64_t row = (std::int64_t{source.bounds.x2} - source.bounds.x1) *
                           static_cast<std::int64_t>(PixelBytes(source.depth));
  for (const ImageLayout* image : {&source, &output}) {
    const std::int64_t stride = image->row_bytes;
    if ((stride < 0 ? -stride : stride) < row) {
      problem = "an image's rows are shorter than its bounds";
      return false;
    }
  }
  return true;
}

}  // namespace

OfxStatus Render(const Suites& suites, OfxImageEffectHandle effect, OfxPropertySetHandle in_args) {
  OfxTime time = 0.0;
  OfxParamSetHandle params = nullptr;
  ControlValues values;
  OfxStatus status = suites.property->propGetDouble(in_args, kOfxPropTime, 0, &time);
  if (status == kOfxStatOK) status = suites.effect->getParamSet(effect, &params);
  if (status == kOfxStatOK) status = ReadParameters(suites, params, time, values);
  if (status != kOfxStatOK) {
    ReportError(suites, effect, "Huesieve could not read its parameters");
    return status;
  }

  const ClipImage source(suites, effect, kOfxImageEffectSimpleSourceClipName, time);
  const ClipImage output(suites, effect, kOfxImageEffectOutputClipName, time);
  if (!source.fetched() || !output.fetched()) {
    ReportError(suites, effect, "Huesieve needs a source and an output image at this frame");
    return kOfxStatFailed;
  }
  ImageLayout source_layout;
  ImageLayout output_layout;
  const char* problem = nullptr;
  status = source.ReadLayout(source_layout, problem);
  if (status == kOfxStatOK) status = output.ReadLayout(output_layout, problem);
  if (status == kOfxStatOK && !Compatible(source_layout, output_layout, problem)) {
    status = kOfxStatErrImageFormat;
  }
  if (status != kOfxStatOK) {
    ReportError(suites, effect, problem);
    return status;
  }

  const bool premultiplied = source_layout.premultiplied;
  switch (source_layout.depth) {
    case SampleDepth::kByte:
      RenderPicture<Rgba8>(PictureOf<Rgba8>(source_layout), PictureOf<Rgba8>(output_layout),
                           values, premultiplied);
      break;
    case SampleDepth::kShort:
      RenderPicture<Rgba16>(PictureOf<Rgba16>(source_layout), PictureOf<Rgba16>(output_layout),
                            values, premultiplied);
      break;
    case SampleDepth::kFloat:
      RenderPicture<RgbaFloat>(PictureOf<RgbaFloat>(source_layout),
                               PictureOf<RgbaFloat>(output_layout), values, premultiplied);
      break;
  }
  return kOfxStatOK;
}

}  // namespace huesieve::ofx
