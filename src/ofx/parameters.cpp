#include "ofx/parameters.h"

#include <array>
#include <cstddef>
#include <cstdio>

#include "core/pixel_formats.h"
#include "effect/controls.h"

namespace huesieve::ofx {
namespace {

inline constexpr char kEnableEffect[] = "enable";

// The OpenFX names of entry k's controls (counted from 1, as the groups are
// labelled): "entry1", "enable1", "color1", "range1", "softness1". Each
// has room for any int, so no name can be cut short.
inline constexpr std::size_t kNameSize = 24;
struct EntryNames {
  std::array<char, kNameSize> group{};
  std::array<char, kNameSize> enable{};
  std::array<char, kNameSize> colour{};
  std::array<char, kNameSize> range{};
  std::array<char, kNameSize> softness{};
};

EntryNames NamesOf(int k) {
  EntryNames names;
  std::snprintf(names.group.data(), names.group.size(), "entry%d", k + 1);
  std::snprintf(names.enable.data(), names.enable.size(), "enable%d", k + 1);
  std::snprintf(names.colour.data(), names.colour.size(), "color%d", k + 1);
  std::snprintf(names.range.data(), names.range.size(), "range%d", k + 1);
  std::snprintf(names.softness.data(), names.softness.size(), "softness%d", k + 1);
  return names;
}

// Defines one parameter and gives it its label and, within a group, its
// parent; the caller sets the rest of its properties.
OfxStatus Define(const Suites& suites, OfxParamSetHandle params, const char* type,
                 const char* name, const char* label, const char* parent,
                 OfxPropertySetHandle& properties) {
  OfxStatus status = suites.param->paramDefine(params, type, name, &properties);
  if (status != kOfxStatOK) return status;
  status = suites.property->propSetString(properties, kOfxPropLabel, 0, label);
  if (status == kOfxStatOK && parent != nullptr) {
    status = suites.property->propSetString(properties, kOfxParamPropParent, 0, parent);
  }
  return status;
}

OfxStatus DefineBoolean(const Suites& suites, OfxParamSetHandle params, const char* name,
                        const char* label, const char* parent) {
  OfxPropertySetHandle properties = nullptr;
  OfxStatus status = Define(suites, params, kOfxParamTypeBoolean, name, label, parent, properties);
  if (status != kOfxStatOK) return status;
  return suites.property->propSetInt(properties, kOfxParamPropDefault, 0, 0);
}

OfxStatus DefineDouble(const Suites& suites, OfxParamSetHandle params, const char* name,
                       const char* label, const char* parent, double maximum) {
  OfxPropertySetHandle properties = nullptr;
  OfxStatus status = Define(suites, params, kOfxParamTypeDouble, name, label, parent, properties);
  const auto set = [&](const char* property, double value) {
    if (status == kOfxStatOK) {
      status = suites.property->propSetDouble(properties, property, 0, value);
    }
  };
  set(kOfxParamPropDefault, 0.0);
  set(kOfxParamPropMin, 0.0);
  set(kOfxParamPropMax, maximum);
  set(kOfxParamPropDisplayMin, 0.0);
  set(kOfxParamPropDisplayMax, maximum);
  return status;
}

OfxStatus DefineEntry(const Suites& suites, OfxParamSetHandle params, int k) {
  const EntryNames names = NamesOf(k);
  OfxPropertySetHandle properties = nullptr;
  OfxStatus status = Define(suites, params, kOfxParamTypeGroup, names.group.data(),
                            kGroupNames[k], nullptr, properties);
  if (status == kOfxStatOK) {
    status = DefineBoolean(suites, params, names.enable.data(), kEnableColourName,
                           names.group.data());
  }
  if (status == kOfxStatOK) {
    status = Define(suites, params, kOfxParamTypeRGB, names.colour.data(), kColourName,
                    names.group.data(), properties);
  }
  if (status == kOfxStatOK) {
    constexpr double kWhite[3] = {1.0, 1.0, 1.0};
    status = suites.property->propSetDoubleN(properties, kOfxParamPropDefault, 3, kWhite);
  }
  if (status == kOfxStatOK) {
    status = DefineDouble(suites, params, names.range.data(), kRangeName, names.group.data(),
                          kRangeMax);
  }
  if (status == kOfxStatOK) {
    status = DefineDouble(suites, params, names.softness.data(), kSoftnessName,
                          names.group.data(), kSoftnessMax);
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

}  // namespace

std::uint8_t ChannelToByte(double channel) {
  return static_cast<std::uint8_t>(ClampToByte(channel * 255.0 + 0.5));
}

OfxStatus DefineParameters(const Suites& suites, OfxParamSetHandle params) {
  OfxStatus status = DefineBoolean(suites, params, kEnableEffect, kEnableEffectName, nullptr);
  for (int k = 0; k < kColourEntryCount && status == kOfxStatOK; ++k) {
    status = DefineEntry(suites, params, k);
  }
  return status;
}

OfxStatus ReadParameters(const Suites& suites, OfxParamSetHandle params, OfxTime time,
                         EffectSettings& settings) {
  int enabled = 0;
  OfxStatus status = ValueAt(suites, params, kEnableEffect, time, &enabled);
  settings.enabled = enabled != 0;
  ColourEntryTable& table = settings.entries;
  table.count = kColourEntryCount;
  for (int k = 0; k < kColourEntryCount && status == kOfxStatOK; ++k) {
    const EntryNames names = NamesOf(k);
    const auto entry = static_cast<std::size_t>(k);
    int enable = 0;
    double red = 0.0, green = 0.0, blue = 0.0, range = 0.0, softness = 0.0;
    status = ValueAt(suites, params, names.enable.data(), time, &enable);
    if (status == kOfxStatOK) {
      status = ValueAt(suites, params, names.colour.data(), time, &red, &green, &blue);
    }
    if (status == kOfxStatOK) status = ValueAt(suites, params, names.range.data(), time, &range);
    if (status == kOfxStatOK) {
      status = ValueAt(suites, params, names.softness.data(), time, &softness);
    }
    table.enabled[entry] = enable != 0 ? 1 : 0;
    table.colours[entry] = {ChannelToByte(red), ChannelToByte(green), ChannelToByte(blue)};
    table.ranges[entry] = NarrowToFloat(range);
    table.softness[entry] = NarrowToFloat(softness);
  }
  return status;
}

}  // namespace huesieve::ofx
