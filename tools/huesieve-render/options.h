// The command line: what the user asked for, checked for form before the
// module is loaded, and the entry values checked against the limits the module
// registers.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace huesieve::cli {

inline constexpr char kToolName[] = "huesieve-render";

// A mistake in the arguments; the tool exits with status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Command { kRender, kAbout, kListParams, kHelp, kVersion };

// One `--entry K:RRGGBB:RANGE:SOFTNESS[:off]`.
struct EntrySetting {
  int number = 0;  // K, counted from 1 as the host names the groups
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  double range = 0.0;
  double softness = 0.0;
  bool enabled = true;
  std::string argument;  // as given, for messages
};

struct Options {
  Command command = Command::kRender;
  bool enable_effect = false;
  std::vector<EntrySetting> entries;
  std::string module_path;  // empty: the module built beside the tool
  std::string input;
  std::string output;
};

// Throws UsageError.
EntrySetting ParseEntry(std::string_view argument);

// `args` excludes the program name. Throws UsageError.
Options ParseOptions(std::span<const char* const> args);

// The accepted limits of a slider, as the module registered them.
struct Limits {
  double min = 0.0;
  double max = 0.0;
};

// Throws UsageError when the module has fewer than K colour entries.
void ValidateEntryNumber(const EntrySetting& entry, int entry_count);

// Throws UsageError when RANGE or SOFTNESS lies outside its accepted limits.
void ValidateEntryValues(const EntrySetting& entry, const Limits& range, const Limits& softness);

std::string UsageText();

}  // namespace huesieve::cli
