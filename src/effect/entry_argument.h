// One colour entry as the command line gives it:
//   K:RRGGBB:RANGE:SOFTNESS      the entry switched on
//   K:RRGGBB:RANGE:SOFTNESS:off  switched off: it clears what it claims
// K counts from 1, as the groups are labelled; RANGE and SOFTNESS are plain
// decimals within the limits the table gives.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "effect/controls.h"

namespace huesieve {

struct EntryArgument {
  int number = 0;
  EntrySettings settings;
  // Empty, or why the text was refused: "--entry TEXT: RANGE must be a
  // decimal number".
  std::string error;
};

EntryArgument ParseEntryArgument(std::string_view text);

// The form's fields, split at each ':'.
std::vector<std::string_view> EntryFields(std::string_view text);
inline constexpr char kEntryForm[] =
    "expected K:RRGGBB:RANGE:SOFTNESS or K:RRGGBB:RANGE:SOFTNESS:off";

// The checks of the fields, each by its control's row, in the words --entry's
// messages use: empty, or why the field is refused. ParseEntryArgument makes
// them; so do the command line's validators, field by field.
// K: a whole number from 1 to the entry count.
std::string CheckEntryNumberField(std::string_view text);
// RRGGBB, as the colour row takes it.
std::string CheckColourField(std::string_view text);
// A plain decimal within the slider's limits; its default, which claims
// nothing, refused.
std::string CheckSliderField(const SliderControl& control, std::string_view text);
// The last field, when given: the entry switched off.
inline constexpr char kEntryOffName[] = "off";
std::string CheckSwitchField(std::string_view text);

}  // namespace huesieve
