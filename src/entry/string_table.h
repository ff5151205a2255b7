// The module's fixed strings, one row each, looked up by position.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace huesieve {

struct StringRow {
  std::int32_t index;
  char text[256];
};

inline constexpr int kStringRowCount = 44;

// Rows, by position.
enum StringId : int {
  kStrNone = 0,
  kStrName = 1,
  kStrDescription = 2,
  kStrEnableEffect = 3,
  kStrEnableColour = 4,  // + entry number, 0 to 9
  kStrColour = 14,
  kStrRange = 24,
  kStrSoftness = 34,
};

namespace string_table_detail {

constexpr StringRow MakeRow(std::int32_t index, std::string_view text) {
  StringRow row{index, {}};
  for (std::size_t i = 0; i < text.size(); ++i) row.text[i] = text[i];
  return row;
}

constexpr std::string_view RowText(int row) {
  if (row == kStrName) return "Huesieve";
  if (row == kStrDescription) return "\n\nCopyright 2026 Quorvel VFX.\nhttps://quorvelvfx.com";
  if (row == kStrEnableEffect) return "Enable Effect";
  if (row >= kStrEnableColour && row < kStrColour) return "Enable color";
  if (row >= kStrColour && row < kStrRange) return "Color";
  if (row >= kStrRange && row < kStrSoftness) return "Range";
  if (row >= kStrSoftness) return "Softness";
  return "";
}

constexpr std::array<StringRow, kStringRowCount> MakeTable() {
  std::array<StringRow, kStringRowCount> table{};
  for (int row = 0; row < kStringRowCount; ++row) table[static_cast<std::size_t>(row)] = MakeRow(row, RowText(row));
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
