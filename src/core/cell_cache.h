// One worker's words of the cells it has met in a frame, classified by the
// frame's cell table on first use. Classifying every cell up front would cost
// a small frame many times its render (docs/speed.md); a cache of its own per
// worker keeps the frame's rule read-only while several workers walk it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/cell_table.h"

namespace huesieve {

class CellCache {
 public:
  // For one frame: the table is that frame's, and must outlive the cache.
  explicit CellCache(const CellTable& table) : table_(table) {}
  CellCache(const CellCache&) = delete;
  CellCache& operator=(const CellCache&) = delete;

  std::uint16_t Lookup(std::int32_t cell) {
    std::uint16_t& word = words_[static_cast<std::size_t>(cell)];
    if (word == CellTable::kUnknown) word = table_.Classify(cell);
    return word;
  }

  // Every cell's word, kUnknown where not yet classified; kStoredWords of
  // them, for gathers.
  const std::uint16_t* words() const { return words_.data(); }

 private:
  const CellTable& table_;
  std::array<std::uint16_t, CellTable::kStoredWords> words_{};
};

}  // namespace huesieve
