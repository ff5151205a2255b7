// Every host suite the suite handler knows, by name and version. The order is
// the order in which a handler hands suites back.
#pragma once

#include <array>
#include <cstdint>

namespace huesieve {

struct SuiteRow {
  const char* name;  // as the host registers it, character for character
  std::int32_t version;
};

inline constexpr std::size_t kSuiteCount = 135;

extern const std::array<SuiteRow, kSuiteCount> kSuiteTable;

// The row of "PF ANSI Suite" version 1, the one suite the module uses.
inline constexpr std::size_t kAnsiSuiteRow = 64;

}  // namespace huesieve
