// One colour entry as the command line gives it:
//   K:RRGGBB:RANGE:SOFTNESS      the entry switched on
//   K:RRGGBB:RANGE:SOFTNESS:off  switched off: it clears what it claims
// K counts from 1, as the groups are labelled; RANGE and SOFTNESS are plain
// decimals within the limits the table gives.
#pragma once

#include <string>
#include <string_view>

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

}  // namespace huesieve
