#include "tools/huesieve-render/options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "tools/huesieve-render/tool_errors.h"

namespace {

using huesieve::cli::Command;
using huesieve::cli::Options;
using huesieve::cli::ParseOptions;
using huesieve::cli::UsageError;
using huesieve::image::OutputType;

Options Parse(std::vector<const char*> args) { return ParseOptions(args); }

std::string ParseError(std::vector<const char*> args) {
  try {
    Parse(std::move(args));
  } catch (const UsageError& error) {
    return error.what();
  }
  return "no error";
}

TEST(EntryArgument, MessageNamesTheArgumentAndTheProblem) {
  EXPECT_EQ(ParseError({"--entry", "1:FF0000:x:0", "a.png", "b.png"}),
            "--entry 1:FF0000:x:0: RANGE must be a decimal number");
  EXPECT_EQ(ParseError({"--entry", "1:FF0000:200:0", "a.png", "b.png"}),
            "--entry 1:FF0000:200:0: RANGE 200 is outside 1 to 128");
}

TEST(CommandLine, RenderTakesInputAndOutput) {
  const Options options = Parse(
      {"--enable", "--entry", "2:102030:5:6", "--entry=1:FFFFFF:1:0:off", "in.png", "out.png"});
  EXPECT_EQ(options.command, Command::kRender);
  EXPECT_TRUE(options.enable_effect);
  ASSERT_EQ(options.entries.size(), 2u);
  EXPECT_EQ(options.entries[0].number, 2);
  EXPECT_EQ(options.entries[1].number, 1);
  EXPECT_FALSE(options.entries[1].settings.enabled);
  EXPECT_EQ(options.input, "in.png");
  EXPECT_EQ(options.output, "out.png");
}

TEST(CommandLine, EffectStaysOffWithoutEnable) {
  EXPECT_FALSE(Parse({"in.png", "out.png"}).enable_effect);
}

TEST(CommandLine, DoubleDashEndsOptions) {
  const Options options = Parse({"--", "-in.png", "--out.png"});
  EXPECT_EQ(options.input, "-in.png");
  EXPECT_EQ(options.output, "--out.png");
}

TEST(CommandLine, HelpWinsOverMistakes) {
  EXPECT_EQ(Parse({"--bogus", "-h"}).command, Command::kHelp);
  EXPECT_EQ(Parse({"--help"}).command, Command::kHelp);
}

TEST(CommandLine, InformationCommandsTakeNoImages) {
  EXPECT_EQ(Parse({"--about"}).command, Command::kAbout);
  EXPECT_EQ(Parse({"--list-params"}).command, Command::kListParams);
  EXPECT_EQ(Parse({"--version"}).command, Command::kVersion);
  EXPECT_EQ(ParseError({"--about", "in.png"}), "unexpected argument in.png");
  EXPECT_EQ(ParseError({"--about", "--version"}),
            "--version cannot be combined with another command");
  EXPECT_EQ(ParseError({"--list-params", "--enable"}),
            "--enable, --entry and --settings apply only when rendering an image");
}

TEST(CommandLine, RepeatedEntryNumberIsAUsageError) {
  EXPECT_EQ(ParseError({"--entry", "2:FF0000:5:0", "--entry", "2:00FF00:5:0", "a.png", "b.png"}),
            "--entry 2:00FF00:5:0: entry 2 is given more than once");
}

// Each choice by its value's name, the last given winning; not given, the
// settings file's or the default decides.
TEST(CommandLine, ChoicesAreTakenByTheirNames) {
  EXPECT_EQ(Parse({"a.exr", "b.exr"}).choices[huesieve::kJudgeColoursChoice], std::nullopt);
  const Options options =
      Parse({"--judge", "stored", "--judge=srgb", "--feathered-alpha", "fades", "a.exr", "b.exr"});
  EXPECT_EQ(options.choices[huesieve::kJudgeColoursChoice], 1);
  EXPECT_EQ(options.choices[huesieve::kFeatheredAlphaChoice], 1);
  EXPECT_EQ(Parse({"--feathered-alpha=replaces", "a.exr", "b.exr"})
                .choices[huesieve::kFeatheredAlphaChoice],
            0);
  EXPECT_EQ(ParseError({"--judge", "linear", "a.exr", "b.exr"}), "--judge linear: stored or srgb");
  EXPECT_EQ(ParseError({"--feathered-alpha", "a.exr", "b.exr"}),
            "--feathered-alpha a.exr: replaces or fades");
  EXPECT_EQ(ParseError({"--list-params", "--judge", "srgb"}),
            "--judge applies only when rendering");
}

// Every choice of the controls' table is an option taking its row's value
// names, each at its position; anything else, even given before a valid
// value, is refused with the names a user may give.
TEST(CommandLine, ChoicesTakeTheirRowsValueNames) {
  for (std::size_t c = 0; c < huesieve::kChoiceControls.size(); ++c) {
    const huesieve::ChoiceControl& control = *huesieve::kChoiceControls[c];
    SCOPED_TRACE(control.option_name);
    for (std::size_t v = 0; v < control.value_names.size(); ++v) {
      EXPECT_EQ(Parse({control.option_name, control.value_names[v], "a.exr", "b.exr"}).choices[c],
                static_cast<int>(v));
    }
    const std::string names = std::string(control.value_names[0]) + " or " + control.value_names[1];
    EXPECT_EQ(ParseError({control.option_name, "Bogus", control.option_name, control.value_names[0],
                          "a.exr", "b.exr"}),
              std::string(control.option_name) + " Bogus: " + names);
  }
}

// --entry's Range and Softness are checked against their rows' limits as
// CLI11 parses each value, before any other mistake on the line is looked at.
TEST(CommandLine, EntryFieldsTakeTheirRowsLimits) {
  const auto number = [](double value) {
    std::ostringstream text;
    text << value;
    return text.str();
  };
  for (const auto* slider : {&huesieve::kRange, &huesieve::kSoftness}) {
    SCOPED_TRACE(slider->argument_name);
    const huesieve::ControlLimits& limits = slider->after_effects;
    const auto entry = [&](double value) {
      return slider == &huesieve::kRange ? "3:0A0B0C:" + number(value) + ":0"
                                         : "3:0A0B0C:5:" + number(value);
    };
    for (const double value : {limits.min, limits.max}) {
      const std::string text = entry(value);
      EXPECT_EQ(Parse({"--entry", text.c_str(), "a.png", "b.png"}).entries.size(), 1u);
    }
    const std::string outside = " is outside " + number(limits.min) + " to " + number(limits.max);
    for (const double value : {limits.min - 0.5, limits.max + 0.5}) {
      const std::string text = entry(value);
      EXPECT_EQ(ParseError({"--bogus", "--entry", text.c_str(), "a.png", "b.png"}),
                "--entry " + text + ": " + slider->argument_name + " " + number(value) + outside);
    }
  }
  EXPECT_EQ(
      ParseError({"--entry", "1:FF0000:5:0", "--entry", "11:FF0000:5:0:off", "a.png", "b.png"}),
      "--entry 11:FF0000:5:0:off: the effect has colour entries 1 to " +
          std::to_string(huesieve::kColourEntryCount));
}

// The help's limits, defaults and choices are the controls' table's.
TEST(CommandLine, HelpPrintsTheTablesLimitsAndChoices) {
  const std::string help = huesieve::cli::UsageText();
  const auto number = [](double value) {
    std::ostringstream text;
    text << value;
    return text.str();
  };
  for (const auto* slider : {&huesieve::kRange, &huesieve::kSoftness}) {
    EXPECT_NE(
        help.find(std::string(slider->argument_name) + " (" + number(slider->after_effects.min) +
                  " to " + number(slider->after_effects.max) + ")"),
        std::string::npos)
        << slider->argument_name;
  }
  // The help's lines wrapped again as one.
  std::string flat;
  for (const char c : help) {
    if (c != ' ' && c != '\n') {
      flat += c;
    } else if (!flat.empty() && flat.back() != ' ') {
      flat += ' ';
    }
  }
  EXPECT_NE(flat.find("keep their defaults (" +
                      std::string(huesieve::kEnableColour.default_value ? "on" : "off") +
                      ", Range " + number(huesieve::kRange.default_value) + ")"),
            std::string::npos);
  for (const huesieve::ChoiceControl* choice : huesieve::kChoiceControls) {
    EXPECT_NE(help.find(std::string("  ") + choice->option_name + " " + choice->value_names[0] +
                        "|" + choice->value_names[1]),
              std::string::npos)
        << choice->option_name;
    EXPECT_NE(help.find(std::string("\"") + choice->label + "\": "), std::string::npos);
    EXPECT_NE(help.find(std::string("(default ") + choice->value_names[0] + ")"),
              std::string::npos);
  }
}

TEST(CommandLine, MistakesAreUsageErrors) {
  EXPECT_EQ(ParseError({}), "expected INPUT and OUTPUT");
  EXPECT_EQ(ParseError({"a.png"}), "expected INPUT and OUTPUT");
  EXPECT_EQ(ParseError({"a.png", "b.png", "c.png"}), "too many arguments: c.png");
  EXPECT_EQ(ParseError({"--frobnicate", "a.png", "b.png"}), "unknown option --frobnicate");
  EXPECT_EQ(ParseError({"a.png", "b.png", "--entry"}), "--entry needs a value");
  EXPECT_EQ(ParseError({"a.png", "b.png", "-j"}), "-j needs a value");
  EXPECT_EQ(ParseError({"--enable=yes", "a.png", "b.png"}), "--enable takes no value");
}

// Footage: sequences, ranges, raw streams, jobs, progress and the pixel limit.

TEST(FootageOptions, SequencesOnBothSidesWithARange) {
  const Options options = Parse({"--frames", "1001-1100", "shot.####.png", "key.%04d.png"});
  ASSERT_TRUE(options.input_frames.has_value());
  ASSERT_TRUE(options.output_frames.has_value());
  EXPECT_EQ(options.input_frames->Path(1001), "shot.1001.png");
  EXPECT_EQ(options.output_frames->Path(1100), "key.1100.png");
  ASSERT_TRUE(options.frames.has_value());
  EXPECT_EQ(options.frames->first, 1001u);
  EXPECT_EQ(options.frames->last, 1100u);
}

TEST(FootageOptions, RawStreamOfEitherDepth) {
  const Options eight = Parse({"--raw", "1920x1080", "-", "-"});
  ASSERT_TRUE(eight.raw.has_value());
  EXPECT_EQ(eight.raw->width, 1920u);
  EXPECT_EQ(eight.raw->height, 1080u);
  EXPECT_EQ(eight.raw_depth, 8);
  EXPECT_EQ(Parse({"--raw=4x2", "--raw-depth", "16", "in.raw", "-"}).raw_depth, 16);
}

TEST(FootageOptions, JobsQuietAndPixelLimit) {
  const Options defaults = Parse({"a.png", "b.png"});
  EXPECT_EQ(defaults.jobs, 0);
  EXPECT_FALSE(defaults.quiet);
  EXPECT_EQ(defaults.max_pixels, 268435456u);
  const Options set = Parse({"-j", "3", "-q", "--max-pixels=1000", "a.png", "b.png"});
  EXPECT_EQ(set.jobs, 3);
  EXPECT_TRUE(set.quiet);
  EXPECT_EQ(set.max_pixels, 1000u);
  EXPECT_EQ(Parse({"--jobs=2", "--quiet", "a.png", "b.png"}).jobs, 2);
  EXPECT_EQ(defaults.threads, 0);
  EXPECT_EQ(Parse({"--threads", "4", "-j", "2", "a.png", "b.png"}).threads, 4);
  EXPECT_EQ(Parse({"--threads=256", "a.png", "b.png"}).threads, 256);
}

struct Mistake {
  std::vector<const char*> args;
  const char* message;
};

void PrintTo(const Mistake& mistake, std::ostream* out) { *out << mistake.message; }

class FootageMistake : public ::testing::TestWithParam<Mistake> {};

TEST_P(FootageMistake, IsAUsageErrorSayingWhy) {
  EXPECT_EQ(ParseError(GetParam().args), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, FootageMistake,
    ::testing::Values(
        Mistake{{"in.png", "out.####.png"},
                "INPUT and OUTPUT must both be image sequences or both single images; "
                "out.####.png is a sequence"},
        Mistake{{"in.%04d.png", "out.png"},
                "INPUT and OUTPUT must both be image sequences or both single images; "
                "in.%04d.png is a sequence"},
        Mistake{{"--frames", "1-5", "in.png", "out.png"},
                "--frames needs INPUT and OUTPUT to be image sequences"},
        Mistake{{"--frames", "5-1", "a.#.png", "b.#.png"}, "--frames 5-1: FIRST is after LAST"},
        Mistake{{"--frames", "5", "a.#.png", "b.#.png"}, "--frames 5: expected FIRST-LAST"},
        Mistake{{"--frames", "1-x", "a.#.png", "b.#.png"},
                "--frames x: expected a whole number from 0 to 999999999999999999"},
        Mistake{{"a.%d.%d.png", "b.%d.png"}, "a.%d.%d.png: more than one frame field"},
        Mistake{{"--raw", "64x48", "a.#.png", "-"},
                "a.#.png: --raw reads and writes streams, not image sequences"},
        Mistake{{"--raw", "64x48", "--frames", "1-2", "-", "-"},
                "--frames applies to image sequences, not --raw"},
        Mistake{{"--raw", "64", "-", "-"}, "--raw 64: expected WIDTHxHEIGHT"},
        Mistake{{"--raw", "0x48", "-", "-"}, "--raw 0: expected a whole number from 1 to 1000000"},
        Mistake{{"--raw", "64x48", "--raw-depth", "12", "-", "-"}, "--raw-depth 12: 8 or 16"},
        Mistake{{"--raw-depth", "16", "a.png", "b.png"}, "--raw-depth needs --raw"},
        Mistake{{"-", "b.png"}, "- (standard input or output) needs --raw"},
        Mistake{{"a.png", "-"}, "- (standard input or output) needs --raw"},
        Mistake{{"--jobs", "0", "a.png", "b.png"},
                "--jobs 0: expected a whole number from 1 to 256"},
        Mistake{{"-j", "two", "a.png", "b.png"}, "-j two: expected a whole number from 1 to 256"},
        Mistake{{"--max-pixels", "-1", "a.png", "b.png"},
                "--max-pixels -1: expected a whole number from 1 to 1099511627776"},
        Mistake{{"--quiet=yes", "a.png", "b.png"}, "--quiet takes no value"},
        Mistake{{"--threads", "0", "a.png", "b.png"},
                "--threads 0: expected a whole number from 1 to 256"},
        Mistake{{"--threads", "257", "a.png", "b.png"},
                "--threads 257: expected a whole number from 1 to 256"},
        // Driving a built module is the test tool's (huesieve-module-render).
        Mistake{{"--module", "m.so", "a.png", "b.png"}, "unknown option --module"},
        Mistake{{"--version", "--threads", "2"}, "--threads applies only when rendering"},
        Mistake{{"--about", "--jobs", "2"}, "--jobs applies only when rendering"}));

TEST(FootageOptions, OutputTypeForImageFilesOnly) {
  EXPECT_EQ(Parse({"a.exr", "b.exr"}).output_type, std::nullopt);
  EXPECT_EQ(Parse({"--output-type", "half", "a.exr", "b.exr"}).output_type, OutputType::kHalf);
  EXPECT_EQ(Parse({"--output-type=uint16", "a.exr", "b.tif"}).output_type, OutputType::kUint16);
  EXPECT_EQ(ParseError({"--output-type", "double", "a.exr", "b.exr"}),
            "--output-type double: uint8, uint16, half or float");
  EXPECT_EQ(ParseError({"--raw", "4x4", "--output-type", "half", "-", "-"}),
            "--output-type applies to image files, not --raw");
}

TEST(FootageOptions, LayerForOpenExrFilesOnly) {
  EXPECT_EQ(Parse({"a.exr", "b.exr"}).layer, "");
  EXPECT_EQ(Parse({"--layer", "diffuse", "a.exr", "b.exr"}).layer, "diffuse");
  EXPECT_EQ(Parse({"--layer=any name", "a.exr", "b.exr"}).layer, "any name");
  EXPECT_EQ(ParseError({"--layer", "", "a.exr", "b.exr"}), "--layer needs a layer's name");
  EXPECT_EQ(ParseError({"--raw", "4x4", "--layer", "diffuse", "-", "-"}),
            "--layer applies to OpenEXR files, not --raw");
}

}  // namespace
