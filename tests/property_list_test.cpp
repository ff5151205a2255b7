// The property list the build generated, against the layout the host reads,
// written out here byte by byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "entry/effect_main.h"
#include "testing/hostsim/strict_host.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Header, then twelve records: vendor "8BIM" and the key, each a
// four-character code stored little-endian (so reversed), property id 0, the
// stored length, the data and any fill the length does not count.
// clang-format off
const Bytes kExpected = {
    1, 0, 0, 0, 0, 0, 12, 0, 0, 0,  // format version 1, reserved 0, 12 properties
    // kind: 'eFKT'
    'M', 'I', 'B', '8', 'd', 'n', 'i', 'k', 0, 0, 0, 0, 4, 0, 0, 0,
    'T', 'K', 'F', 'e',
    // name: 8, "Huesieve", fill to 12
    'M', 'I', 'B', '8', 'e', 'm', 'a', 'n', 0, 0, 0, 0, 12, 0, 0, 0,
    8, 'H', 'u', 'e', 's', 'i', 'e', 'v', 'e', 0, 0, 0,
    // catg: 11, "Quorvel VFX", no fill
    'M', 'I', 'B', '8', 'g', 't', 'a', 'c', 0, 0, 0, 0, 12, 0, 0, 0,
    11, 'Q', 'u', 'o', 'r', 'v', 'e', 'l', ' ', 'V', 'F', 'X',
    // 8664: "EffectMain", its terminator and one more zero
    'M', 'I', 'B', '8', '4', '6', '6', '8', 0, 0, 0, 0, 12, 0, 0, 0,
    'E', 'f', 'f', 'e', 'c', 't', 'M', 'a', 'i', 'n', 0, 0,
    // ePVR: 2, 0
    'M', 'I', 'B', '8', 'R', 'V', 'P', 'e', 0, 0, 0, 0, 4, 0, 0, 0,
    2, 0, 0, 0,
    // eSVR: 13, 27
    'M', 'I', 'B', '8', 'R', 'V', 'S', 'e', 0, 0, 0, 0, 4, 0, 0, 0,
    13, 0, 27, 0,
    // eVER: 0x00080001
    'M', 'I', 'B', '8', 'R', 'E', 'V', 'e', 0, 0, 0, 0, 4, 0, 0, 0,
    0x01, 0x00, 0x08, 0x00,
    // eINF: 0, length 2, then two fill bytes it does not count
    'M', 'I', 'B', '8', 'F', 'N', 'I', 'e', 0, 0, 0, 0, 2, 0, 0, 0,
    0, 0, 0, 0,
    // eGLO: 0x02000800
    'M', 'I', 'B', '8', 'O', 'L', 'G', 'e', 0, 0, 0, 0, 4, 0, 0, 0,
    0x00, 0x08, 0x00, 0x02,
    // eGL2: 0x08000000
    'M', 'I', 'B', '8', '2', 'L', 'G', 'e', 0, 0, 0, 0, 4, 0, 0, 0,
    0x00, 0x00, 0x00, 0x08,
    // eMNA: 20, "Quorvel VFX Huesieve", fill to 24
    'M', 'I', 'B', '8', 'A', 'N', 'M', 'e', 0, 0, 0, 0, 24, 0, 0, 0,
    20, 'Q', 'u', 'o', 'r', 'v', 'e', 'l', ' ', 'V', 'F', 'X',
    ' ', 'H', 'u', 'e', 's', 'i', 'e', 'v', 'e', 0, 0, 0,
    // aeFL: 0
    'M', 'I', 'B', '8', 'L', 'F', 'e', 'a', 0, 0, 0, 0, 4, 0, 0, 0,
    0, 0, 0, 0,
};
// clang-format on

Bytes ReadGenerated() {
  std::ifstream file(HUESIEVE_PROPERTY_LIST_FILE, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::uint32_t WordAt(const Bytes& bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes.at(offset)) |
         static_cast<std::uint32_t>(bytes.at(offset + 1)) << 8 |
         static_cast<std::uint32_t>(bytes.at(offset + 2)) << 16 |
         static_cast<std::uint32_t>(bytes.at(offset + 3)) << 24;
}

std::string TextAt(const Bytes& bytes, std::size_t offset, std::size_t length) {
  return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                     bytes.begin() + static_cast<std::ptrdiff_t>(offset + length));
}

class PropertyListTest : public testing::Test {
 protected:
  Bytes generated_ = ReadGenerated();
};

TEST_F(PropertyListTest, IsTwoHundredNinetyFourBytes) { EXPECT_EQ(generated_.size(), 294u); }

TEST_F(PropertyListTest, MatchesTheLayoutByteForByte) {
  ASSERT_EQ(kExpected.size(), 294u);
  EXPECT_THAT(generated_, testing::ElementsAreArray(kExpected));
}

TEST_F(PropertyListTest, InfoFlagsRecordCountsTwoBytesAndIsFollowedByTwoZeroBytes) {
  EXPECT_EQ(TextAt(generated_, 178, 4), "FNIe");
  EXPECT_EQ(WordAt(generated_, 186), 2u);
  EXPECT_EQ(WordAt(generated_, 190), 0u);
  EXPECT_EQ(TextAt(generated_, 194, 4), "MIB8");
}

TEST_F(PropertyListTest, VersionAndFlagsEqualWhatGlobalSetupReports) {
  hostsim::StrictHost host(&EffectMain);
  ASSERT_EQ(host.GlobalSetup(), PF_Err_NONE);

  EXPECT_EQ(WordAt(generated_, 170), 0x00080001u);
  EXPECT_EQ(WordAt(generated_, 210), 0x02000800u);
  EXPECT_EQ(WordAt(generated_, 230), 0x08000000u);
  EXPECT_EQ(WordAt(generated_, 170), host.out_data.my_version);
  EXPECT_EQ(WordAt(generated_, 210), static_cast<std::uint32_t>(host.out_data.out_flags));
  EXPECT_EQ(WordAt(generated_, 230), static_cast<std::uint32_t>(host.out_data.out_flags2));
}

// Where each record starts, the key as stored, and the length it states.
struct RecordHead {
  std::size_t offset;
  const char* stored_key;
  std::uint32_t length;
};

void PrintTo(const RecordHead& head, std::ostream* out) {
  *out << head.stored_key << " at " << head.offset << ", length " << head.length;
}

class PropertyRecordTest : public PropertyListTest,
                           public testing::WithParamInterface<RecordHead> {};

TEST_P(PropertyRecordTest, StartsWhereTheLayoutPutsItWithItsLength) {
  const RecordHead& head = GetParam();
  EXPECT_EQ(TextAt(generated_, head.offset, 4), "MIB8");
  EXPECT_EQ(TextAt(generated_, head.offset + 4, 4), head.stored_key);
  EXPECT_EQ(WordAt(generated_, head.offset + 8), 0u);
  EXPECT_EQ(WordAt(generated_, head.offset + 12), head.length);
}

INSTANTIATE_TEST_SUITE_P(EveryProperty, PropertyRecordTest,
                         testing::Values(RecordHead{10, "dnik", 4}, RecordHead{30, "eman", 12},
                                         RecordHead{58, "gtac", 12}, RecordHead{86, "4668", 12},
                                         RecordHead{114, "RVPe", 4}, RecordHead{134, "RVSe", 4},
                                         RecordHead{154, "REVe", 4}, RecordHead{174, "FNIe", 2},
                                         RecordHead{194, "OLGe", 4}, RecordHead{214, "2LGe", 4},
                                         RecordHead{234, "ANMe", 24}, RecordHead{274, "LFea", 4}),
                         [](const testing::TestParamInfo<RecordHead>& param_info) {
                           const std::string key = param_info.param.stored_key;
                           return "At" + std::to_string(param_info.param.offset) + "_" +
                                  std::string(key.rbegin(), key.rend());
                         });

}  // namespace
