#include "tools/huesieve-render/settings_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

using huesieve::cli::CombineWithSettingsFile;
using huesieve::cli::EntrySetting;
using huesieve::cli::Limits;
using huesieve::cli::Options;
using huesieve::cli::ParseEntry;
using huesieve::cli::ParseOptions;
using huesieve::cli::ParseSettingsFile;
using huesieve::cli::SettingsFile;
using huesieve::cli::UsageError;
using huesieve::cli::ValidateEntryValues;

constexpr Limits kRange{1.0, 128.0};
constexpr Limits kSoftness{0.0, 100.0};

std::string ParseError(const std::string& text) {
  try {
    ParseSettingsFile(text, "key.json");
  } catch (const UsageError& error) {
    return error.what();
  }
  return "no error";
}

TEST(SettingsFile, ReadsTheSwitchAndTheEntriesInOrder) {
  const SettingsFile settings = ParseSettingsFile(
      R"({"enable": true, "entries": [
            {"enabled": true, "color": "#DB2924", "range": 110, "softness": 60},
            {"enabled": false, "color": "0a0B0c", "range": 12.3, "softness": 0.5}]})",
      "key.json");
  EXPECT_TRUE(settings.enable_effect);
  ASSERT_EQ(settings.entries.size(), 2u);
  const EntrySetting& first = settings.entries[0];
  EXPECT_EQ(first.number, 1);
  EXPECT_TRUE(first.enabled);
  EXPECT_EQ(first.red, 0xDB);
  EXPECT_EQ(first.green, 0x29);
  EXPECT_EQ(first.blue, 0x24);
  EXPECT_EQ(first.range, 110.0);
  EXPECT_EQ(first.softness, 60.0);
  const EntrySetting& second = settings.entries[1];
  EXPECT_EQ(second.number, 2);
  EXPECT_FALSE(second.enabled);
  EXPECT_EQ(second.blue, 12);
  EXPECT_EQ(second.range, 12.3);  // the double the text names, as --entry reads it
  EXPECT_EQ(second.softness, 0.5);
}

// A Range of 0 is the module's initial value: in a file it leaves the entry
// claiming nothing, while on the command line it stays below the limit.
TEST(SettingsFile, RangeZeroIsAcceptedFromAFileOnly) {
  const SettingsFile settings = ParseSettingsFile(
      R"({"enable": false, "entries": [{"enabled": false, "color": "#FFFFFF", "range": 0,
          "softness": 0}]})",
      "key.json");
  EXPECT_NO_THROW(ValidateEntryValues(settings.entries[0], kRange, kSoftness));
  EXPECT_THROW(ValidateEntryValues(ParseEntry("1:FFFFFF:0:0"), kRange, kSoftness), UsageError);
}

TEST(SettingsFile, LimitsAreCheckedWithTheMessagesOfEntry) {
  const SettingsFile settings = ParseSettingsFile(
      R"({"enable": true, "entries": [{"enabled": true, "color": "#FFFFFF", "range": 10,
          "softness": 0}, {"enabled": true, "color": "#FFFFFF", "range": 0.5, "softness": 0}]})",
      "key.json");
  try {
    ValidateEntryValues(settings.entries[1], kRange, kSoftness);
    FAIL() << "Range 0.5 accepted";
  } catch (const UsageError& error) {
    EXPECT_STREQ(error.what(), "key.json: entry 2: RANGE 0.5 is outside 1 to 128");
  }
}

struct Malformed {
  const char* text;
  const char* message;
};

void PrintTo(const Malformed& malformed, std::ostream* out) { *out << malformed.text; }

class MalformedSettingsFile : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedSettingsFile, IsAUsageErrorSayingWhere) {
  EXPECT_EQ(ParseError(GetParam().text), GetParam().message);
}

constexpr char kEntry[] = R"({"enabled": true, "color": "#FFFFFF", "range": 10, "softness": 0})";

INSTANTIATE_TEST_SUITE_P(
    Files, MalformedSettingsFile,
    ::testing::Values(
        Malformed{"",
                  "key.json: not valid JSON: parse error at line 1, column 1: syntax error "
                  "while parsing value - unexpected end of input; expected '[', '{', or a "
                  "literal"},
        Malformed{"[]", R"(key.json: expected an object {"enable", "entries"})"},
        Malformed{R"({"enable": true})", R"(key.json: the member "entries" is missing)"},
        Malformed{R"({"enable": true, "entries": [], "zoom": 2})",
                  R"(key.json: unknown member "zoom")"},
        Malformed{R"({"enable": 1, "entries": []})", R"(key.json: "enable" must be true or false)"},
        Malformed{R"({"enable": true, "entries": {}})",
                  R"(key.json: "entries" must be an array of colour entries)"},
        Malformed{
            R"({"enable": true, "entries": [7]})",
            R"(key.json: entry 1: expected an object {"enabled", "color", "range", "softness"})"},
        Malformed{
            R"({"enable": true, "entries": [{"enabled": true, "color": "#FFFFFF", "range": 10}]})",
            R"(key.json: entry 1: the member "softness" is missing)"},
        Malformed{
            R"({"enable": true, "entries": [{"enabled": "yes", "color": "#FFFFFF", "range": 10, "softness": 0}]})",
            R"(key.json: entry 1: "enabled" must be true or false)"},
        Malformed{
            R"({"enable": true, "entries": [{"enabled": true, "color": "#FFF", "range": 10, "softness": 0}]})",
            "key.json: entry 1: the colour must be six hexadecimal digits, RRGGBB"},
        Malformed{
            R"({"enable": true, "entries": [{"enabled": true, "color": 16777215, "range": 10, "softness": 0}]})",
            "key.json: entry 1: the colour must be six hexadecimal digits, RRGGBB"},
        Malformed{
            R"({"enable": true, "entries": [{"enabled": true, "color": "#FFFFFF", "range": "10", "softness": 0}]})",
            "key.json: entry 1: RANGE must be a decimal number"},
        Malformed{
            R"({"enable": true, "entries": [{"enabled": true, "color": "#FFFFFF", "range": 10, "softness": null}]})",
            "key.json: entry 1: SOFTNESS must be a decimal number"}));

TEST(SettingsFile, EntryNumbersFollowThePositionInTheFile) {
  const std::string text =
      std::string(R"({"enable": true, "entries": [)") + kEntry + "," + kEntry + "," + kEntry + "]}";
  const SettingsFile settings = ParseSettingsFile(text, "key.json");
  ASSERT_EQ(settings.entries.size(), 3u);
  EXPECT_EQ(settings.entries[2].number, 3);
  EXPECT_EQ(settings.entries[2].source, "key.json: entry 3");
}

// The command line wins: --enable over the file's switch, --entry K over the
// file's entry K, wherever they stand.
TEST(SettingsFile, CommandLineOverridesTheFile) {
  SettingsFile file;
  file.enable_effect = false;
  for (int number = 1; number <= 3; ++number) {
    EntrySetting entry;
    entry.number = number;
    entry.range = 5.0;
    file.entries.push_back(entry);
  }
  std::vector<const char*> args = {"--entry",  "2:FF0000:20:0", "--settings", "key.json",
                                   "--enable", "a.png",         "b.png"};
  Options options = ParseOptions(args);
  EXPECT_EQ(options.settings_file, "key.json");

  CombineWithSettingsFile(file, options);

  EXPECT_TRUE(options.enable_effect);
  ASSERT_EQ(options.entries.size(), 3u);
  std::vector<std::pair<int, double>> entries;
  for (const EntrySetting& entry : options.entries) entries.emplace_back(entry.number, entry.range);
  EXPECT_THAT(entries,
              ::testing::UnorderedElementsAre(std::make_pair(1, 5.0), std::make_pair(2, 20.0),
                                              std::make_pair(3, 5.0)));
}

TEST(SettingsFile, SwitchOffInTheFileStaysOffWithoutEnable) {
  SettingsFile file;
  std::vector<const char*> args = {"--settings", "key.json", "a.png", "b.png"};
  Options options = ParseOptions(args);
  CombineWithSettingsFile(file, options);
  EXPECT_FALSE(options.enable_effect);
}

}  // namespace
