// The core's entry points for the tuner's worker: plain C functions over
// buffers in the module's memory, RGBA 8-bit as the page decodes and encodes
// it. The effect is the module's, rule for rule: with the master switch
// exactly on, the selection pass in place on a copy of the source, then the
// four corner markers; otherwise the source unchanged.
#include "web/wasm/tuner_core.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <new>

#include "core/colour_entry_table.h"
#include "core/colour_rule.h"
#include "core/corner_markers.h"
#include "core/entry_thresholds.h"
#include "core/image_view.h"
#include "core/kernel_isa.h"
#include "core/pixel_formats.h"
#include "core/selection_bounds.h"
#include "core/selection_pass.h"

namespace {

using huesieve::Argb8;
using huesieve::ColourEntryTable;
using huesieve::ImageView;
using huesieve::SelectionBounds;

static_assert(std::endian::native == std::endian::little);

// RGBA bytes read as a little-endian word become the host's ARGB order by a
// rotation of one channel, as huesieve-render turns them; the page's pixels
// go through the module's own 8-bit format and come back the same way.
void RgbaToArgb(std::uint8_t* pixels, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t word;
    std::memcpy(&word, pixels + i * 4, 4);
    word = std::rotl(word, 8);
    std::memcpy(pixels + i * 4, &word, 4);
  }
}

void ArgbToRgba(std::uint8_t* pixels, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t word;
    std::memcpy(&word, pixels + i * 4, 4);
    word = std::rotr(word, 8);
    std::memcpy(pixels + i * 4, &word, 4);
  }
}

std::size_t PixelCount(std::int32_t width, std::int32_t height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
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
  const std::size_t pixels = PixelCount(width, height);
  std::memcpy(result, source, pixels * 4);
  if (enable != 1) {
    StoreBounds(SelectionBounds{0, 0, 0, 0}, bounds);
    return;
  }
  RgbaToArgb(result, pixels);
  const ImageView view{reinterpret_cast<std::byte*>(result), std::int64_t{width} * 4, width,
                       height};
  const huesieve::KernelIsa isa =
      portable != 0 ? huesieve::KernelIsa::kPortable : huesieve::BestKernelIsa();
  const SelectionBounds selection = huesieve::SelectionPass<Argb8>(view, *table, isa);
  huesieve::DrawCornerMarkers<Argb8>(view, selection);
  ArgbToRgba(result, pixels);
  StoreBounds(selection, bounds);
}

// Which entry claims each pixel of `source`, one code a pixel to `codes`: 0
// nothing; 1 + k entry k; | 0x80 when entry k is on and ramps the pixel's
// alpha (its feather band). The decision is the rule's own, through its
// per-frame thresholds; `bounds` gets the selection's, as the pass finds it.
void huesieve_map_claims(const std::uint8_t* source, std::uint8_t* codes, std::int32_t width,
                         std::int32_t height, const ColourEntryTable* table, std::int32_t* bounds) {
  const huesieve::EntryThresholds rule = huesieve::MakeEntryThresholds(*table);
  SelectionBounds selection{width, height, 0, 0};
  bool any = false;
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                             static_cast<std::size_t>(x);
      const std::uint8_t* pixel = source + at * 4;
      std::uint8_t code = 0;
      for (std::int32_t k = 0; k < rule.count && code == 0; ++k) {
        const auto entry = static_cast<std::size_t>(k);
        const auto sum = static_cast<std::uint32_t>(huesieve::RedmeanSquare(
            pixel[0], pixel[1], pixel[2], rule.red[entry], rule.green[entry], rule.blue[entry]));
        if (sum >= rule.claim_below[entry]) continue;
        const bool feathered = rule.enabled[entry] != 0 && sum >= rule.ramp_from[entry];
        code = static_cast<std::uint8_t>((k + 1) | (feathered ? 0x80 : 0));
      }
      codes[at] = code;
      if (code == 0) continue;
      if (!any) selection.top = y;
      any = true;
      selection.left = std::min(selection.left, x);
      selection.right = std::max(selection.right, x + 1);
      selection.bottom = y + 1;
    }
  }
  StoreBounds(any ? selection : SelectionBounds{}, bounds);
}

}  // extern "C"
