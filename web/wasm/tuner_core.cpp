// The core's entry points for the tuner's worker: plain C functions over
// buffers in the module's memory, RGBA as the page decodes and encodes it,
// each a translation into the core's one effect call. 16-bit images render
// at their full 0 to 65535 scale, as huesieve-render renders 16-bit files.
#include "web/wasm/tuner_core.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "core/claim_map.h"
#include "core/colour_entry_table.h"
#include "core/effect.h"
#include "core/image_view.h"
#include "core/kernel_isa.h"
#include "core/pixel_formats.h"
#include "core/selection_bounds.h"
#include "effect/controls.h"
#include "effect/effect_settings.h"
#include "threads/band_threads.h"

namespace {

using huesieve::ColourEntryTable;
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
                    std::int32_t enable, const ColourEntryTable& table, std::int32_t* bounds,
                    std::int32_t portable, std::int32_t workers) {
  huesieve::BandThreads band_workers(static_cast<unsigned int>(std::max(workers, 1)));
  huesieve::RenderOptions options;
  options.workers = &band_workers;
  if (portable != 0) options.isa = huesieve::KernelIsa::kPortable;
  const huesieve::EffectOutcome outcome = huesieve::RenderEffect<Format>(
      RgbaView(source, width, height), RgbaView(result, width, height),
      huesieve::EffectSettings{enable != 0, table, huesieve::RuleModes{}}, options);
  if (outcome.status == huesieve::EffectStatus::kRendered) StoreBounds(outcome.bounds, bounds);
  return static_cast<std::int32_t>(outcome.status);
}

}  // namespace

extern "C" {

// A table of every entry at the controls' defaults.
ColourEntryTable* huesieve_table_new() {
  return new (std::nothrow)
      ColourEntryTable(huesieve::ToEffectSettings(huesieve::ControlSettings{}).entries);
}

// Range and Softness arrive as floats: JavaScript narrows the page's doubles
// to the nearest float when it passes them, as the module narrows the host's.
void huesieve_table_set(ColourEntryTable* table, std::int32_t entry, std::int32_t enabled,
                        std::int32_t red, std::int32_t green, std::int32_t blue, float range,
                        float softness) {
  if (entry < 0 || entry >= huesieve::kMaxColourEntries) return;
  const auto k = static_cast<std::size_t>(entry);
  table->enabled[k] = enabled != 0 ? 1 : 0;
  table->colours[k] = {static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                       static_cast<std::uint8_t>(blue)};
  table->ranges[k] = range;
  table->softness[k] = softness;
}

// `result` gets the effect applied to `source` (both width × height RGBA);
// `bounds` the selection's left, top, right and bottom when it rendered.
// `portable` forces the portable kernel, for measurements; `workers` threads
// share the frame, the calling thread included (1 in a build without threads).
std::int32_t huesieve_render(const std::uint8_t* source, std::uint8_t* result, std::int32_t width,
                             std::int32_t height, std::int32_t enable,
                             const ColourEntryTable* table, std::int32_t* bounds,
                             std::int32_t portable, std::int32_t workers) {
  return Render<huesieve::Rgba8>(source, result, width, height, enable, *table, bounds, portable,
                                 workers);
}

void huesieve_map_claims(const std::uint8_t* source, std::uint8_t* codes, std::int32_t width,
                         std::int32_t height, const ColourEntryTable* table, std::int32_t* bounds) {
  StoreBounds(huesieve::MapClaims<huesieve::Rgba8>(RgbaView(source, width, height), *table, codes),
              bounds);
}

// As huesieve_render for RGBA 16-bit samples (0 to 65535).
std::int32_t huesieve_render16(const std::uint16_t* source, std::uint16_t* result,
                               std::int32_t width, std::int32_t height, std::int32_t enable,
                               const ColourEntryTable* table, std::int32_t* bounds,
                               std::int32_t portable, std::int32_t workers) {
  return Render<huesieve::Rgba16>(source, result, width, height, enable, *table, bounds, portable,
                                  workers);
}

void huesieve_map_claims16(const std::uint16_t* source, std::uint8_t* codes, std::int32_t width,
                           std::int32_t height, const ColourEntryTable* table,
                           std::int32_t* bounds) {
  StoreBounds(huesieve::MapClaims<huesieve::Rgba16>(RgbaView(source, width, height), *table, codes),
              bounds);
}

}  // extern "C"
