// --entry K:RRGGBB:RANGE:SOFTNESS[:off] read through the controls' table:
// its form, and its values within the limits the table gives.
#include "effect/entry_argument.h"

#include <gtest/gtest.h>

namespace {

using huesieve::EntryArgument;
using huesieve::ParseEntryArgument;

TEST(EntryArgument, ReadsNumberColourRangeAndSoftness) {
  const EntryArgument entry = ParseEntryArgument("3:FF8001:25.5:30");
  EXPECT_EQ(entry.error, "");
  EXPECT_EQ(entry.number, 3);
  EXPECT_EQ(entry.settings.colour, (huesieve::Rgb8{255, 128, 1}));
  EXPECT_EQ(entry.settings.range, 25.5);
  EXPECT_EQ(entry.settings.softness, 30.0);
  EXPECT_TRUE(entry.settings.enabled);
}

TEST(EntryArgument, OffDisablesTheEntry) {
  const EntryArgument entry = ParseEntryArgument("10:00ff00:1:0:off");
  EXPECT_EQ(entry.error, "");
  EXPECT_EQ(entry.number, 10);
  EXPECT_EQ(entry.settings.colour.green, 255);
  EXPECT_FALSE(entry.settings.enabled);
}

TEST(EntryArgument, AcceptsHashBeforeTheColourAndPointForms) {
  const EntryArgument entry = ParseEntryArgument("1:#0A0B0C:1.:100.");
  EXPECT_EQ(entry.error, "");
  EXPECT_EQ(entry.settings.colour, (huesieve::Rgb8{10, 11, 12}));
  EXPECT_EQ(entry.settings.range, 1.0);
  EXPECT_EQ(entry.settings.softness, 100.0);
}

class MalformedEntryArgument : public ::testing::TestWithParam<const char*> {};

TEST_P(MalformedEntryArgument, IsRefusedNamingTheArgument) {
  EXPECT_EQ(ParseEntryArgument(GetParam()).error.rfind("--entry " + std::string(GetParam()) + ": ",
                                                      0),
            0u);
}

INSTANTIATE_TEST_SUITE_P(Arguments, MalformedEntryArgument,
                         ::testing::Values("", "1", "1:FF0000:10", "1:FF0000:10:0:off:off",
                                           "0:FF0000:10:0", "-1:FF0000:10:0", "x:FF0000:10:0",
                                           "1.5:FF0000:10:0", ":FF0000:10:0", "1:FF00:10:0",
                                           "1:FF00000:10:0", "1:GG0000:10:0", "1::10:0",
                                           "1:FF0000:ten:0", "1:FF0000:1e2:0", "1:FF0000:inf:0",
                                           "1:FF0000:nan:0", "1:FF0000:1.2.3:0", "1:FF0000:+5:0",
                                           "1:FF0000::0", "1:FF0000:10: 5", "1:FF0000:10:0:on",
                                           "1:FF0000:10:0:OFF"));

struct Refusal {
  const char* argument;
  const char* message;
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.argument; }

class RefusedEntryArgument : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedEntryArgument, SaysWhy) {
  EXPECT_EQ(ParseEntryArgument(GetParam().argument).error, GetParam().message);
}

// The limits are the After Effects module's, which the tuner and the
// settings file share; the bounds themselves are accepted, and Range's
// default of 0 (it claims nothing) is a mistake here.
INSTANTIATE_TEST_SUITE_P(
    Values, RefusedEntryArgument,
    ::testing::Values(
        Refusal{"1:FF0000:x:0", "--entry 1:FF0000:x:0: RANGE must be a decimal number"},
        Refusal{"1:FF0000:5:y", "--entry 1:FF0000:5:y: SOFTNESS must be a decimal number"},
        Refusal{"1:FF00:5:0", "--entry 1:FF00:5:0: the colour must be six hexadecimal digits, "
                              "RRGGBB"},
        Refusal{"11:000000:5:0", "--entry 11:000000:5:0: the effect has colour entries 1 to 10"},
        Refusal{"1:000000:0:0", "--entry 1:000000:0:0: RANGE 0 is outside 1 to 128"},
        Refusal{"1:000000:0.99:0", "--entry 1:000000:0.99:0: RANGE 0.99 is outside 1 to 128"},
        Refusal{"1:000000:128.01:0",
                "--entry 1:000000:128.01:0: RANGE 128.01 is outside 1 to 128"},
        Refusal{"1:000000:5:-0.5", "--entry 1:000000:5:-0.5: SOFTNESS -0.5 is outside 0 to 100"},
        Refusal{"1:000000:5:100.5", "--entry 1:000000:5:100.5: SOFTNESS 100.5 is outside 0 to 100"},
        Refusal{"1:000000:1:0", ""}, Refusal{"10:000000:128:100", ""}));

}  // namespace
