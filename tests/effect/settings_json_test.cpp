// The settings file, read and written through the controls' table: its form,
// its values within the limits, and its messages, which name the file.
#include "effect/settings_json.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using huesieve::ControlSettings;
using huesieve::EntrySettings;
using huesieve::ReadSettingsText;
using huesieve::SettingsReading;
using huesieve::SettingsText;

std::string ReadError(const std::string& text) { return ReadSettingsText(text, "key.json").error; }

TEST(SettingsFile, ReadsTheSwitchAndTheEntriesInOrder) {
  const SettingsReading reading = ReadSettingsText(
      R"({"enable": true, "entries": [
            {"enabled": true, "color": "#DB2924", "range": 110, "softness": 60},
            {"enabled": false, "color": "0a0B0c", "range": 12.3, "softness": 0.5}]})",
      "key.json");
  ASSERT_EQ(reading.error, "");
  const ControlSettings& settings = reading.settings;
  EXPECT_TRUE(settings.enable_effect);
  EXPECT_EQ(settings.entries[0], (EntrySettings{true, {0xDB, 0x29, 0x24}, 110.0, 60.0}));
  // The double the text names, as --entry reads it.
  EXPECT_EQ(settings.entries[1], (EntrySettings{false, {10, 11, 12}, 12.3, 0.5}));
  // Entries the file does not list keep the controls' defaults.
  EXPECT_EQ(settings.entries[2], (EntrySettings{false, {255, 255, 255}, 0.0, 0.0}));
}

// A Range of 0 is the default, which claims nothing: a saved key may hold it.
TEST(SettingsFile, RangeAtItsDefaultIsAccepted) {
  const SettingsReading reading = ReadSettingsText(
      R"({"enable": false, "entries": [{"enabled": false, "color": "#FFFFFF", "range": 0,
          "softness": 0}]})",
      "key.json");
  EXPECT_EQ(reading.error, "");
}

struct Malformed {
  const char* text;
  const char* message;
};

void PrintTo(const Malformed& malformed, std::ostream* out) { *out << malformed.text; }

class MalformedSettingsFile : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedSettingsFile, IsRefusedSayingWhere) {
  EXPECT_EQ(ReadError(GetParam().text), GetParam().message);
}

constexpr char kEntry[] = R"({"enabled": true, "color": "#FFFFFF", "range": 10, "softness": 0})";

std::string Entries(int count) {
  std::string text = R"({"enable": true, "entries": [)";
  for (int k = 0; k < count; ++k) text += std::string(k > 0 ? "," : "") + kEntry;
  return text + "]}";
}

INSTANTIATE_TEST_SUITE_P(
    Files, MalformedSettingsFile,
    ::testing::Values(
        Malformed{"",
                  "key.json: not valid JSON: parse error at line 1, column 1: syntax error "
                  "while parsing value - unexpected end of input; expected '[', '{', or a "
                  "literal"},
        Malformed{R"({"enable": true, "entries": [{"enabled": true, "color": "#FFFFFF",
  "range": 1e400, "softness": 0}]})",
                  "key.json: the number 1e400 at line 2, column 12 is too large"},
        Malformed{"[]", R"(key.json: expected an object {"enable", "entries"})"},
        Malformed{R"({"enable": true})", R"(key.json: the member "entries" is missing)"},
        Malformed{R"({"enable": true, "entries": [], "zoom": 2})",
                  R"(key.json: unknown member "zoom")"},
        Malformed{R"({"enable": true, "entries": [], "judge": "linear"})",
                  R"(key.json: "judge" must be stored or srgb)"},
        Malformed{R"({"enable": true, "entries": [], "featheredAlpha": 1})",
                  R"(key.json: "featheredAlpha" must be replaces or fades)"},
        Malformed{R"({"judge": "srgb", "entries": []})",
                  R"(key.json: the member "enable" is missing)"},
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
            "key.json: entry 1: SOFTNESS must be a decimal number"},
        Malformed{
            R"({"enable": true, "entries": [{"enabled": true, "color": "#FFFFFF", "range": 0.5, "softness": 0}]})",
            "key.json: entry 1: RANGE 0.5 is outside 1 to 128"},
        Malformed{
            R"({"enable": true, "entries": [{"enabled": true, "color": "#FFFFFF", "range": 10, "softness": -1e-300}]})",
            "key.json: entry 1: SOFTNESS -1e-300 is outside 0 to 100"}));

TEST(SettingsFile, EntriesPastTheTenthAreRefusedByNumber) {
  EXPECT_EQ(ReadError(Entries(10)), "");
  EXPECT_EQ(ReadError(Entries(11)), "key.json: entry 11: the effect has colour entries 1 to 10");
}

// The form the tuner saves: every entry, one a line, the colour in upper
// case, numbers as JavaScript writes them.
TEST(SettingsFile, WrittenAsTheTunerSavesIt) {
  ControlSettings settings;
  settings.enable_effect = true;
  settings.entries[0] = {true, {0xDB, 0x29, 0x24}, 110.0, 60.0};
  settings.entries[1] = {false, {0x0A, 0x0B, 0x0C}, 12.3, 0.000001};
  settings.entries[2] = {true, {1, 2, 3}, 127.99999999999999, 1e-7};
  std::string expected =
      "{\"enable\": true,\n \"entries\": [\n"
      "  {\"enabled\":true,\"color\":\"#DB2924\",\"range\":110,\"softness\":60},\n"
      "  {\"enabled\":false,\"color\":\"#0A0B0C\",\"range\":12.3,\"softness\":0.000001},\n"
      "  {\"enabled\":true,\"color\":\"#010203\",\"range\":127.99999999999999,"
      "\"softness\":1e-7}";
  for (int k = 3; k < 10; ++k) {
    expected += ",\n  {\"enabled\":false,\"color\":\"#FFFFFF\",\"range\":0,\"softness\":0}";
  }
  expected += "]}\n";
  EXPECT_EQ(SettingsText(settings), expected);
}

// A file saved before the choices existed reads with their defaults; each
// choice is read by its value's name, in any order among the members.
TEST(SettingsFile, TheChoicesAreReadByNameAndDefaultWhenLeftOut) {
  const SettingsReading old = ReadSettingsText(Entries(2), "key.json");
  ASSERT_EQ(old.error, "");
  EXPECT_EQ(old.settings.choices, ControlSettings{}.choices);
  EXPECT_EQ(huesieve::ModesOf(old.settings), huesieve::RuleModes{});
  const SettingsReading both = ReadSettingsText(
      R"({"featheredAlpha": "fades", "enable": true, "entries": [], "judge": "srgb"})", "key.json");
  ASSERT_EQ(both.error, "");
  EXPECT_EQ(huesieve::ModesOf(both.settings),
            (huesieve::RuleModes{huesieve::JudgeColours::kSrgbEncoded,
                                 huesieve::FeatheredAlpha::kFades}));
  const SettingsReading one =
      ReadSettingsText(R"({"enable": true, "entries": [], "featheredAlpha": "fades"})", "k");
  ASSERT_EQ(one.error, "");
  EXPECT_EQ(huesieve::ModesOf(one.settings).judge, huesieve::JudgeColours::kAsStored);
  EXPECT_EQ(huesieve::ModesOf(one.settings).feathered, huesieve::FeatheredAlpha::kFades);
}

// A choice at its default is left out, so a key that uses neither is the
// file older builds read; one that is not is written after the entries.
TEST(SettingsFile, OnlyChoicesAwayFromTheirDefaultsAreWritten) {
  ControlSettings settings;
  EXPECT_EQ(SettingsText(settings).find("judge"), std::string::npos);
  EXPECT_EQ(SettingsText(settings).find("featheredAlpha"), std::string::npos);
  settings.choices[huesieve::kJudgeColoursChoice] = 1;
  const std::string text = SettingsText(settings);
  EXPECT_EQ(text.substr(text.size() - 21), "],\n \"judge\": \"srgb\"}\n");
  EXPECT_EQ(text.find("featheredAlpha"), std::string::npos);
}

TEST(SettingsFile, WhatIsWrittenReadsBackAsTheSameSettings) {
  ControlSettings settings;
  settings.choices = {1, 1};
  settings.entries[4] = {true, {200, 100, 50}, 1.1 + 2.2, 100.0};
  settings.entries[9] = {false, {0, 0, 0}, 128.0, 33.333333333333336};
  const SettingsReading reading = ReadSettingsText(SettingsText(settings), "key.json");
  ASSERT_EQ(reading.error, "");
  EXPECT_EQ(reading.settings, settings);
}

}  // namespace
