#include "ofx/parameters.h"

#include <array>
#include <cstddef>
#include <cstdio>

#include "core/pixel_formats.h"
#include "core/srgb_decision.h"
#include "effect/controls.h"
#include "effect/effect_settings.h"

namespace huesieve::ofx {
namespace {

// The OpenFX names of entry k's controls, the schema's names with k counted
// from 1 as the groups are labelled: "entry1", "enable1", "color1",
// "range1", "softness1". Each has room for any int, so no name can be cut
// short.
inline constexpr std::size_t kNameSize = 24;
using ParamName = std::array<char, kNameSize>;

ParamName NameOf(const char* stem, int k) {
  ParamName name{};
  std::snprintf(name.data(), name.size(), "%s%d", stem, k + 1);
  return name;
}

struct EntryNames {
  ParamName group = {};
  ParamName enable = {};
  ParamName colour = {};
  ParamName range = {};
  ParamName softness = {};
};

EntryNames NamesOf(int k) {
  return {NameOf(kEntryGroup.openfx_name, k), NameOf(kEnableColour.openfx_name, k),
          NameOf(kColour.openfx_name, k), NameOf(kRange.openfx_name, k),
          NameOf(kSoftness.openfx_name, k)};
}

// Defines one parameter and gives it its label and, within a group, its
// parent; the caller sets the rest of its properties.
OfxStatus Define(const Suites& suites, OfxParamSetHandle params, const char* type, const char* name,
                 const char* label, const char* parent, OfxPropertySetHandle& properties) {
  OfxStatus status = suites.param->paramDefine(params, type, name, &properties);
  if (status != kOfxStatOK) return status;
  status = suites.property->propSetString(properties, kOfxPropLabel, 0, label);
  if (status == kOfxStatOK && parent != nullptr) {
    status = suites.property->propSetString(properties, kOfxParamPropParent, 0, parent);
  }
  return status;
}

OfxStatus DefineBoolean(const Suites& suites, OfxParamSetHandle params, const char* name,
                        const SwitchControl& control, const char* parent) {
  OfxPropertySetHandle properties = nullptr;
  OfxStatus status =
      Define(suites, params, kOfxParamTypeBoolean, name, control.label, parent, properties);
  if (status != kOfxStatOK) return status;
  return suites.property->propSetInt(properties, kOfxParamPropDefault, 0,
                                     control.default_value ? 1 : 0);
}

OfxStatus DefineColour(const Suites& suites, OfxParamSetHandle params, const char* name,
                       const ColourControl& control, const char* parent) {
  OfxPropertySetHandle properties = nullptr;
  OfxStatus status =
      Define(suites, params, kOfxParamTypeRGB, name, control.label, parent, properties);
  if (status != kOfxStatOK) return status;
  const Rgb8 colour = control.default_value;
  const double channels[3] = {colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0};
  return suites.property->propSetDoubleN(properties, kOfxParamPropDefault, 3, channels);
}

// Some hosts (Resolve among them) want a display range beside the range.
OfxStatus DefineDouble(const Suites& suites, OfxParamSetHandle params, const char* name,
                       const SliderControl& control, const char* parent) {
  OfxPropertySetHandle properties = nullptr;
  OfxStatus status =
      Define(suites, params, kOfxParamTypeDouble, name, control.label, parent, properties);
  const auto set = [&](const char* property, double value) {
    if (status == kOfxStatOK) {
      status = suites.property->propSetDouble(properties, property, 0, value);
    }
  };
  set(kOfxParamPropDefault, control.default_value);
  set(kOfxParamPropMin, control.openfx.min);
  set(kOfxParamPropMax, control.openfx.max);
  set(kOfxParamPropDisplayMin, control.openfx.min);
  set(kOfxParamPropDisplayMax, control.openfx.max);
  return status;
}

// A menu of the choice's labels, its default by position, and its help as
// the hint a host shows.
OfxStatus DefineChoice(const Suites& suites, OfxParamSetHandle params,
                       const ChoiceControl& control) {
  OfxPropertySetHandle properties = nullptr;
  OfxStatus status = Define(suites, params, kOfxParamTypeChoice, control.openfx_name, control.label,
                            nullptr, properties);
  for (std::size_t i = 0; i < control.value_labels.size() && status == kOfxStatOK; ++i) {
    status = suites.property->propSetString(properties, kOfxParamPropChoiceOption,
                                            static_cast<int>(i), control.value_labels[i]);
  }
  if (status == kOfxStatOK) {
    status =
        suites.property->propSetInt(properties, kOfxParamPropDefault, 0, control.default_value);
  }
  if (status == kOfxStatOK) {
    status = suites.property->propSetString(properties, kOfxParamPropHint, 0, control.help);
  }
  return status;
}

// Defines the table's row under `name`, the kind's parameter.
OfxStatus DefineRow(const Suites& suites, OfxParamSetHandle params, const ControlRow& row,
                    const char* name, const char* parent) {
  switch (row.kind) {
    case ControlKind::kSwitch:
      return DefineBoolean(suites, params, name, *row.switch_control, parent);
    case ControlKind::kColourPicker:
      return DefineColour(suites, params, name, *row.colour, parent);
    case ControlKind::kSlider:
      return DefineDouble(suites, params, name, *row.slider, parent);
    case ControlKind::kChoice:
      return DefineChoice(suites, params, *row.choice);
  }
  return kOfxStatErrUnknown;
}

const char* OpenFxNameOf(const ControlRow& row) {
  switch (row.kind) {
    case ControlKind::kSwitch:
      return row.switch_control->openfx_name;
    case ControlKind::kColourPicker:
      return row.colour->openfx_name;
    case ControlKind::kSlider:
      return row.slider->openfx_name;
    case ControlKind::kChoice:
      return row.choice->openfx_name;
  }
  return nullptr;
}

// Entry k's group and, in it, the table's entry rows, each named with k.
OfxStatus DefineEntry(const Suites& suites, OfxParamSetHandle params, int k) {
  const ParamName group = NameOf(kEntryGroup.openfx_name, k);
  OfxPropertySetHandle properties = nullptr;
  OfxStatus status = Define(suites, params, kOfxParamTypeGroup, group.data(), kEntryGroup.labels[k],
                            nullptr, properties);
  for (const ControlRow& row : kEntryControls) {
    if (status != kOfxStatOK) break;
    status = DefineRow(suites, params, row, NameOf(OpenFxNameOf(row), k).data(), group.data());
  }
  return status;
}

// A parameter's value at `time`, read into `values...` as the parameter's
// type has it (an int for a Boolean, three doubles for an RGB, one for a
// Double).
template <typename... Values>
OfxStatus ValueAt(const Suites& suites, OfxParamSetHandle params, const char* name, OfxTime time,
                  Values*... values) {
  OfxParamHandle param = nullptr;
  const OfxStatus status = suites.param->paramGetHandle(params, name, &param, nullptr);
  if (status != kOfxStatOK) return status;
  return suites.param->paramGetValueAtTime(param, time, values...);
}

// An RGB parameter's channel, 0 to 1 in the image's space, as the entry's
// 8-bit colour: judged sRGB-encoded, encoded as the pixels are.
std::uint8_t ChannelByte(double channel, JudgeColours judge) {
  return static_cast<std::uint8_t>(judge == JudgeColours::kSrgbEncoded
                                       ? SrgbEncodedByte(channel)
                                       : UnitChannelToByteScale(channel));
}

}  // namespace

// The table's effect rows the module shows, the entries, then the other
// effect rows: the choices came later and hosts list them after the entries.
OfxStatus DefineParameters(const Suites& suites, OfxParamSetHandle params) {
  OfxStatus status = kOfxStatOK;
  const auto define_effect_rows = [&](bool in_module) {
    for (const ControlRow& row : kEffectControls) {
      if (status == kOfxStatOK && row.in_module == in_module) {
        status = DefineRow(suites, params, row, OpenFxNameOf(row), nullptr);
      }
    }
  };
  define_effect_rows(true);
  for (int k = 0; k < kColourEntryCount && status == kOfxStatOK; ++k) {
    status = DefineEntry(suites, params, k);
  }
  define_effect_rows(false);
  return status;
}

OfxStatus ReadParameters(const Suites& suites, OfxParamSetHandle params, OfxTime time,
                         EffectSettings& settings) {
  ControlSettings controls;
  int enabled = 0;
  OfxStatus status = ValueAt(suites, params, kEnableEffect.openfx_name, time, &enabled);
  controls.enable_effect = enabled != 0;
  for (std::size_t c = 0; c < kChoiceControls.size() && status == kOfxStatOK; ++c) {
    int value = 0;
    status = ValueAt(suites, params, kChoiceControls[c]->openfx_name, time, &value);
    // A host that keeps an index past the menu is held to its last entry.
    controls.choices[c] = value <= 0 ? 0 : 1;
  }
  const JudgeColours judge = ModesOf(controls).judge;
  for (int k = 0; k < kColourEntryCount && status == kOfxStatOK; ++k) {
    const EntryNames names = NamesOf(k);
    EntrySettings& entry = controls.entries[static_cast<std::size_t>(k)];
    int enable = 0;
    double red = 0.0, green = 0.0, blue = 0.0;
    status = ValueAt(suites, params, names.enable.data(), time, &enable);
    if (status == kOfxStatOK) {
      status = ValueAt(suites, params, names.colour.data(), time, &red, &green, &blue);
    }
    if (status == kOfxStatOK) {
      status = ValueAt(suites, params, names.range.data(), time, &entry.range);
    }
    if (status == kOfxStatOK) {
      status = ValueAt(suites, params, names.softness.data(), time, &entry.softness);
    }
    entry.enabled = enable != 0;
    entry.colour = {ChannelByte(red, judge), ChannelByte(green, judge), ChannelByte(blue, judge)};
  }
  settings = ToEffectSettings(controls);
  return status;
}

}  // namespace huesieve::ofx
