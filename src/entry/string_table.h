// The module's fixed strings, one row each, looked up by position.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "effect/controls.h"
#include "effect/identity.h"
#include "params/param_layout.h"

namespace huesieve {

struct StringRow {
  std::int32_t index;
  char text[256];
};

// Rows, by position: the effect's own, then one row per colour entry for each
// of its four named controls.
enum StringId : int {
  kStrNone = 0,
  kStrName = 1,
  kStrDescription = 2,
  kStrEnableEffect = 3,
  kStrEnableColour = 4,  // + entry number
  kStrColour = kStrEnableColour + kColourEntryCount,
  kStrRange = kStrColour + kColourEntryCount,
  kStrSoftness = kStrRange + kColourEntryCount,
  kStringRowCount = kStrSoftness + kColourEntryCount,
};
static_assert(kStringRowCount == 44);

namespace string_table_detail {

constexpr std::string_view RowText(int row) {
  if (row == kStrName) return kEffectName;
  if (row == kStrDescription) return kDescription;
  if (row == kStrEnableEffect) return kEnableEffectName;
  if (row >= kStrSoftness) return kSoftnessName;
  if (row >= kStrRange) return kRangeName;
  if (row >= kStrColour) return kColourName;
  if (row >= kStrEnableColour) return kEnableColourName;
  return "";
}

constexpr std::array<StringRow, kStringRowCount> MakeTable() {
  std::array<StringRow, kStringRowCount> table{};
  for (int row = 0; row < kStringRowCount; ++row) {
    StringRow& entry = table[static_cast<std::size_t>(row)];
    entry.index = row;
    const std::string_view text = RowText(row);
    for (std::size_t i = 0; i < text.size(); ++i) entry.text[i] = text[i];
  }
  return table;
}

}  // namespace string_table_detail

inline constexpr std::array<StringRow, kStringRowCount> kStringTable =
    string_table_detail::MakeTable();

// The text of row `row` (0 to 43), valid for the life of the module. The row is
// found by position; callers pass only rows that exist.
constexpr const char* GetString(int row) {
  return kStringTable[static_cast<std::size_t>(row)].text;
}

}  // namespace huesieve
