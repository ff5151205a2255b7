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
  return settings;
}

}  // namespace huesieve::cli
