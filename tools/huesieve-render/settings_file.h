// The settings file the tuner saves and loads: "Enable Effect" and the colour
// entries as JSON, read with the same checks and messages as --entry.
//
//   {"enable": true,
//    "entries": [{"enabled": true, "color": "#DB2924", "range": 110, "softness": 60}, ...]}
//
// The entries are numbered from 1 in the order given; every member is
// required and no other is allowed. A Range of 0, the module's initial value,
// is accepted and claims nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/huesieve-render/options.h"

namespace huesieve::cli {

struct SettingsFile {
  bool enable_effect = false;
  std::vector<EntrySetting> entries;
};

// `name` names the file in messages. Throws UsageError for malformed JSON or
// a member of the wrong form; the values' limits are checked against the
// module later, as for --entry.
SettingsFile ParseSettingsFile(std::string_view text, const std::string& name);

// Throws ToolError when the file cannot be read, UsageError as above.
SettingsFile ReadSettingsFile(const std::string& path);

// The command line over the file: --enable turns the switch on whatever the
// file says, and each --entry K replaces the file's entry K.
void CombineWithSettingsFile(const SettingsFile& file, Options& options);

}  // namespace huesieve::cli
