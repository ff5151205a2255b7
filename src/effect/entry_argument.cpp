#include "effect/entry_argument.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <optional>
#include <vector>

#include "effect/setting_checks.h"

namespace huesieve {
namespace {

// Plain decimal notation only: digits with at most one point, and a minus
// sign so that a negative value is reported as out of range rather than as
// malformed. No exponent, no "inf" or "nan". Read by strtod, which rounds
// such text correctly and, unlike a floating-point from_chars, every
// standard library the effect is built with has (the tools never change the
// C locale, so the point is the decimal point).
std::optional<double> ParseDecimal(std::string_view text) {
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
  bool seen_digit = false;
  int points = 0;
  for (const char c : digits) {
    if (c >= '0' && c <= '9') {
      seen_digit = true;
    } else if (c == '.') {
      ++points;
    } else {
      return std::nullopt;
    }
  }
  if (!seen_digit || points > 1) return std::nullopt;
  const std::string copy(text);
  const double value = std::strtod(copy.c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

// The entry's number, when `text` is a whole number from 1.
std::optional<int> ParseEntryNumber(std::string_view text) {
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || text.front() == '-' || error != std::errc{} ||
      end != text.data() + text.size() || number < 1) {
    return std::nullopt;
  }
  return number;
}

// The fault in `fields`, or empty when they form an entry, which is then in
// `entry`.
std::string ReadFields(const std::vector<std::string_view>& fields, EntryArgument& entry) {
  if (fields.size() != 4 && fields.size() != 5) return kEntryForm;
  std::string fault = CheckEntryNumberField(fields[0]);
  if (fault.empty()) fault = CheckColourField(fields[1]);
  if (fault.empty()) fault = CheckSliderField(kRange, fields[2]);
  if (fault.empty()) fault = CheckSliderField(kSoftness, fields[3]);
  if (fault.empty() && fields.size() == 5) fault = CheckSwitchField(fields[4]);
  if (!fault.empty()) return fault;
  entry.number = *ParseEntryNumber(fields[0]);
  entry.settings = {fields.size() == 4, *ParseColourText(fields[1]), *ParseDecimal(fields[2]),
                    *ParseDecimal(fields[3])};
  return {};
}

}  // namespace

std::vector<std::string_view> EntryFields(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(':', start)) != std::string_view::npos; start = at + 1) {
    fields.push_back(text.substr(start, at - start));
  }
  fields.push_back(text.substr(start));
  return fields;
}

std::string CheckEntryNumberField(std::string_view text) {
  const std::optional<int> number = ParseEntryNumber(text);
  if (!number) return "the entry number K must be a whole number from 1";
  return *number > kColourEntryCount ? EntryCountMessage() : std::string();
}

std::string CheckColourField(std::string_view text) {
  return ParseColourText(text) ? std::string() : kColourFormMessage;
}

std::string CheckSliderField(const SliderControl& control, std::string_view text) {
  const std::optional<double> value = ParseDecimal(text);
  if (!value) return std::string(control.argument_name) + " must be a decimal number";
  // The default Range claims nothing: on the command line it is a mistake.
  return CheckSliderValue(control, *value, false);
}

std::string CheckSwitchField(std::string_view text) {
  return text == kEntryOffName ? std::string() : "the last field may only be 'off'";
}

EntryArgument ParseEntryArgument(std::string_view text) {
  EntryArgument entry;
  const std::string fault = ReadFields(EntryFields(text), entry);
  if (!fault.empty()) entry.error = "--entry " + std::string(text) + ": " + fault;
  return entry;
}

}  // namespace huesieve
