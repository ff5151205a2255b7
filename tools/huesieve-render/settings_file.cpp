#include "tools/huesieve-render/settings_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "effect/settings_json.h"
#include "tools/huesieve-render/tool_errors.h"

namespace huesieve::cli {
namespace {

ControlSettings ReadSettingsFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw ToolError(path + ": " + std::strerror(errno));
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) throw ToolError(path + ": " + std::strerror(errno));
  SettingsReading reading = ReadSettingsText(text, path);
  if (!reading.error.empty()) throw UsageError(reading.error);
  return reading.settings;
}

}  // namespace

ControlSettings SettingsOf(const Options& options) {
  ControlSettings settings;
  if (!options.settings_file.empty()) settings = ReadSettingsFile(options.settings_file);
  settings.enable_effect = settings.enable_effect || options.enable_effect;
  for (const EntryArgument& entry : options.entries) {
    settings.entries[static_cast<std::size_t>(entry.number - 1)] = entry.settings;
  }
  for (std::size_t c = 0; c < settings.choices.size(); ++c) {
    if (options.choices[c]) settings.choices[c] = *options.choices[c];
  }
  // The module has no choices: a key that makes one would render otherwise.
  if (!options.module_path.empty() && settings.choices != ControlSettings{}.choices) {
    throw UsageError(options.settings_file +
                     ": its choices apply to the core, not --module: the module's controls are "
                     "fixed");
  }
  return settings;
}

}  // namespace huesieve::cli
