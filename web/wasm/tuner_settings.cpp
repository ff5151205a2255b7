#include "web/wasm/tuner_settings.h"

#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "core/claim_map.h"
#include "core/pixel_formats.h"
#include "effect/controls.h"
#include "effect/setting_checks.h"
#include "effect/settings_json.h"

namespace {

using Json = nlohmann::json;

// A copy in memory the page frees with _free, or null when there is none.
char* Handed(const std::string& text) {
  auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy != nullptr) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

// A file name from the page may hold what is not UTF-8 (a lone surrogate):
// replaced, not refused.
std::string JsonText(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json Switch(const huesieve::SwitchControl& control) {
  return {{"label", control.label}, {"default", control.default_value}};
}

// The tuner takes what the command line and the settings file take.
Json Slider(const huesieve::SliderControl& control) {
  return {{"label", control.label},
          {"default", control.default_value},
          {"min", control.after_effects.min},
          {"max", control.after_effects.max}};
}

}  // namespace

extern "C" {

char* huesieve_describe() {
  using namespace huesieve;
  Json groups = Json::array();
  for (const char* label : kEntryGroup.labels) groups.push_back(label);
  const Json description = {
      {"entryCount", kColourEntryCount},
      {"featheredClaim", kFeatheredClaim},
      {"enableEffect", Switch(kEnableEffect)},
      {"groups", groups},
      {"enabled", Switch(kEnableColour)},
      {"color", {{"label", kColour.label}, {"default", ColourText(kColour.default_value)}}},
      {"range", Slider(kRange)},
      {"softness", Slider(kSoftness)},
      {"defaults", Json::parse(SettingsText(ControlSettings{}), nullptr, false)},
  };
  return Handed(JsonText(description));
}

char* huesieve_settings_read(const char* text, std::int32_t length, const char* name) {
  const huesieve::SettingsReading reading = huesieve::ReadSettingsText(
      std::string_view(text, static_cast<std::size_t>(length)), name);
  if (!reading.error.empty()) return Handed(JsonText({{"error", reading.error}}));
  return Handed(JsonText({{"text", huesieve::SettingsText(reading.settings)}}));
}

void huesieve_rule_bytes16(std::uint8_t* bytes) {
  for (std::int32_t sample = 0; sample <= 0xFFFF; ++sample) {
    bytes[sample] = static_cast<std::uint8_t>(
        huesieve::Rgba16::ToByteScale(static_cast<huesieve::Rgba16::Sample>(sample)));
  }
}

}  // extern "C"
