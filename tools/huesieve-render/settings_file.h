// The controls' values a render uses: those of the settings file when one is
// given (--settings), with --enable and each --entry K over them.
#pragma once

#include "effect/controls.h"
#include "tools/huesieve-render/options.h"

namespace huesieve::cli {

// Throws ToolError when the file cannot be read, UsageError naming it when
// it is malformed or holds a value outside the controls' limits.
ControlSettings SettingsOf(const Options& options);

}  // namespace huesieve::cli
