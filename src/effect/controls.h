// The effect's controls as a user sees them in any host: a master switch, ten
// colour entries, each an on/off switch, a colour, a Range and a Softness,
// and two choices of how the rule works (not in the After Effects module,
// whose controls are fixed and whose images are display-referred).
// One row a control: its label, its names in each host and in the settings
// file, its default and, where hosts publish different limits, each host's.
// Every host layer, the command line and the settings file read this table.
#pragma once

#include <array>
#include <cstddef>

#include "core/colour_entry_table.h"
#include "core/rule_modes.h"

namespace huesieve {

inline constexpr int kColourEntryCount = 10;
static_assert(kColourEntryCount == kMaxColourEntries,
              "the core's entry table holds exactly the effect's entries");

// The values a host accepts for a slider, and shows on it.
struct ControlLimits {
  double min;
  double max;
};

struct SwitchControl {
  const char* label;
  const char* openfx_name;    // an entry's parameter is this name and k: "enable3"
  const char* settings_name;  // its member in the settings file
  bool default_value;
};

struct ColourControl {
  const char* label;
  const char* openfx_name;
  const char* settings_name;
  Rgb8 default_value;
};

struct SliderControl {
  const char* label;
  const char* openfx_name;
  const char* settings_name;
  const char* argument_name;  // in --entry's form and in messages
  double default_value;
  // The After Effects module's published limits, which the command line and
  // the settings file also take: the narrowest any host publishes.
  ControlLimits after_effects;
  ControlLimits openfx;
};

// A control of two named values; its value is the position of the chosen one.
// The names are the settings file's, the command line's and the tuner's; the
// labels a host's menu shows.
struct ChoiceControl {
  const char* label;
  const char* openfx_name;
  const char* settings_name;
  const char* option_name;  // on the command line
  const char* help;         // what it does, one sentence for --help and hosts' hints
  std::array<const char*, 2> value_names;
  std::array<const char*, 2> value_labels;
  int default_value;
};

// Entry k's group, labelled "Color k" with k counted from 1.
struct GroupControl {
  const char* openfx_name;
  const char* labels[kColourEntryCount];
};

// The labels, as character arrays for tables built at compile time.
inline constexpr char kEnableEffectName[] = "Enable Effect";
inline constexpr char kEnableColourName[] = "Enable color";
inline constexpr char kColourName[] = "Color";
inline constexpr char kRangeName[] = "Range";
inline constexpr char kSoftnessName[] = "Softness";

inline constexpr SwitchControl kEnableEffect{kEnableEffectName, "enable", "enable", false};

inline constexpr GroupControl kEntryGroup{"entry",
                                          {"Color 1", "Color 2", "Color 3", "Color 4", "Color 5",
                                           "Color 6", "Color 7", "Color 8", "Color 9", "Color 10"}};
inline constexpr SwitchControl kEnableColour{kEnableColourName, "enable", "enabled", false};
inline constexpr ColourControl kColour{kColourName, "color", "color", {255, 255, 255}};
// Range is the redmean distance an entry reaches. Its default, 0, lies below
// the After Effects module's minimum of 1 and claims nothing: stored projects
// rely on an untouched entry doing nothing.
inline constexpr SliderControl kRange{kRangeName, "range",      "range",     "RANGE",
                                      0.0,        {1.0, 128.0}, {0.0, 128.0}};
// Softness is the outer percentage of the Range in which kept pixels fade out.
inline constexpr SliderControl kSoftness{kSoftnessName, "softness",   "softness",  "SOFTNESS",
                                         0.0,           {0.0, 100.0}, {0.0, 100.0}};

// Colours judged as stored (the rule's own 8-bit scale) or as their sRGB
// encoding: a linear picture is then judged as its display view would be.
inline constexpr ChoiceControl kJudgeColours{
    "Judge colours",
    "judgeColours",
    "judge",
    "--judge",
    "judge each pixel's colour as stored, or as its sRGB encoding, for linear pictures such as "
    "OpenEXR plates: a key picked on their display view then claims what it claims there (the "
    "entries' colours are display colours either way)",
    {"stored", "srgb"},
    {"As stored", "sRGB-encoded"},
    0};
// A feather band's ramp replaces the alpha, or fades the alpha there is.
inline constexpr ChoiceControl kFeatheredAlpha{
    "Feathered alpha",
    "featheredAlpha",
    "featheredAlpha",
    "--feathered-alpha",
    "in a feather band the ramp replaces the alpha, or fades the alpha there is (times the ramp, "
    "and a premultiplied colour with it), which never adds opacity",
    {"replaces", "fades"},
    {"Replaces", "Fades"},
    0};

// The choices in the order ControlSettings::choices holds them.
inline constexpr int kChoiceControlCount = 2;
inline constexpr std::array<const ChoiceControl*, kChoiceControlCount> kChoiceControls{
    &kJudgeColours, &kFeatheredAlpha};
inline constexpr std::size_t kJudgeColoursChoice = 0;
inline constexpr std::size_t kFeatheredAlphaChoice = 1;

// A row of the table: a control of one kind. The After Effects module shows
// only the rows marked for it, in the slots its stored projects know.
enum class ControlKind { kSwitch, kColourPicker, kSlider, kChoice };

struct ControlRow {
  ControlKind kind;
  bool in_module;
  // The kind's description; the others stay null.
  const SwitchControl* switch_control = nullptr;
  const ColourControl* colour = nullptr;
  const SliderControl* slider = nullptr;
  const ChoiceControl* choice = nullptr;
};

// The effect's own controls, in the order hosts show them before the entries.
inline constexpr std::array<ControlRow, 3> kEffectControls{{
    {.kind = ControlKind::kSwitch, .in_module = true, .switch_control = &kEnableEffect},
    {.kind = ControlKind::kChoice, .in_module = false, .choice = &kJudgeColours},
    {.kind = ControlKind::kChoice, .in_module = false, .choice = &kFeatheredAlpha},
}};

// Each entry's controls, in the order its group shows them.
inline constexpr std::array<ControlRow, 4> kEntryControls{{
    {.kind = ControlKind::kSwitch, .in_module = true, .switch_control = &kEnableColour},
    {.kind = ControlKind::kColourPicker, .in_module = true, .colour = &kColour},
    {.kind = ControlKind::kSlider, .in_module = true, .slider = &kRange},
    {.kind = ControlKind::kSlider, .in_module = true, .slider = &kSoftness},
}};

template <std::size_t kCount>
constexpr int CountModuleRows(const std::array<ControlRow, kCount>& rows) {
  int count = 0;
  for (const ControlRow& row : rows) count += row.in_module ? 1 : 0;
  return count;
}

// What the controls hold, in the units hosts hold them: a Range or a
// Softness as the double a slider gives.
struct EntrySettings {
  bool enabled = kEnableColour.default_value;
  Rgb8 colour = kColour.default_value;
  double range = kRange.default_value;
  double softness = kSoftness.default_value;
  bool operator==(const EntrySettings&) const = default;
};

struct ControlSettings {
  bool enable_effect = kEnableEffect.default_value;
  std::array<EntrySettings, kColourEntryCount> entries{};
  // The position of each choice's value, as kChoiceControls lists them.
  std::array<int, kChoiceControlCount> choices{kJudgeColours.default_value,
                                               kFeatheredAlpha.default_value};
  bool operator==(const ControlSettings&) const = default;
};

// The rule's modes the choices make.
constexpr RuleModes ModesOf(const ControlSettings& controls) {
  return {controls.choices[kJudgeColoursChoice] == 1 ? JudgeColours::kSrgbEncoded
                                                     : JudgeColours::kAsStored,
          controls.choices[kFeatheredAlphaChoice] == 1 ? FeatheredAlpha::kFades
                                                       : FeatheredAlpha::kReplaces};
}

}  // namespace huesieve
