// The string table as the host reads it: 44 rows of a 32-bit index and 256
// bytes of zero-terminated, zero-filled text.
#include "entry/string_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> ExpectedRows() {
  std::vector<std::string> rows{
      "", "Huesieve", "\n\nCopyright 2026 Quorvel VFX.\nhttps://quorvelvfx.com", "Enable Effect"};
  for (const char* name : {"Enable color", "Color", "Range", "Softness"}) {
    rows.insert(rows.end(), 10, name);
  }
  return rows;
}

TEST(StringTable, HoldsFortyFourRowsIndexedByPositionAndZeroFilled) {
  const std::vector<std::string> expected = ExpectedRows();
  ASSERT_EQ(huesieve::kStringTable.size(), expected.size());
  for (std::size_t row = 0; row < expected.size(); ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    const huesieve::StringRow& actual = huesieve::kStringTable[row];
    EXPECT_EQ(actual.index, static_cast<std::int32_t>(row));
    std::string text(sizeof actual.text, '\0');
    text.replace(0, expected[row].size(), expected[row]);
    EXPECT_EQ(std::string(actual.text, sizeof actual.text), text);
    EXPECT_EQ(huesieve::GetString(static_cast<int>(row)), actual.text);
  }
}

}  // namespace
