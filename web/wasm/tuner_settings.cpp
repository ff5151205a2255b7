#include "web/wasm/tuner_settings.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "core/claim_map.h"
#include "core/pixel_formats.h"
#include "core/srgb_decision.h"
#include "effect/controls.h"
#include "effect/effect_settings.h"
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

// A choice as the page shows it: a menu of the values' labels, each standing
// for the value's name in the settings file.
Json Choice(const huesieve::ChoiceControl& control) {
  Json values = Json::array();
  for (std::size_t v = 0; v < control.value_names.size(); ++v) {
    values.push_back({{"name", control.value_names[v]}, {"label", control.value_labels[v]}});
  }
  return {{"name", control.settings_name},
          {"label", control.label},
          {"help", control.help},
          {"option", control.option_name},
          {"values", values},
          {"default", control.value_names[static_cast<std::size_t>(control.default_value)]}};
}

}  // namespace

extern "C" {

char* huesieve_describe() {
  using namespace huesieve;
  Json groups = Json::array();
  for (const char* label : kEntryGroup.labels) groups.push_back(label);
  Json choices = Json::array();
  for (const ControlRow& row : kEffectControls) {
    if (row.kind == ControlKind::kChoice) choices.push_back(Choice(*row.choice));
  }
  const Json description = {
      {"entryCount", kColourEntryCount},
      {"featheredClaim", kFeatheredClaim},
      {"enableEffect", Switch(kEnableEffect)},
      {"groups", groups},
      {"enabled", Switch(kEnableColour)},
      {"color", {{"label", kColour.label}, {"default", ColourText(kColour.default_value)}}},
      {"range", Slider(kRange)},
      {"softness", Slider(kSoftness)},
      {"choices", choices},
      {"judge", kJudgeColours.settings_name},
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

huesieve::EffectSettings* huesieve_effect_settings_new() {
  return new (std::nothrow)
      huesieve::EffectSettings(huesieve::ToEffectSettings(huesieve::ControlSettings{}));
}

char* huesieve_effect_settings_set(huesieve::EffectSettings* settings, const char* text,
                                   std::int32_t length) {
  const huesieve::SettingsReading reading = huesieve::ReadSettingsText(
      std::string_view(text, static_cast<std::size_t>(length)), "the key");
  if (!reading.error.empty()) return Handed(reading.error);
  *settings = huesieve::ToEffectSettings(reading.settings);
  return nullptr;
}

void huesieve_rule_bytes(std::int32_t depth, std::int32_t judge, std::uint8_t* bytes) {
  using namespace huesieve;
  ControlSettings controls;
  controls.choices[kJudgeColoursChoice] = judge;
  const bool srgb = ModesOf(controls).judge == JudgeColours::kSrgbEncoded;
  const SrgbDecisionTables& tables = SrgbTables();
  const auto byte = [&]<typename Format>(std::int32_t sample) {
    const auto stored = static_cast<typename Format::Sample>(sample);
    return static_cast<std::uint8_t>(srgb ? SrgbByteScale<Format>(tables, stored)
                                          : Format::ToByteScale(stored));
  };
  const std::int32_t top = depth == 16 ? 0xFFFF : 0xFF;
  for (std::int32_t sample = 0; sample <= top; ++sample) {
    bytes[sample] = depth == 16 ? byte.operator()<Rgba16>(sample) : byte.operator()<Rgba8>(sample);
  }
}

}  // extern "C"
