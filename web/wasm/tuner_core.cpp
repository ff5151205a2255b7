// The core's entry points for the tuner's worker: plain C functions over
// buffers in the module's memory, RGBA 8-bit as the page decodes and encodes
// it. The effect is the module's, rule for rule: with the master switch
// exactly on, the selection pass in place on a copy of the source, then the
// four corner markers; otherwise the source unchanged.
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

namespace {

using huesieve::ColourEntryTable;
using huesieve::ImageView;
using huesieve::Rgba8;
using huesieve::SelectionBounds;

ImageView RgbaView(const std::uint8_t* pixels, std::int32_t width, std::int32_t height) {
  // The view's pixels are writable; the claim map only reads them.
  return ImageView{reinterpret_cast<std::byte*>(const_cast<std::uint8_t*>(pixels)),
                   std::int64_t{width} * 4, width, height};
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
  std::memcpy(result, source,
              static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
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

}  // extern "C"
