#include "ofx/render.h"

#include <algorithm>
#include <cstring>

#include "core/effect.h"
#include "core/pixel_formats.h"
#include "ofx/clip_image.h"
#include "ofx/host_threads.h"
#include "ofx/parameters.h"

namespace huesieve::ofx {
namespace {

OfxRectI Intersection(const OfxRectI& a, const OfxRectI& b) {
  OfxRectI area{std::max(a.x1, b.x1), std::max(a.y1, b.y1), std::min(a.x2, b.x2),
                std::min(a.y2, b.y2)};
  area.x2 = std::max(area.x2, area.x1);
  area.y2 = std::max(area.y2, area.y1);
  return area;
}

bool Contains(const OfxRectI& outer, const OfxRectI& inner) {
  return inner.x1 >= outer.x1 && inner.y1 >= outer.y1 && inner.x2 <= outer.x2 &&
         inner.y2 <= outer.y2;
}

// Transparent black over `area`, which lies within the image's bounds.
void Clear(const ImageLayout& image, const OfxRectI& area) {
  if (area.x2 <= area.x1) return;
  const auto bytes = static_cast<std::size_t>(area.x2 - area.x1) * PixelBytes(image.depth);
  for (int y = area.y1; y < area.y2; ++y) std::memset(PixelAddress(image, area.x1, y), 0, bytes);
}

// What of `area` lies outside `hole`, cleared.
void ClearAround(const ImageLayout& image, const OfxRectI& area, const OfxRectI& hole) {
  const OfxRectI inside = Intersection(area, hole);
  if (inside.x1 == inside.x2 || inside.y1 == inside.y2) {
    Clear(image, area);
    return;
  }
  Clear(image, {area.x1, area.y1, area.x2, inside.y1});
  Clear(image, {area.x1, inside.y2, area.x2, area.y2});
  Clear(image, {area.x1, inside.y1, inside.x1, inside.y2});
  Clear(image, {inside.x2, inside.y1, area.x2, inside.y2});
}

class HostAbort final : public RenderAbort {
 public:
  HostAbort(const Suites& suites, OfxImageEffectHandle effect) : suites_(suites), effect_(effect) {}
  bool Aborted() override {
    return suites_.effect->abort != nullptr && suites_.effect->abort(effect_) != 0;
  }

 private:
  const Suites& suites_;
  OfxImageEffectHandle effect_;
};

// The time of the frame and the controls' values at that time.
OfxStatus ReadFrame(const Suites& suites, OfxImageEffectHandle effect, OfxPropertySetHandle in_args,
                    OfxTime& time, EffectSettings& settings) {
  OfxParamSetHandle params = nullptr;
  OfxStatus status = suites.property->propGetDouble(in_args, kOfxPropTime, 0, &time);
  if (status == kOfxStatOK) status = suites.effect->getParamSet(effect, &params);
  if (status == kOfxStatOK) status = ReadParameters(suites, params, time, settings);
  return status;
}

// The picture is the whole source image, so that the bounds of the selection
// are the frame's however little of it the host asks for; only the window is
// written.
template <typename Format>
void RenderPicture(const ImageLayout& source, const ImageLayout& output, const OfxRectI& window,
                   const EffectSettings& settings, RenderAbort& abort, BandWorkers& threads) {
  const OfxRectI& area = source.bounds;
  RenderOptions options;
  options.alpha = source.premultiplied ? AlphaMode::kPremultiplied : AlphaMode::kStraight;
  options.window =
      PictureRect{std::int64_t{window.x1} - area.x1, std::int64_t{area.y2} - window.y2,
                  std::int64_t{window.x2} - area.x1, std::int64_t{area.y2} - window.y1};
  options.abort = &abort;
  options.workers = &threads;
  RenderEffect<Format>(PictureOf(source, area), PictureOf(output, area), settings, options);
}

// Whether the source can be rendered into the output; `problem` says why
// not. The output may reach beyond the source (the source does not cover
// the frame), not the other way.
bool Compatible(const ImageLayout& source, const ImageLayout& output, const char*& problem) {
  if (source.depth != output.depth) {
    problem = "the source and the output differ in depth";
    return false;
  }
  if (!Contains(output.bounds, source.bounds)) {
    problem = "the source image reaches beyond the output image";
    return false;
  }
  for (const ImageLayout* image : {&source, &output}) {
    const std::int64_t row = (std::int64_t{image->bounds.x2} - image->bounds.x1) *
                             static_cast<std::int64_t>(PixelBytes(image->depth));
    const std::int64_t stride = image->row_bytes;
    if ((stride < 0 ? -stride : stride) < row) {
      problem = "an image's rows are shorter than its bounds";
      return false;
    }
  }
  return true;
}

// A clip with no image at the time: the host answered OK without one, or
// kOfxStatFailed, as hosts do for a clip with nothing at that time.
bool NoImage(const ClipImage& image) {
  return !image.fetched() &&
         (image.fetch_status() == kOfxStatOK || image.fetch_status() == kOfxStatFailed);
}

}  // namespace

OfxStatus AnswerIdentity(const Suites& suites, OfxImageEffectHandle effect,
                         OfxPropertySetHandle in_args, OfxPropertySetHandle out_args) {
  OfxTime time = 0.0;
  EffectSettings settings;
  const OfxStatus status = ReadFrame(suites, effect, in_args, time, settings);
  if (status != kOfxStatOK) return status;
  if (!IsIdentity(settings)) return kOfxStatReplyDefault;
  const OfxStatus named = suites.property->propSetString(out_args, kOfxPropName, 0,
                                                         kOfxImageEffectSimpleSourceClipName);
  if (named != kOfxStatOK) return named;
  return suites.property->propSetDouble(out_args, kOfxPropTime, 0, time);
}

// A source clip with no image at the frame (Resolve's clips all look
// connected yet may hand out none) renders a transparent black output, as
// plug-ins commonly do, with no message. A host that sets abort gets OK and
// discards the frame.
OfxStatus Render(const Suites& suites, OfxImageEffectHandle effect, OfxPropertySetHandle in_args) {
  OfxTime time = 0.0;
  EffectSettings settings;
  OfxRectI window{};
  OfxStatus status = ReadFrame(suites, effect, in_args, time, settings);
  if (status == kOfxStatOK) {
    status = suites.property->propGetIntN(in_args, kOfxImageEffectPropRenderWindow, 4, &window.x1);
  }
  if (status != kOfxStatOK) {
    ReportError(suites, effect, "Huesieve could not read its parameters");
    return status;
  }

  const ClipImage source(suites, effect, kOfxImageEffectSimpleSourceClipName, time);
  const ClipImage output(suites, effect, kOfxImageEffectOutputClipName, time);
  if (!output.fetched()) {
    ReportError(suites, effect, "Huesieve needs an output image at this frame");
    return output.fetch_status() == kOfxStatOK ? kOfxStatFailed : output.fetch_status();
  }
  if (!source.fetched() && !NoImage(source)) {
    ReportError(suites, effect, "the host could not hand over the source image");
    return source.fetch_status();
  }
  ImageLayout source_layout;
  ImageLayout output_layout;
  const char* problem = nullptr;
  status = output.ReadLayout(output_layout, problem);
  if (status == kOfxStatOK && source.fetched()) status = source.ReadLayout(source_layout, problem);
  if (status == kOfxStatOK && source.fetched() &&
      !Compatible(source_layout, output_layout, problem)) {
    status = kOfxStatErrImageFormat;
  }
  if (status != kOfxStatOK) {
    ReportError(suites, effect, problem);
    return status;
  }

  window = Intersection(window, output_layout.bounds);
  if (!source.fetched()) {
    Clear(output_layout, window);
    return kOfxStatOK;
  }
  ClearAround(output_layout, window, source_layout.bounds);
  window = Intersection(window, source_layout.bounds);
  HostAbort abort(suites, effect);
  HostThreads threads(suites.multithread);
  switch (source_layout.depth) {
    case SampleDepth::kByte:
      RenderPicture<Rgba8>(source_layout, output_layout, window, settings, abort, threads);
      break;
    case SampleDepth::kShort:
      RenderPicture<Rgba16>(source_layout, output_layout, window, settings, abort, threads);
      break;
    case SampleDepth::kFloat:
      RenderPicture<RgbaFloat>(source_layout, output_layout, window, settings, abort, threads);
      break;
  }
  return kOfxStatOK;
}

}  // namespace huesieve::ofx
