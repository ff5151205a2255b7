#include "render/render.h"

#include <cstddef>
#include <cstdint>

#include "core/effect.h"
#include "core/pixel_formats.h"
#include "effect/controls.h"
#include "effect/effect_settings.h"
#include "params/param_layout.h"
#include "render/host_image_view.h"

namespace huesieve {
namespace {

static_assert(kMaxColourEntries == kColourEntryCount);

// The host's pixel types and the core's formats describe the same bytes.
static_assert(sizeof(PF_Pixel) == sizeof(Argb8::Pixel) && offsetof(PF_Pixel, alpha) == 0 &&
              offsetof(PF_Pixel, red) == Argb8::kRed && offsetof(PF_Pixel, blue) == Argb8::kBlue);
static_assert(sizeof(PF_Pixel16) == sizeof(Argb16::Pixel) && offsetof(PF_Pixel16, alpha) == 0 &&
              offsetof(PF_Pixel16, red) == 2 * Argb16::kRed &&
              offsetof(PF_Pixel16, blue) == 2 * Argb16::kBlue);

// The host's values as the controls hold them; the module has no choices,
// so they stay at their defaults: its images are display-referred and its
// controls fixed, the rule as it always was. The master switch is on only
// when it is exactly 1.
ControlSettings GatherControls(PF_ParamDef* const params[]) {
  ControlSettings controls;
  controls.enable_effect = params[kEnableEffectSlot]->u.bd.value == 1;
  for (int k = 0; k < kColourEntryCount; ++k) {
    const ColourEntrySlots slots = EntrySlots(k);
    const PF_Pixel& colour = params[slots.colour]->u.cd.value;
    EntrySettings& entry = controls.entries[static_cast<std::size_t>(k)];
    entry.enabled = params[slots.enable]->u.bd.value != 0;
    entry.colour = {colour.red, colour.green, colour.blue};
    entry.range = params[slots.range]->u.fs_d.value;
    entry.softness = params[slots.softness]->u.fs_d.value;
  }
  return controls;
}

PF_Err CopyInputToOutput(const PF_InData& in_data, PF_LayerDef& input, PF_LayerDef& output) {
  return in_data.utils->copy(in_data.effect_ref, &input, &output, nullptr, nullptr);
}

// The module judges its input buffer in place, has the host copy it to the
// output, and draws the markers there whether or not the copy succeeded;
// switched off, the host's copy alone.
template <typename Format>
PF_Err RenderPixels(const PF_InData& in_data, PF_ParamDef* params[], PF_LayerDef& input,
                    PF_LayerDef& output, void* input_pixels, void* output_pixels) {
  const EffectSettings settings = ToEffectSettings(GatherControls(params));
  const ImageView input_view = HostImageView<Format>(input, input_pixels);
  PF_Err copy_err = PF_Err_NONE;
  RenderEffect<Format>(input_view, input_view, settings, {}, [&] {
    copy_err = CopyInputToOutput(in_data, input, output);
    return HostImageView<Format>(output, output_pixels);
  });
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
    return RenderPixels<Argb16>(*in_data, params, input, *output, input16, output16);
  }

  PF_Pixel8* output8 = nullptr;
  PF_Pixel8* input8 = nullptr;
  utils.get_pixel_data8(output, nullptr, &output8);
  utils.get_pixel_data8(&input, nullptr, &input8);
  // Without both buffers there is nothing safe to do, and success would be a lie.
  if (output8 == nullptr || input8 == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  return RenderPixels<Argb8>(*in_data, params, input, *output, input8, output8);
}

}  // namespace huesieve
