// The controls a render uses: the settings file's, with the command line's
// --enable and --entry over them.
#include "tools/huesieve-render/settings_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/cli/png_fixtures.h"
#include "tools/huesieve-render/tool_errors.h"

namespace {

using huesieve::ControlSettings;
using huesieve::EntrySettings;
using huesieve::cli::Options;
using huesieve::cli::ParseOptions;
using huesieve::cli::SettingsOf;

constexpr char kFile[] = R"({"enable": false, "entries": [
  {"enabled": true, "color": "#000001", "range": 5, "softness": 0},
  {"enabled": true, "color": "#000002", "range": 5, "softness": 0},
  {"enabled": true, "color": "#000003", "range": 5, "softness": 0}]})";

class SettingsFile : public ::testing::Test {
 protected:
  Options Parse(std::vector<const char*> args) {
    path_ = (dir_ / "key.json").string();
    for (const char*& arg : args) {
      if (std::string_view(arg) == "key.json") arg = path_.c_str();
    }
    return ParseOptions(args);
  }
  void Write(const std::string& text) {
    cli_test::WriteBytes(dir_ / "key.json", std::vector<std::uint8_t>(text.begin(), text.end()));
  }

  cli_test::ScratchDir dir_;
  std::string path_;
};

// The command line wins: --enable over the file's switch, --entry K over the
// file's entry K, wherever they stand.
TEST_F(SettingsFile, CommandLineOverridesTheFile) {
  Write(kFile);
  const ControlSettings settings = SettingsOf(Parse(
      {"--entry", "2:FF0000:20:0", "--settings", "key.json", "--enable", "a.png", "b.png"}));
  EXPECT_TRUE(settings.enable_effect);
  EXPECT_EQ(settings.entries[0], (EntrySettings{true, {0, 0, 1}, 5.0, 0.0}));
  EXPECT_EQ(settings.entries[1], (EntrySettings{true, {255, 0, 0}, 20.0, 0.0}));
  EXPECT_EQ(settings.entries[2], (EntrySettings{true, {0, 0, 3}, 5.0, 0.0}));
  EXPECT_EQ(settings.entries[3], EntrySettings{});
}

TEST_F(SettingsFile, SwitchOffInTheFileStaysOffWithoutEnable) {
  Write(kFile);
  EXPECT_FALSE(SettingsOf(Parse({"--settings", "key.json", "a.png", "b.png"})).enable_effect);
}

TEST_F(SettingsFile, MalformedFileIsAUsageErrorNamingIt) {
  Write(R"({"enable": true, "entries": [{"enabled": true, "color": "#FFFFFF", "range": 1e400,
            "softness": 0}]})");
  const Options options = Parse({"--settings", "key.json", "a.png", "b.png"});
  try {
    SettingsOf(options);
    FAIL() << "read a Range of 1e400";
  } catch (const huesieve::cli::UsageError& error) {
    EXPECT_EQ(std::string(error.what()), path_ + ": the number 1e400 at line 1, column 77 is too large");
  }
}

TEST_F(SettingsFile, UnreadableFileIsAToolError) {
  EXPECT_THROW(SettingsOf(Parse({"--settings", "key.json", "a.png", "b.png"})),
               huesieve::cli::ToolError);
}

}  // namespace
