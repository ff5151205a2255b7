#include "ofx/render.h"

#include <cstring>
#include <vector>

#include "core/corner_markers.h"
#include "core/kernel_isa.h"
#include "core/pixel_formats.h"
#include "core/selection_pass.h"
#include "core/stream_copy.h"
#include "ofx/clip_image.h"
#include "ofx/parameters.h"
#include "ofx/premultiplied.h"

namespace huesieve::ofx {
namespace {

// Switched off, the output is the source, bit for bit. Switched on, the
// output is the source with the rule applied to every pixel and the corner
// markers drawn; the source is only read. Each row is copied into a row of
// scratch, judged there while it is in the cache, and streamed into the
// output past the cache: the frame is read once and written once.
template <typename Format>
void RenderPicture(const ImageView& source, const ImageView& output, const ControlValues& values,
                   bool premultiplied) {
  const std::int64_t pixels = source.pixels_per_row;
  const auto row_bytes = static_cast<std::size_t>(pixels) * sizeof(typename Format::Pixel);
  if (!values.enabled) {
    for (std::int64_t row = 0; row < source.rows; ++row) {
      StreamCopy(output.Row(row), source.Row(row), row_bytes);
    }
    StreamCopiesDone();
    return;
  }
  std::vector<std::byte> scratch(row_bytes);
  const auto make_row = [&](std::int64_t row) {
    if (premultiplied) {
      StraightenRow<Format>(source.Row(row), scratch.data(), pixels);
    } else {
      std::memcpy(scratch.data(), source.Row(row), row_bytes);
    }
    return scratch.data();
  };
  const auto finish_row = [&](std::int64_t row, std::byte* judged) {
    if (premultiplied) PremultiplyRow<Format>(source.Row(row), judged, pixels);
    StreamCopy(output.Row(row), judged, row_bytes);
  };
  const SelectionBounds bounds = SelectionPassByRow<Format>(
      pixels, source.rows, values.table, BestKernelIsa(), make_row, finish_row);
  StreamCopiesDone();
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
