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

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(separator, start)) != std::string_view::npos;
       start = at + 1) {
    fields.push_back(text.substr(start, at - start));
  }
  fields.push_back(text.substr(start));
  return fields;
}

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

// The fault in `fields`, or empty when they form an entry, which is then in
// `entry`.
std::string ReadFields(const std::vector<std::string_view>& fields, EntryArgument& entry) {
  if (fields.size() != 4 && fields.size() != 5) {
    return "expected K:RRGGBB:RANGE:SOFTNESS or K:RRGGBB:RANGE:SOFTNESS:off";
  }
  const std::string_view number = fields[0];
  const auto [end, error] =
      std::from_chars(number.data(), number.data() + number.size(), entry.number);
  if (number.empty() || number.front() == '-' || error != std::errc{} ||
      end != number.data() + number.size() || entry.number < 1) {
    return "the entry number K must be a whole number from 1";
  }
  if (entry.number > kColourEntryCount) return EntryCountMessage();

  const std::optional<Rgb8> colour = ParseColourText(fields[1]);
  if (!colour) return kColourFormMessage;
  const std::optional<double> range = ParseDecimal(fields[2]);
  if (!range) return std::string(kRange.argument_name) + " must be a decimal number";
  const std::optional<double> softness = ParseDecimal(fields[3]);
  if (!softness) return std::string(kSoftness.argument_name) + " must be a decimal number";
  if (fields.size() == 5 && fields[4] != "off") return "the last field may only be 'off'";

  entry.settings = {fields.size() == 4, *colour, *range, *softness};
  // The default Range claims nothing: on the command line it is a mistake.
  std::string fault = CheckSliderValue(kRange, *range, false);
  if (fault.empty()) fault = CheckSliderValue(kSoftness, *softness, false);
  return fault;
}

}  // namespace

EntryArgument ParseEntryArgument(std::string_view text) {
  EntryArgument entry;
  const std::string fault = ReadFields(Split(text, ':'), entry);
  if (!fault.empty()) entry.error = "--entry " + std::string(text) + ": " + fault;
  return entry;
}

}  // namespace huesieve
