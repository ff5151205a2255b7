#include "effect/setting_checks.h"

#include <cstdio>

namespace huesieve {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string NumberText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::optional<Rgb8> ParseColourText(std::string_view text) {
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  if (text.size() != 6) return std::nullopt;
  std::uint8_t channels[3] = {};
  for (std::size_t i = 0; i < 6; i += 2) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    channels[i / 2] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return Rgb8{channels[0], channels[1], channels[2]};
}

std::string ColourText(Rgb8 colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", colour.red, colour.green, colour.blue);
  return text;
}

std::string CheckSliderValue(const SliderControl& control, double value, bool default_accepted) {
  const ControlLimits& limits = control.after_effects;
  if (value >= limits.min && value <= limits.max) return {};
  if (default_accepted && value == control.default_value) return {};
  return std::string(control.argument_name) + " " + NumberText(value) + " is outside " +
         NumberText(limits.min) + " to " + NumberText(limits.max);
}

std::string ChoiceNamesText(const ChoiceControl& control) {
  return std::string(control.value_names[0]) + " or " + control.value_names[1];
}

int ChoiceValueOf(const ChoiceControl& control, std::string_view text) {
  for (std::size_t i = 0; i < control.value_names.size(); ++i) {
    if (text == control.value_names[i]) return static_cast<int>(i);
  }
  return -1;
}

std::string EntryCountMessage() {
  return "the effect has colour entries 1 to " + std::to_string(kColourEntryCount);
}

}  // namespace huesieve
