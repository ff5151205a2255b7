// What the lane kernel relies on beyond the equivalence tests: the square root
// it takes in single precision, its cell index against the cell table's, and
// the emulated 16-lane operations against values worked out by hand from the
// documented behaviour of the AVX-512 instructions they stand for.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "core/cell_table.h"
#include "core/entry_thresholds.h"
#include "testing/support/emulated_kernel.h"

namespace huesieve {
namespace {

using Emulated = testing_support::EmulatedLaneOps<16>;

// The ramp's distance is float(sqrt(double(s))); the kernel takes sqrt(float(s)).
TEST(LaneRamp, SinglePrecisionRootIsTheRoundedDoubleRootOfEverySum) {
  std::uint32_t differing = 0;
  for (std::uint32_t s = 0; s <= kSquaredDistanceLimit; ++s) {
    const float wide = static_cast<float>(std::sqrt(static_cast<double>(s)));
    const float narrow = std::sqrt(static_cast<float>(s));
    if (std::memcmp(&wide, &narrow, sizeof wide) != 0) ++differing;
  }
  EXPECT_EQ(differing, 0u);
}

TEST(LaneCellIndex, MatchesTheCellTableForEveryColourWhateverTheAlpha) {
  std::uint32_t differing = 0;
  for (std::uint32_t colour = 0; colour < (1u << 24); ++colour) {
    const std::uint32_t red = colour >> 16;
    const std::uint32_t green = (colour >> 8) & 0xFF;
    const std::uint32_t blue = colour & 0xFF;
    const std::uint32_t lane = lanes::Lane(colour * 37 & 0xFF, red, green, blue);
    if (lanes::LaneCellIndex(lane) !=
        static_cast<std::uint32_t>(CellTable::CellOf(static_cast<std::int32_t>(red),
                                                     static_cast<std::int32_t>(green),
                                                     static_cast<std::int32_t>(blue)))) {
      ++differing;
    }
  }
  EXPECT_EQ(differing, 0u);
}

// Range 10 claims sums below 100: red and blue reach d with 2 d^2 < 100,
// d = 7; green 4 d^2 < 100, d = 4; the box is clipped to 0..255. Range 0
// claims nothing and has no box, so the boxes name their entries.
TEST(ColourBoxes, BoundEachAxisByItsShareAndClipToTheScale) {
  ColourEntryTable table;
  table.count = 3;
  table.enabled = {0, 1, 1};
  table.colours[0] = Rgb8{9, 9, 9};
  table.colours[1] = Rgb8{100, 50, 200};
  table.colours[2] = Rgb8{3, 250, 252};
  table.ranges = {0.0f, 10.0f, 10.0f};
  const EntryThresholds thresholds = MakeEntryThresholds(table);
  const CellTable cells(thresholds);
  ASSERT_EQ(cells.box_count(), 2);
  EXPECT_EQ(cells.box_entry(0), 1);
  EXPECT_EQ(cells.box_entry(1), 2);
  EXPECT_EQ(cells.boxes()[0].low, lanes::Lane(0, 93, 46, 193));
  EXPECT_EQ(cells.boxes()[0].width, lanes::Lane(255, 14, 8, 14));
  EXPECT_EQ(cells.boxes()[1].low, lanes::Lane(0, 0, 246, 245));
  EXPECT_EQ(cells.boxes()[1].width, lanes::Lane(255, 10, 8, 10));
}

Emulated::U32 Lanes(std::initializer_list<std::uint32_t> values) {
  Emulated::U32 lanes{};
  std::copy(values.begin(), values.end(), lanes.lane.begin());
  return lanes;
}

// vpermw on the lane shifted right by 11: the low half looks up bits 11..15,
// the high half bits 27..31.
TEST(EmulatedLaneOps, Lookup32LooksUpEachHalfByItsOwnLowFiveBits) {
  Emulated::Table32 table{};
  for (std::uint16_t k = 0; k < 32; ++k) table[k] = static_cast<std::uint16_t>(0x100 + k);
  const Emulated::U32 looked =
      Emulated::Lookup32<11>(table, Lanes({0u, 0x0000F800u, 0x00000800u, 0xF8000000u}));
  EXPECT_EQ(looked.lane[0], 0x01000100u);
  EXPECT_EQ(looked.lane[1], 0x0100011Fu);
  EXPECT_EQ(looked.lane[2], 0x01000101u);
  EXPECT_EQ(looked.lane[3], 0x011F0100u);
}

// 32 bits read at 2-byte steps: the word asked for below the next.
TEST(EmulatedLaneOps, Gather16ReadsTheNextWordAboveAndZeroOutsideTheMask) {
  const std::array<std::uint16_t, 4> words{0x1111, 0x2222, 0x3333, 0x4444};
  const Emulated::U32 gathered = Emulated::Gather16(words.data(), Lanes({0, 2, 1}), 0b101);
  EXPECT_EQ(gathered.lane[0], 0x22221111u);
  EXPECT_EQ(gathered.lane[1], 0u);
  EXPECT_EQ(gathered.lane[2], 0x33332222u);
}

// vpgatherdd at scale 1: 32 bits at any byte offset, little-endian, in every
// lane.
TEST(EmulatedLaneOps, GatherBytes32ReadsFourBytesAtEachOffset) {
  const std::array<std::uint8_t, 8> bytes{0x10, 0x21, 0x32, 0x43, 0x54, 0x65, 0x76, 0x87};
  const Emulated::U32 gathered =
      Emulated::GatherBytes32(reinterpret_cast<const std::byte*>(bytes.data()), Lanes({3, 0, 1}));
  EXPECT_EQ(gathered.lane[0], 0x76655443u);
  EXPECT_EQ(gathered.lane[1], 0x43322110u);
  EXPECT_EQ(gathered.lane[2], 0x54433221u);
  EXPECT_EQ(gathered.lane[15], 0x43322110u);
}

// vcvttps2dq: toward zero; NaN and values beyond int32 give 0x80000000.
TEST(EmulatedLaneOps, TruncateGivesTheIntegerIndefiniteOutsideTheRange) {
  Emulated::F32 values{};
  values.lane = {2.99f,
                 -1.5f,
                 2147483520.0f,
                 2147483648.0f,
                 -2147483648.0f,
                 -3e9f,
                 std::numeric_limits<float>::quiet_NaN(),
                 std::numeric_limits<float>::infinity()};
  const Emulated::U32 truncated = Emulated::Truncate(values);
  EXPECT_EQ(truncated.lane[0], 2u);
  EXPECT_EQ(truncated.lane[1], 0xFFFFFFFFu);
  EXPECT_EQ(truncated.lane[2], 2147483520u);
  EXPECT_EQ(truncated.lane[3], 0x80000000u);
  EXPECT_EQ(truncated.lane[4], 0x80000000u);
  EXPECT_EQ(truncated.lane[5], 0x80000000u);
  EXPECT_EQ(truncated.lane[6], 0x80000000u);
  EXPECT_EQ(truncated.lane[7], 0x80000000u);
}

// vpsubb then vpsubusb: a byte inside low..low + width gives 0, one below
// wraps round and stays above the width.
TEST(EmulatedLaneOps, OutsideBoxIsZeroExactlyInsideEveryByteRange) {
  const Emulated::U32 low = Emulated::Splat(lanes::Lane(0, 93, 46, 193));
  const Emulated::U32 width = Emulated::Splat(lanes::Lane(255, 14, 8, 14));
  const Emulated::U32 outside =
      Emulated::OutsideBox(Lanes({lanes::Lane(7, 93, 54, 207), lanes::Lane(7, 92, 50, 200),
                                  lanes::Lane(7, 108, 50, 200), lanes::Lane(7, 100, 55, 200)}),
                           low, width);
  EXPECT_EQ(outside.lane[0], 0u);
  EXPECT_EQ(outside.lane[1], lanes::Lane(0, 255 - 14, 0, 0));
  EXPECT_EQ(outside.lane[2], lanes::Lane(0, 1, 0, 0));
  EXPECT_EQ(outside.lane[3], lanes::Lane(0, 0, 1, 0));
}

// Unsigned, as vpcmpud: 2^31 is above 1.
TEST(EmulatedLaneOps, LessComparesUnsignedAndMasksStayWithinTheLanes) {
  EXPECT_EQ(Emulated::Less(Lanes({1, 0x80000000u, 5}), Lanes({0x80000000u, 1, 5})) & 0b111, 0b001u);
  EXPECT_EQ(Emulated::MaskNot(0x00F0u), 0xFF0Fu);
  EXPECT_EQ(Emulated::AllLanes(), 0xFFFFu);
}

// The rule's conversion of 16-bit channels: 64 to 0, 65 to 1, 16384 to 128,
// 32640 to 254, 32704 and everything above to 255.
TEST(EmulatedLaneOps, ToBytesConvertsEachChannelAsTheRuleDoes) {
  Emulated::Slots16 slots{};
  const auto slot = [](std::uint64_t alpha, std::uint64_t red, std::uint64_t green,
                       std::uint64_t blue) { return alpha | red << 16 | green << 32 | blue << 48; };
  slots.slot[0] = slot(64, 65, 16384, 32640);
  slots.slot[1] = slot(32703, 32704, 32768, 65535);
  const Emulated::U32 bytes = Emulated::ToBytes(slots);
  EXPECT_EQ(bytes.lane[0], lanes::Lane(0, 1, 128, 254));
  EXPECT_EQ(bytes.lane[1], lanes::Lane(254, 255, 255, 255));
}

// Ramped slots get the alpha, cleared ones become zero, the rest are not
// written at all.
TEST(EmulatedLaneOps, StoresWriteOnlyTheRampedAndTheClearedSlots) {
  std::array<std::uint32_t, 16> row8{};
  row8.fill(0xA1B2C3D4u);
  std::array<std::uint32_t, 16> before8 = row8;
  const Emulated::U32 pixels = Emulated::Load8(reinterpret_cast<const std::byte*>(before8.data()));
  row8[2] = 0x55555555u;  // what a store of every lane would overwrite
  Emulated::Store8(reinterpret_cast<std::byte*>(row8.data()), pixels, 0b0010, 0b0001,
                   Emulated::Splat(0x7F));
  EXPECT_EQ(row8[0], 0xA1B2C37Fu);
  EXPECT_EQ(row8[1], 0u);
  EXPECT_EQ(row8[2], 0x55555555u);

  std::array<std::uint64_t, 16> row16{};
  row16.fill(0x1111222233334444u);
  const Emulated::Slots16 slots =
      Emulated::Load16(reinterpret_cast<const std::byte*>(row16.data()));
  Emulated::Store16(reinterpret_cast<std::byte*>(row16.data()), slots, 0b0100 << 8, 0b0001 << 8,
                    Emulated::Splat(32768));
  EXPECT_EQ(row16[8], 0x1111222233338000u);
  EXPECT_EQ(row16[10], 0u);
  EXPECT_EQ(row16[0], 0x1111222233334444u);
}

}  // namespace
}  // namespace huesieve
