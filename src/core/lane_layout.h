// The one layout every pixel format is brought to in the lane kernel: a
// colour on the 8-bit scale in a 32-bit lane, and the cell index (cell_table.h)
// the lane's bits give.
#pragma once

#include <cstdint>

#include "core/cell_table.h"

namespace huesieve::lanes {

// A colour in a 32-bit lane: alpha, red, green, blue from the low byte; the
// alpha byte is not read.
inline constexpr int kRedAt = 8;
inline constexpr int kGreenAt = 16;
inline constexpr int kBlueAt = 24;

// Where each axis's cell coordinate starts in a lane: the top bits of its byte.
inline constexpr int kRedCoordinate = kRedAt + CellTable::kCellShift;
inline constexpr int kGreenCoordinate = kGreenAt + CellTable::kCellShift;
inline constexpr int kBlueCoordinate = kBlueAt + CellTable::kCellShift;

// The per-axis reach tables are looked up 32 entries at a time, and blue's
// coordinate is the lane's top bits, so it needs no mask.
static_assert(CellTable::kCellsPerAxis == 32);
static_assert(kBlueCoordinate + CellTable::kAxisBits == 32);
static_assert(kRedCoordinate >= CellTable::kRedPlace && kGreenCoordinate >= CellTable::kGreenPlace);
// Gathers read 32 bits at the last cell's word.
static_assert(CellTable::kStoredWords >= CellTable::kCellCount + 1);

// The cell index of a lane as the vector code computes it: each coordinate
// shifted from its place in the lane to its place in the index.
constexpr std::uint32_t LaneCellIndex(std::uint32_t lane) {
  constexpr std::uint32_t kAxis = CellTable::kAxisMask;
  return ((lane >> (kRedCoordinate - CellTable::kRedPlace)) & (kAxis << CellTable::kRedPlace)) |
         ((lane >> (kGreenCoordinate - CellTable::kGreenPlace)) &
          (kAxis << CellTable::kGreenPlace)) |
         (lane >> (kBlueCoordinate - CellTable::kBluePlace));
}
constexpr std::uint32_t Lane(std::uint32_t alpha, std::uint32_t red, std::uint32_t green,
                             std::uint32_t blue) {
  return alpha | red << kRedAt | green << kGreenAt | blue << kBlueAt;
}
// The bits of a lane that its cell index depends on.
inline constexpr std::uint32_t kCoordinateBits =
    std::uint32_t{CellTable::kAxisMask} << kRedCoordinate |
    std::uint32_t{CellTable::kAxisMask} << kGreenCoordinate |
    std::uint32_t{CellTable::kAxisMask} << kBlueCoordinate;
static_assert(LaneCellIndex(kCoordinateBits) == CellTable::CellOf(255, 255, 255));
static_assert(LaneCellIndex(~kCoordinateBits) == CellTable::CellOf(0, 0, 0));
static_assert(LaneCellIndex(Lane(0xFF, 0, 0, 0)) == CellTable::CellOf(0, 0, 0));
static_assert(LaneCellIndex(Lane(0, 255, 255, 255)) == CellTable::CellOf(255, 255, 255));
static_assert(LaneCellIndex(Lane(0xA5, 8, 0, 0)) == CellTable::CellOf(8, 0, 0));
static_assert(LaneCellIndex(Lane(0, 7, 8, 0)) == CellTable::CellOf(7, 8, 0));
static_assert(LaneCellIndex(Lane(0x5A, 0, 7, 8)) == CellTable::CellOf(0, 7, 8));
static_assert(LaneCellIndex(Lane(0xFF, 200, 100, 39)) == CellTable::CellOf(200, 100, 39));

}  // namespace huesieve::lanes
