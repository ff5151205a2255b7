// The core's entry points for the tuner's worker: plain C functions over
// buffers in the module's memory, RGBA as the page decodes and encodes it.
// The effect is the module's, rule for rule: with the master switch exactly
// on, the selection pass in place on a copy of the source, then the four
// corner markers; otherwise the source unchanged. 16-bit images take
// huesieve-render's way: mapped to the first host's 0 to 32768 and back, and
// rendered in its 16-bit format.
#include "web/wasm/tuner_core.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "core/claim_map.h"
#include "core/colour_entry_table.h"
#include "core/corner_markers.h"
#include "core/image_view.h"
#include "core/kernel_isa.h"
#include "core/pixel_formats.h"
#include "core/selection_bounds.h"
#include "core/selection_pass.h"
#include "png/host_scale.h"

namespace {

using huesieve::Argb16;
using huesieve::ColourEntryTable;
using huesieve::ImageView;
using huesieve::Rgba8;
using huesieve::SelectionBounds;

ImageView RgbaView(const std::uint8_t* pixels, std::int32_t width, std::int32_t height) {
  // The view's pixels are writable; the claim map only reads them.
  return ImageView{reinterpret_cast<std::byte*>(const_cast<std::uint8_t*>(pixels)),
                   std::int64_t{width} * 4, width, height};
}

std::size_t PixelCount(std::int32_t width, std::int32_t height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

// RGBA 16-bit samples to the host's ARGB pixels on its scale, in `host`.
void ToHostPixels(const std::uint16_t* rgba, std::uint16_t* host, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i) {
    const std::uint16_t* from = rgba + i * 4;
    std::uint16_t* to = host + i * 4;
    const std::uint16_t alpha = huesieve::png::ToHost16(from[3]);
    to[Argb16::kRed] = huesieve::png::ToHost16(from[0]);
    to[Argb16::kGreen] = huesieve::png::ToHost16(from[1]);
    to[Argb16::kBlue] = huesieve::png::ToHost16(from[2]);
    to[Argb16::kAlpha] = alpha;
  }
}

// The host's pixels back to RGBA 16-bit samples, in place.
void FromHostPixels(std::uint16_t* pixels, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    std::uint16_t* at = pixels + i * 4;
    const std::uint16_t red = huesieve::png::FromHost16(at[Argb16::kRed]);
    const std::uint16_t green = huesieve::png::FromHost16(at[Argb16::kGreen]);
    const std::uint16_t blue = huesieve::png::FromHost16(at[Argb16::kBlue]);
    const std::uint16_t alpha = huesieve::png::FromHost16(at[Argb16::kAlpha]);
    at[0] = red;
    at[1] = green;
    at[2] = blue;
    at[3] = alpha;
  }
}

ImageView HostView(std::uint16_t* pixels, std::int32_t width, std::int32_t height) {
  return ImageView{reinterpret_cast<std::byte*>(pixels), std::int64_t{width} * 8, width, height};
}

void StoreBounds(const SelectionBounds& bounds, std::int32_t* out) {
  out[0] = bounds.left;
  out[1] = bounds.top;
  out[2] = bounds.right;
  out[3] = bounds.bottom;
}

}  // namespace

extern "C" {

// A table of every entry, off, white, Range 0: what the module starts with.
ColourEntryTable* huesieve_table_new() {
  auto* table = new (std::nothrow) ColourEntryTable{};
  if (table == nullptr) return nullptr;
  table->count = huesieve::kMaxColourEntries;
  table->colours.fill({255, 255, 255});
  return table;
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
// `bounds` the selection's left, top, right and bottom. `portable` forces the
// portable kernel, for measurements.
void huesieve_render(const std::uint8_t* source, std::uint8_t* result, std::int32_t width,
                     std::int32_t height, std::int32_t enable, const ColourEntryTable* table,
                     std::int32_t* bounds, std::int32_t portable) {
  std::memcpy(result, source, PixelCount(width, height) * 4);
  if (enable != 1) {
    StoreBounds(SelectionBounds{0, 0, 0, 0}, bounds);
    return;
  }
  const ImageView view = RgbaView(result, width, height);
  const huesieve::KernelIsa isa =
      portable != 0 ? huesieve::KernelIsa::kPortable : huesieve::BestKernelIsa();
  const SelectionBounds selection = huesieve::SelectionPass<Rgba8>(view, *table, isa);
  huesieve::DrawCornerMarkers<Rgba8>(view, selection);
  StoreBounds(selection, bounds);
}

void huesieve_map_claims(const std::uint8_t* source, std::uint8_t* codes, std::int32_t width,
                         std::int32_t height, const ColourEntryTable* table, std::int32_t* bounds) {
  StoreBounds(huesieve::MapClaims<Rgba8>(RgbaView(source, width, height), *table, codes), bounds);
}

// As huesieve_render for RGBA 16-bit samples (0 to 65535): the result is
// what huesieve-render writes for a 16-bit PNG, switch off included.
void huesieve_render16(const std::uint16_t* source, std::uint16_t* result, std::int32_t width,
                       std::int32_t height, std::int32_t enable, const ColourEntryTable* table,
                       std::int32_t* bounds, std::int32_t portable) {
  const std::size_t pixels = PixelCount(width, height);
  ToHostPixels(source, result, pixels);
  StoreBounds(SelectionBounds{0, 0, 0, 0}, bounds);
  if (enable == 1) {
    const ImageView view = HostView(result, width, height);
    const huesieve::KernelIsa isa =
        portable != 0 ? huesieve::KernelIsa::kPortable : huesieve::BestKernelIsa();
    const SelectionBounds selection = huesieve::SelectionPass<Argb16>(view, *table, isa);
    huesieve::DrawCornerMarkers<Argb16>(view, selection);
    StoreBounds(selection, bounds);
  }
  FromHostPixels(result, pixels);
}

// As huesieve_map_claims for RGBA 16-bit samples; `scratch` (as large as
// the source) holds the host's pixels the map is made from.
void huesieve_map_claims16(const std::uint16_t* source, std::uint16_t* scratch, std::uint8_t* codes,
                           std::int32_t width, std::int32_t height, const ColourEntryTable* table,
                           std::int32_t* bounds) {
  ToHostPixels(source, scratch, PixelCount(width, height));
  StoreBounds(huesieve::MapClaims<Argb16>(HostView(scratch, width, height), *table, codes), bounds);
}

}  // extern "C"
