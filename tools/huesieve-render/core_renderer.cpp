#include "tools/huesieve-render/core_renderer.h"

#include <algorithm>

#include "core/pixel_formats.h"
#include "effect/effect_settings.h"
#include "threads/band_threads.h"

namespace huesieve::cli {

CoreRenderer::CoreRenderer(const ControlSettings& settings, int threads)
    : settings_(ToEffectSettings(settings)),
      threads_(static_cast<unsigned int>(std::max(1, threads))) {}

void CoreRenderer::Render(image::FrameBuffer& frame, const std::string& /*what*/) const {
  BandThreads threads(threads_);
  RenderOptions options;
  options.workers = &threads;
  options.alpha = frame.premultiplied() ? AlphaMode::kPremultiplied : AlphaMode::kStraight;
  const ImageView view = frame.View();
  switch (frame.type()) {
    case image::SampleType::kUint8:
      RenderEffect<Rgba8>(view, view, settings_, options);
      break;
    case image::SampleType::kUint16:
      RenderEffect<Rgba16>(view, view, settings_, options);
      break;
    case image::SampleType::kFloat:
      RenderEffect<RgbaFloat>(view, view, settings_, options);
      break;
  }
}

}  // namespace huesieve::cli
