#include "effect/settings_json.h"

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "effect/setting_checks.h"

namespace huesieve {
namespace {

using Json = nlohmann::json;

// Takes every JSON value and keeps the first fault, in the library's words
// after its "[json.exception...] " tag. The library hands over a fault here
// rather than throwing it, which is how a number too large for a double (as
// 1e400) is caught without exceptions.
class FaultFinder : public nlohmann::json_sax<Json> {
 public:
  explicit FaultFinder(std::string_view text) : text_(text) {}

  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override { return true; }
  bool key(string_t&) override { return true; }
  bool end_object() override { return true; }
  bool start_array(std::size_t) override { return true; }
  bool end_array() override { return true; }

  bool parse_error(std::size_t position, const std::string& last_token,
                   const nlohmann::detail::exception& fault) override {
    if (fault.id == kNumberOverflow) {
      fault_ = "the number " + last_token + " at " + Place(position - last_token.size()) +
               " is too large";
    } else {
      const std::string what = fault.what();
      const std::size_t tag_end = what.find("] ");
      fault_ = "not valid JSON: " + (tag_end == std::string::npos ? what : what.substr(tag_end + 2));
    }
    return false;
  }

  const std::string& fault() const { return fault_; }

 private:
  static constexpr int kNumberOverflow = 406;

  // "line 3, column 21" of the byte at `offset`, both counted from 1.
  std::string Place(std::size_t offset) const {
    std::size_t line = 1;
    std::size_t line_start = 0;
    for (std::size_t i = 0; i < offset && i < text_.size(); ++i) {
      if (text_[i] == '\n') {
        ++line;
        line_start = i + 1;
      }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(offset - line_start + 1);
  }

  std::string_view text_;
  std::string fault_;
};

// {"a", "b"}: an object's members, for messages.
std::string MembersText(std::initializer_list<const char*> names) {
  std::string text = "{";
  for (const char* name : names) {
    text += text.size() > 1 ? ", \"" : "\"";
    text += name;
    text += '"';
  }
  return text + "}";
}

// The object's members are exactly `names`: empty, or the fault.
std::string CheckMembers(const Json& object, std::initializer_list<const char*> names) {
  if (!object.is_object()) return "expected an object " + MembersText(names);
  for (const auto& member : object.items()) {
    bool known = false;
    for (const char* name : names) known = known || member.key() == name;
    if (!known) return "unknown member \"" + member.key() + "\"";
  }
  for (const char* name : names) {
    if (object.find(name) == object.end()) {
      return "the member \"" + std::string(name) + "\" is missing";
    }
  }
  return {};
}

const Json& Member(const Json& object, const char* name) { return *object.find(name); }

// Entry `object` into `entry`: empty, or the fault.
std::string ReadEntry(const Json& object, EntrySettings& entry) {
  std::string fault =
      CheckMembers(object, {kEnableColour.settings_name, kColour.settings_name,
                            kRange.settings_name, kSoftness.settings_name});
  if (!fault.empty()) return fault;
  const Json& enabled = Member(object, kEnableColour.settings_name);
  const Json& colour = Member(object, kColour.settings_name);
  const Json& range = Member(object, kRange.settings_name);
  const Json& softness = Member(object, kSoftness.settings_name);
  if (!enabled.is_boolean()) {
    return std::string("\"") + kEnableColour.settings_name + "\" must be true or false";
  }
  const std::optional<Rgb8> rgb =
      colour.is_string() ? ParseColourText(colour.get<std::string>()) : std::nullopt;
  if (!rgb) return kColourFormMessage;
  if (!range.is_number()) return std::string(kRange.argument_name) + " must be a decimal number";
  if (!softness.is_number()) {
    return std::string(kSoftness.argument_name) + " must be a decimal number";
  }
  entry = {enabled.get<bool>(), *rgb, range.get<double>(), softness.get<double>()};
  fault = CheckSliderValue(kRange, entry.range, true);
  if (fault.empty()) fault = CheckSliderValue(kSoftness, entry.softness, true);
  return fault;
}

// A choice's value, one of its names, into `value`: empty, or the fault.
std::string ReadChoice(const Json& member, const ChoiceControl& control, int& value) {
  const int position = member.is_string() ? ChoiceValueOf(control, member.get<std::string>()) : -1;
  if (position >= 0) {
    value = position;
    return {};
  }
  return std::string("\"") + control.settings_name + "\" must be " + ChoiceNamesText(control);
}

// The settings in `root`: empty, or the fault with where it lies. The
// choices may be left out (files saved before they existed): they keep their
// defaults.
std::string ReadRoot(const Json& root, ControlSettings& settings) {
  if (!root.is_object()) {
    return "expected an object " + MembersText({kEnableEffect.settings_name, "entries"});
  }
  for (const auto& member : root.items()) {
    bool known = member.key() == kEnableEffect.settings_name || member.key() == "entries";
    for (const ChoiceControl* choice : kChoiceControls) {
      known = known || member.key() == choice->settings_name;
    }
    if (!known) return "unknown member \"" + member.key() + "\"";
  }
  for (const char* name : {kEnableEffect.settings_name, "entries"}) {
    if (root.find(name) == root.end()) {
      return "the member \"" + std::string(name) + "\" is missing";
    }
  }
  std::string fault;
  const Json& enable = Member(root, kEnableEffect.settings_name);
  const Json& entries = Member(root, "entries");
  if (!enable.is_boolean()) {
    return std::string("\"") + kEnableEffect.settings_name + "\" must be true or false";
  }
  if (!entries.is_array()) return "\"entries\" must be an array of colour entries";
  settings.enable_effect = enable.get<bool>();
  for (std::size_t c = 0; c < kChoiceControls.size(); ++c) {
    const auto found = root.find(kChoiceControls[c]->settings_name);
    if (found == root.end()) continue;
    fault = ReadChoice(*found, *kChoiceControls[c], settings.choices[c]);
    if (!fault.empty()) return fault;
  }
  std::size_t k = 0;
  for (const Json& object : entries) {
    const std::string where = "entry " + std::to_string(k + 1) + ": ";
    if (k == settings.entries.size()) return where + EntryCountMessage();
    fault = ReadEntry(object, settings.entries[k++]);
    if (!fault.empty()) return where + fault;
  }
  return {};
}

// A double as JavaScript's String() writes it, so that the file is the one the
// tuner saves: the shortest digits that read back as the same double, the
// point placed in them from 1e-6 to below 1e21, and an exponent outside.
std::string JavaScriptNumberText(double value) {
  // The library writes the same shortest digits, as "110.0" or "1e-07".
  const std::string written = Json(value).dump();
  std::string sign;
  std::string_view text = written;
  if (text.front() == '-') {
    sign = "-";
    text.remove_prefix(1);
  }
  const std::size_t e = text.find('e');
  const int exponent = e == std::string_view::npos
                           ? 0
                           : std::atoi(std::string(text.substr(e + 1)).c_str());
  const std::string_view mantissa = text.substr(0, e);
  const std::size_t point = mantissa.find('.');
  std::string digits(mantissa.substr(0, point));
  if (point != std::string_view::npos) digits += mantissa.substr(point + 1);
  // The value is 0.digits × 10^position.
  int position = static_cast<int>(point == std::string_view::npos ? mantissa.size() : point) +
                 exponent;
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return "0";
  position -= static_cast<int>(first);
  digits.erase(0, first);
  digits.erase(digits.find_last_not_of('0') + 1);
  const int count = static_cast<int>(digits.size());
  if (count <= position && position <= 21) {
    return sign + digits + std::string(static_cast<std::size_t>(position - count), '0');
  }
  if (0 < position && position <= 21) {
    return sign + digits.insert(static_cast<std::size_t>(position), ".");
  }
  if (-6 < position && position <= 0) {
    return sign + "0." + std::string(static_cast<std::size_t>(-position), '0') + digits;
  }
  const int shown = position - 1;
  std::string out = sign + digits.substr(0, 1);
  if (count > 1) out += "." + digits.substr(1);
  return out + "e" + (shown < 0 ? "-" : "+") + std::to_string(shown < 0 ? -shown : shown);
}

}  // namespace

SettingsReading ReadSettingsText(std::string_view text, std::string_view name) {
  SettingsReading reading;
  FaultFinder finder(text);
  std::string fault;
  if (!Json::sax_parse(text, &finder)) {
    fault = finder.fault();
  } else {
    fault = ReadRoot(Json::parse(text, nullptr, false), reading.settings);
  }
  if (!fault.empty()) {
    reading.settings = {};
    reading.error = std::string(name) + ": " + fault;
  }
  return reading;
}

std::string SettingsText(const ControlSettings& settings) {
  // "name": with the separator after the colon the file's form has there.
  const auto name = [](const char* member, const char* after) {
    return std::string("\"") + member + "\":" + after;
  };
  const auto truth = [](bool value) { return std::string(value ? "true" : "false"); };
  std::string text = std::string("{") + name(kEnableEffect.settings_name, " ") + truth(settings.enable_effect) +
                     ",\n \"entries\": [";
  const char* separator = "\n  ";
  for (const EntrySettings& entry : settings.entries) {
    text += separator;
    text += std::string("{") + name(kEnableColour.settings_name, "") + truth(entry.enabled) + "," +
            name(kColour.settings_name, "") + "\"" + ColourText(entry.colour) + "\"," +
            name(kRange.settings_name, "") + JavaScriptNumberText(entry.range) + "," +
            name(kSoftness.settings_name, "") + JavaScriptNumberText(entry.softness) + "}";
    separator = ",\n  ";
  }
  text += "]";
  for (std::size_t c = 0; c < kChoiceControls.size(); ++c) {
    const ChoiceControl& control = *kChoiceControls[c];
    const int value = settings.choices[c];
    if (value == control.default_value) continue;
    text += std::string(",\n \"") + control.settings_name + "\": \"" +
            control.value_names[static_cast<std::size_t>(value)] + "\"";
  }
  return text + "}\n";
}

}  // namespace huesieve
