#include "params/params_setup.h"

#include <array>
#include <cstring>

#include "params/param_layout.h"
#include "effect/controls.h"

namespace huesieve {
namespace {

struct ParamRow {
  int slot;
  PF_ParamType type;
  const char* name;     // null for group ends, which carry no name
  SliderLimits limits;  // sliders only
};

// Checkbox labels point here; the host may read the label after the call.
constexpr char kEmptyLabel[] = "";

constexpr PF_Pixel kOpaqueWhite{255, 255, 255, 255};
constexpr PF_FpLong kInitialSliderValue = 0.0;
constexpr PF_FpShort kCurveTolerance = 0.05f;

constexpr std::array<ParamRow, kParamCount - 1> MakeParamRows() {
  std::array<ParamRow, kParamCount - 1> rows{};
  std::size_t i = 0;
  rows[i++] = {kEnableEffectSlot, PF_Param_CHECKBOX, kEnableEffectName, {}};
  for (int k = 0; k < kColourEntryCount; ++k) {
    const ColourEntrySlots slots = EntrySlots(k);
    rows[i++] = {slots.group_start, PF_Param_GROUP_START, kGroupNames[k], {}};
    rows[i++] = {slots.enable, PF_Param_CHECKBOX, kEnableColourName, {}};
    rows[i++] = {slots.colour, PF_Param_COLOR, kColourName, {}};
    rows[i++] = {slots.range, PF_Param_FLOAT_SLIDER, kRangeName, kRangeLimits};
    rows[i++] = {slots.softness, PF_Param_FLOAT_SLIDER, kSoftnessName, kSoftnessLimits};
    rows[i++] = {slots.group_end, PF_Param_GROUP_END, nullptr, {}};
  }
  return rows;
}

constexpr std::array<ParamRow, kParamCount - 1> kParamRows = MakeParamRows();

// Fills `def` from scratch: every member not named here stays zero.
void Describe(const ParamRow& row, const PF_InData& in_data, PF_ParamDef& def) {
  std::memset(&def, 0, sizeof def);
  def.param_type = row.type;
  if (row.name != nullptr) in_data.utils->ansi.strcpy(def.name, row.name);
  switch (row.type) {
    case PF_Param_CHECKBOX:
      def.u.bd.value = 0;
      def.u.bd.dephault = static_cast<PF_Boolean>(def.u.bd.value & 0xFF);
      def.u.bd.u.nameptr = kEmptyLabel;
      def.flags = PF_ParamFlag_COLLAPSE_TWIRLY;
      break;
    case PF_Param_COLOR:
      def.u.cd.value = kOpaqueWhite;
      def.u.cd.dephault = def.u.cd.value;
      break;
    case PF_Param_FLOAT_SLIDER:
      def.u.fs_d.valid_min = row.limits.min;
      def.u.fs_d.valid_max = row.limits.max;
      def.u.fs_d.slider_min = row.limits.min;
      def.u.fs_d.slider_max = row.limits.max;
      // Range starts at 0.0, below its minimum of 1.0: stored projects rely on
      // an untouched entry claiming nothing.
      def.u.fs_d.value = kInitialSliderValue;
      def.u.fs_d.dephault = static_cast<PF_FpShort>(def.u.fs_d.value);
      def.u.fs_d.precision = 0;
      def.u.fs_d.display_flags = 0;
      def.u.fs_d.fs_flags = 0;
      def.u.fs_d.curve_tolerance = kCurveTolerance;
      break;
    default:
      break;
  }
  def.uu.id = row.slot;
}

}  // namespace

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[],
                   PF_LayerDef* /*output*/) {
  PF_ParamDef def;
  for (const ParamRow& row : kParamRows) {
    Describe(row, *in_data, def);
    if (const PF_Err err = in_data->inter.add_param(in_data->effect_ref, -1, &def)) return err;
  }
  out_data->num_params = kParamCount;
  return PF_Err_NONE;
}

}  // namespace huesieve
