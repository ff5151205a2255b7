#include "params/params_setup.h"

#include <array>
#include <cstring>

#include "effect/controls.h"
#include "params/param_layout.h"

namespace huesieve {
namespace {

struct ParamRow {
  int slot;
  PF_ParamType type;
  const char* name;           // null for group ends, which carry no name
  const ControlRow* control;  // null for groups
};

// Checkbox labels point here; the host may read the label after the call.
constexpr char kEmptyLabel[] = "";

constexpr PF_FpShort kCurveTolerance = 0.05f;

constexpr PF_ParamType ParamTypeOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::kSwitch:
      return PF_Param_CHECKBOX;
    case ControlKind::kColourPicker:
      return PF_Param_COLOR;
    case ControlKind::kSlider:
      return PF_Param_FLOAT_SLIDER;
    case ControlKind::kChoice:
      break;
  }
  throw "a choice has no place in the module";  // fails the constant evaluation
}

constexpr const char* LabelOf(const ControlRow& row) {
  switch (row.kind) {
    case ControlKind::kSwitch:
      return row.switch_control->label;
    case ControlKind::kColourPicker:
      return row.colour->label;
    case ControlKind::kSlider:
      return row.slider->label;
    case ControlKind::kChoice:
      return row.choice->label;
  }
  return nullptr;
}

// The module's parameters, walked from the controls' table: the effect's
// rows for the module, then each entry's group around its rows.
constexpr std::array<ParamRow, kParamCount - 1> MakeParamRows() {
  std::array<ParamRow, kParamCount - 1> rows{};
  std::size_t i = 0;
  int slot = kEnableEffectSlot;
  const auto add = [&](const ControlRow& control) {
    if (!control.in_module) return;
    rows[i++] = {slot++, ParamTypeOf(control.kind), LabelOf(control), &control};
  };
  for (const ControlRow& control : kEffectControls) add(control);
  for (int k = 0; k < kColourEntryCount; ++k) {
    rows[i++] = {slot++, PF_Param_GROUP_START, kEntryGroup.labels[k], nullptr};
    for (const ControlRow& control : kEntryControls) add(control);
    rows[i++] = {slot++, PF_Param_GROUP_END, nullptr, nullptr};
  }
  if (i != rows.size() || slot != kParamCount) throw "the table's rows miss the module's slots";
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
      def.u.bd.value = row.control->switch_control->default_value ? 1 : 0;
      def.u.bd.dephault = static_cast<PF_Boolean>(def.u.bd.value & 0xFF);
      def.u.bd.u.nameptr = kEmptyLabel;
      def.flags = PF_ParamFlag_COLLAPSE_TWIRLY;
      break;
    case PF_Param_COLOR: {
      const Rgb8& colour = row.control->colour->default_value;
      def.u.cd.value = {0xFF, colour.red, colour.green, colour.blue};
      def.u.cd.dephault = def.u.cd.value;
      break;
    }
    case PF_Param_FLOAT_SLIDER: {
      const SliderControl& slider = *row.control->slider;
      const ControlLimits& limits = slider.after_effects;
      def.u.fs_d.valid_min = static_cast<PF_FpShort>(limits.min);
      def.u.fs_d.valid_max = static_cast<PF_FpShort>(limits.max);
      def.u.fs_d.slider_min = static_cast<PF_FpShort>(limits.min);
      def.u.fs_d.slider_max = static_cast<PF_FpShort>(limits.max);
      // Range starts at its default 0.0, below its minimum of 1.0: stored
      // projects rely on an untouched entry claiming nothing.
      def.u.fs_d.value = slider.default_value;
      def.u.fs_d.dephault = static_cast<PF_FpShort>(def.u.fs_d.value);
      def.u.fs_d.precision = 0;
      def.u.fs_d.display_flags = 0;
      def.u.fs_d.fs_flags = 0;
      def.u.fs_d.curve_tolerance = kCurveTolerance;
      break;
    }
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
