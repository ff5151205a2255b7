#include "render/render.h"

#include <cfloat>
#include <cmath>

#include "params/param_layout.h"
#include "render/colour_entry_table.h"
#include "render/corner_marker.h"
#include "render/selection_pass.h"

namespace huesieve {
namespace {

static_assert(kMaxColourEntries == kColourEntryCount);

// The nearest float to a slider value. A finite double beyond the float range
// is undefined to convert in C++; round it as the hardware would.
float NarrowToFloat(double value) {
  if (!std::isfinite(value) || std::fabs(value) <= double{FLT_MAX}) {
    return static_cast<float>(value);
  }
  constexpr double kHalfUlpPastMax = double{FLT_MAX} + 0x1p103;
  const float magnitude = std::fabs(value) < kHalfUlpPastMax ? FLT_MAX : INFINITY;
  return std::copysign(magnitude, static_cast<float>(value < 0 ? -1 : 1));
}

ColourEntryTable GatherColourEntries(PF_ParamDef* const params[]) {
  ColourEntryTable table;
  table.count = kColourEntryCount;
  for (int k = 0; k < kColourEntryCount; ++k) {
    const auto entry = static_cast<std::size_t>(k);
    const ColourEntrySlots slots = EntrySlots(k);
    table.enabled[entry] = params[slots.enable]->u.bd.value != 0 ? 1 : 0;
    table.colours[entry] = params[slots.colour]->u.cd.value;
    table.ranges[entry] = NarrowToFloat(params[slots.range]->u.fs_d.value);
    table.softness[entry] = NarrowToFloat(params[slots.softness]->u.fs_d.value);
  }
  return table;
}

PF_Err CopyInputToOutput(const PF_InData& in_data, PF_LayerDef& input, PF_LayerDef& output) {
  return in_data.utils->copy(in_data.effect_ref, &input, &output, nullptr, nullptr);
}

template <typename Pixel>
PF_Err RenderPixels(const PF_InData& in_data, PF_ParamDef* params[], PF_LayerDef& input,
                    PF_LayerDef& output, Pixel* input_pixels, Pixel* output_pixels) {
  // The effect runs only when the master switch is exactly on.
  if (params[kEnableEffectSlot]->u.bd.value != 1) {
    return CopyInputToOutput(in_data, input, output);
  }

  const ColourEntryTable table = GatherColourEntries(params);
  const SelectionBounds bounds = SelectionPass(ImageRows<Pixel>(input_pixels, input.rowbytes),
                                                   input.height, table, BestKernelIsa());

  const PF_Err copy_err = CopyInputToOutput(in_data, input, output);

  // The markers are drawn whether or not the copy succeeded.
  const ImageRows<Pixel> output_rows(output_pixels, output.rowbytes);
  DrawCornerMarker(output_rows, output.height, bounds.left, bounds.top);
  DrawCornerMarker(output_rows, output.height, bounds.left, bounds.bottom);
  DrawCornerMarker(output_rows, output.height, bounds.right, bounds.top);
  DrawCornerMarker(output_rows, output.height, bounds.right, bounds.bottom);
  return copy_err;
}

}  // namespace

// The 16-bit path is taken when the host gives 16-bit access to both images.
// The results of the access callbacks are not examined; what counts is whether
// a pointer came back.
PF_Err Render(PF_InData* in_data, PF_OutData* /*out_data*/, PF_ParamDef* params[],
              PF_LayerDef* output) {
  PF_LayerDef& input = params[kInputLayerSlot]->u.ld;
  PF_UtilCallbacks& utils = *in_data->utils;

  PF_Pixel16* output16 = nullptr;
  PF_Pixel16* input16 = nullptr;
  utils.get_pixel_data16(output, nullptr, &output16);
  utils.get_pixel_data16(&input, nullptr, &input16);
  if (output16 != nullptr && input16 != nullptr) {
    return RenderPixels(*in_data, params, input, *output, input16, output16);
  }

  PF_Pixel8* output8 = nullptr;
  PF_Pixel8* input8 = nullptr;
  utils.get_pixel_data8(output, nullptr, &output8);
  utils.get_pixel_data8(&input, nullptr, &input8);
  // Without both buffers there is nothing safe to do, and success would be a lie.
  if (output8 == nullptr || input8 == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  return RenderPixels(*in_data, params, input, *output, input8, output8);
}

}  // namespace huesieve
