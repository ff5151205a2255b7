// The core's entry points for the tuner's worker: plain C functions over
// buffers in the module's memory, RGBA as the page decodes and encodes it,
// each a translation into the core's one effect call. 16-bit images render
// at their full 0 to 65535 scale and float ones as they are, as
// huesieve-render renders such files, straight or premultiplied as the file
// holds them.
#include "web/wasm/tuner_core.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/claim_map.h"
#include "core/effect.h"
#include "core/effect_walk.h"
#include "core/image_view.h"
#include "core/kernel_dispatch.h"
#include "core/kernel_isa.h"
#include "core/pixel_formats.h"
#include "core/premultiplied.h"
#include "core/selection_bounds.h"
#include "core/srgb_decision.h"
#include "threads/band_threads.h"

namespace {

using huesieve::EffectSettings;
using huesieve::ImageView;
using huesieve::SelectionBounds;

// `Sample` RGBA pixels, `width` a row. The view's pixels are writable; a
// source is only read.
template <typename Sample>
ImageView RgbaView(const Sample* pixels, std::int32_t width, std::int32_t height) {
  return ImageView{reinterpret_cast<std::byte*>(const_cast<Sample*>(pixels)),
                   std::int64_t{width} * 4 * std::int64_t{sizeof(Sample)}, width, height};
}

void StoreBounds(const SelectionBounds& bounds, std::int32_t* out) {
  out[0] = bounds.left;
  out[1] = bounds.top;
  out[2] = bounds.right;
  out[3] = bounds.bottom;
}

// The effect from `source` into `result`; the selection's bounds into
// `bounds` when it rendered. Returns the outcome as EffectStatus counts it:
// 0 switched off (the result is the source), 1 rendered.
template <typename Format, typename Sample>
std::int32_t Render(const Sample* source, Sample* result, std::int32_t width, std::int32_t height,
                    const EffectSettings& settings, std::int32_t premultiplied,
                    std::int32_t* bounds, std::int32_t portable, std::int32_t workers) {
  huesieve::BandThreads band_workers(static_cast<unsigned int>(std::max(workers, 1)));
  huesieve::RenderOptions options;
  options.workers = &band_workers;
  options.alpha =
      premultiplied != 0 ? huesieve::AlphaMode::kPremultiplied : huesieve::AlphaMode::kStraight;
  huesieve::FrameWalk<Format> walk = huesieve::ProcessWalk<Format>();
  if (portable != 0) {
    walk.kernels = huesieve::RowKernelsOf<Format>(huesieve::KernelIsa::kPortable);
    walk.decision_kernels = huesieve::RowKernelsOf<huesieve::Rgba8>(huesieve::KernelIsa::kPortable);
  }
  const huesieve::EffectOutcome outcome = huesieve::RenderEffect<Format>(
      walk, RgbaView(source, width, height), RgbaView(result, width, height), settings, options);
  if (outcome.status == huesieve::EffectStatus::kRendered) StoreBounds(outcome.bounds, bounds);
  return static_cast<std::int32_t>(outcome.status);
}

// Each pixel's claim, judged as the settings judge colours.
template <typename Format, typename Sample>
void MapClaims(const Sample* source, std::uint8_t* codes, std::int32_t width, std::int32_t height,
               const EffectSettings& settings, std::int32_t premultiplied, std::int32_t* bounds) {
  const huesieve::AlphaMode alpha =
      premultiplied != 0 ? huesieve::AlphaMode::kPremultiplied : huesieve::AlphaMode::kStraight;
  StoreBounds(huesieve::MapClaims<Format>(RgbaView(source, width, height), settings.entries,
                                          settings.modes.judge, alpha, codes),
              bounds);
}

}  // namespace

extern "C" {

// `result` gets the effect applied to `source` (both width × height RGBA,
// premultiplied when `premultiplied` is not 0); `bounds` the selection's
// left, top, right and bottom when it rendered.
// `portable` forces the portable kernel, for measurements; `workers` threads
// share the frame, the calling thread included (1 in a build without threads).
std::int32_t huesieve_render(const std::uint8_t* source, std::uint8_t* result, std::int32_t width,
                             std::int32_t height, const EffectSettings* settings,
                             std::int32_t premultiplied, std::int32_t* bounds,
                             std::int32_t portable, std::int32_t workers) {
  return Render<huesieve::Rgba8>(source, result, width, height, *settings, premultiplied, bounds,
                                 portable, workers);
}

void huesieve_map_claims(const std::uint8_t* source, std::uint8_t* codes, std::int32_t width,
                         std::int32_t height, const EffectSettings* settings,
                         std::int32_t premultiplied, std::int32_t* bounds) {
  MapClaims<huesieve::Rgba8>(source, codes, width, height, *settings, premultiplied, bounds);
}

// As huesieve_render for RGBA 16-bit samples (0 to 65535).
std::int32_t huesieve_render16(const std::uint16_t* source, std::uint16_t* result,
                               std::int32_t width, std::int32_t height,
                               const EffectSettings* settings, std::int32_t premultiplied,
                               std::int32_t* bounds, std::int32_t portable, std::int32_t workers) {
  return Render<huesieve::Rgba16>(source, result, width, height, *settings, premultiplied, bounds,
                                  portable, workers);
}

void huesieve_map_claims16(const std::uint16_t* source, std::uint8_t* codes, std::int32_t width,
                           std::int32_t height, const EffectSettings* settings,
                           std::int32_t premultiplied, std::int32_t* bounds) {
  MapClaims<huesieve::Rgba16>(source, codes, width, height, *settings, premultiplied, bounds);
}

// As huesieve_render for RGBA float samples (OpenEXR's half and float, TIFF's
// and DPX's float).
std::int32_t huesieve_render_float(const float* source, float* result, std::int32_t width,
                                   std::int32_t height, const EffectSettings* settings,
                                   std::int32_t premultiplied, std::int32_t* bounds,
                                   std::int32_t portable, std::int32_t workers) {
  return Render<huesieve::RgbaFloat>(source, result, width, height, *settings, premultiplied,
                                     bounds, portable, workers);
}

void huesieve_map_claims_float(const float* source, std::uint8_t* codes, std::int32_t width,
                               std::int32_t height, const EffectSettings* settings,
                               std::int32_t premultiplied, std::int32_t* bounds) {
  MapClaims<huesieve::RgbaFloat>(source, codes, width, height, *settings, premultiplied, bounds);
}

// A float picture as a display shows it: each colour sample (unpremultiplied
// when premultiplied) through the sRGB encoding, as sRGB-encoded judging
// sees it, so that the eyedropper picks what is shown; alpha to the nearest
// 8-bit value. For looking only: the samples keyed are the file's.
void huesieve_display_float(const float* source, std::uint8_t* display, std::int32_t width,
                            std::int32_t height, std::int32_t premultiplied) {
  using huesieve::RgbaFloat;
  const huesieve::SrgbDecisionTables& tables = huesieve::SrgbTables();
  const std::int64_t pixels = std::int64_t{width} * height;
  for (std::int64_t k = 0; k < pixels; ++k) {
    RgbaFloat::Pixel pixel;
    std::memcpy(&pixel, source + k * 4, sizeof pixel);
    if (premultiplied != 0) pixel = huesieve::Unpremultiplied<RgbaFloat>(pixel);
    std::uint8_t* out = display + k * 4;
    for (std::size_t c = 0; c < 3; ++c) {
      out[c] = static_cast<std::uint8_t>(huesieve::SrgbByteScale<RgbaFloat>(tables, pixel[c]));
    }
    // Held within 0..1, NaN as 0, as the encoding holds colours.
    const float alpha = pixel[3] > 0.0f ? std::min(pixel[3], 1.0f) : 0.0f;
    out[3] = static_cast<std::uint8_t>(alpha * 255.0f + 0.5f);
  }
}

}  // extern "C"
