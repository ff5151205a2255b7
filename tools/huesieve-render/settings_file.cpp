#include "tools/huesieve-render/settings_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>

namespace huesieve::cli {
namespace {

using Json = nlohmann::json;

[[noreturn]] void Fail(std::string_view where, std::string_view why) {
  throw UsageError(std::string(where) + ": " + std::string(why));
}

// The object's members must be exactly `names`.
void CheckMembers(const Json& object, const std::set<std::string>& names, std::string_view where,
                  std::string_view form) {
  if (!object.is_object()) Fail(where, "expected an object " + std::string(form));
  for (const auto& [key, value] : object.items()) {
    if (names.count(key) == 0) Fail(where, "unknown member \"" + key + "\"");
  }
  for (const std::string& name : names) {
    if (!object.contains(name)) Fail(where, "the member \"" + name + "\" is missing");
  }
}

EntrySetting ReadEntry(const Json& object, int number, const std::string& name) {
  EntrySetting entry;
  entry.number = number;
  entry.source = name + ": entry " + std::to_string(number);
  entry.zero_range_allowed = true;
  CheckMembers(object, {"enabled", "color", "range", "softness"}, entry.source,
               R"({"enabled", "color", "range", "softness"})");
  if (!object["enabled"].is_boolean()) Fail(entry.source, "\"enabled\" must be true or false");
  entry.enabled = object["enabled"].get<bool>();
  if (!object["color"].is_string()) {
    Fail(entry.source, "the colour must be six hexadecimal digits, RRGGBB");
  }
  ParseEntryColour(object["color"].get<std::string>(), entry);
  if (!object["range"].is_number()) Fail(entry.source, "RANGE must be a decimal number");
  if (!object["softness"].is_number()) Fail(entry.source, "SOFTNESS must be a decimal number");
  entry.range = object["range"].get<double>();
  entry.softness = object["softness"].get<double>();
  return entry;
}

}  // namespace

SettingsFile ParseSettingsFile(std::string_view text, const std::string& name) {
  Json root;
  try {
    root = Json::parse(text);
  } catch (const Json::parse_error& error) {
    // The library's text after its "[json.exception.parse_error.N] " tag.
    const std::string what = error.what();
    const std::size_t tag_end = what.find("] ");
    Fail(name,
         "not valid JSON: " + (tag_end == std::string::npos ? what : what.substr(tag_end + 2)));
  }
  CheckMembers(root, {"enable", "entries"}, name, R"({"enable", "entries"})");
  if (!root["enable"].is_boolean()) Fail(name, "\"enable\" must be true or false");
  if (!root["entries"].is_array()) Fail(name, "\"entries\" must be an array of colour entries");

  SettingsFile settings;
  settings.enable_effect = root["enable"].get<bool>();
  int number = 0;
  for (const Json& object : root["entries"]) {
    settings.entries.push_back(ReadEntry(object, ++number, name));
  }
  return settings;
}

SettingsFile ReadSettingsFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw ToolError(path + ": " + std::strerror(errno));
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) throw ToolError(path + ": " + std::strerror(errno));
  return ParseSettingsFile(text, path);
}

void CombineWithSettingsFile(const SettingsFile& file, Options& options) {
  options.enable_effect = options.enable_effect || file.enable_effect;
  std::set<int> given;
  for (const EntrySetting& entry : options.entries) given.insert(entry.number);
  for (const EntrySetting& entry : file.entries) {
    if (given.count(entry.number) == 0) options.entries.push_back(entry);
  }
}

}  // namespace huesieve::cli
