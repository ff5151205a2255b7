// The module test tool, huesieve-module-render, run as the tests that check a
// module build run it: the built After Effects module's About text, its
// parameters, its 16-bit scale, and the modules it must refuse.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <png.h>

#include <sstream>

#include "image/image_files.h"
#include "tests/cli/png_fixtures.h"
#include "tests/cli/tool_runner.h"

namespace {

using cli_test::RunCapturing;
using cli_test::ToolResult;
using ::testing::ElementsAre;
using ::testing::StartsWith;

ToolResult RunModuleTool(const std::vector<std::string>& args,
                         const std::filesystem::path& working_directory = {}) {
  return RunCapturing(HUESIEVE_MODULE_RENDER_PATH, args, working_directory);
}

class ModuleRenderCli : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // An RGBA PNG of one row of `samples`, at 8 or 16 bits.
  void Write(const std::string& name, int bit_depth, const std::vector<std::uint16_t>& samples) {
    cli_test::RawPng raw;
    raw.width = static_cast<std::uint32_t>(samples.size() / 4);
    raw.colour_type = PNG_COLOR_TYPE_RGBA;
    raw.bit_depth = bit_depth;
    for (const std::uint16_t sample : samples) {
      if (bit_depth == 16) raw.rows.push_back(static_cast<std::uint8_t>(sample >> 8));
      raw.rows.push_back(static_cast<std::uint8_t>(sample & 0xFF));
    }
    cli_test::WriteBytes(dir_ / name, cli_test::EncodePng(raw));
  }

  // The 16-bit samples of the first row of an image the tool wrote.
  std::vector<std::uint16_t> ReadRow16(const std::string& name) const {
    huesieve::image::FrameBuffer frame;
    huesieve::image::ReadImageFile(Path(name), 1 << 20, frame);
    EXPECT_EQ(frame.type(), huesieve::image::SampleType::kUint16);
    std::vector<std::uint16_t> samples(frame.width() * 4);
    std::memcpy(samples.data(), frame.Row(0), frame.row_bytes());
    return samples;
  }

  cli_test::ScratchDir dir_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The module's About text and the effect's, as huesieve-render prints it:
// the same words.
TEST_F(ModuleRenderCli, AboutIsTheEffectsText) {
  const ToolResult module = RunModuleTool({"--about", "--module", HUESIEVE_MODULE_PATH});
  EXPECT_EQ(module.status, 0) << module.err;
  EXPECT_EQ(module.err, "");
  EXPECT_EQ(module.out, cli_test::RunTool({"--about"}).out);
}

TEST_F(ModuleRenderCli, ListParamsShowsEverySlotAsRegistered) {
  const ToolResult result = RunModuleTool({"--list-params", "--module", HUESIEVE_MODULE_PATH});
  ASSERT_EQ(result.status, 0) << result.err;
  const std::vector<std::string> lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 62u);
  EXPECT_EQ(lines[0], "0   -   layer         (input layer)    -           -");
  EXPECT_EQ(lines[1], "1   1   checkbox      \"Enable Effect\"  -           off");
  EXPECT_EQ(lines[2], "2   2   group-start   \"Color 1\"        -           -");
  EXPECT_EQ(lines[3], "3   3   checkbox      \"Enable color\"   -           off");
  EXPECT_EQ(lines[4], "4   4   color         \"Color\"          -           FFFFFF alpha 255");
  EXPECT_EQ(lines[5], "5   5   float-slider  \"Range\"          1 to 128    0");
  EXPECT_EQ(lines[6], "6   6   float-slider  \"Softness\"       0 to 100    0");
  EXPECT_EQ(lines[7], "7   7   group-end     \"\"               -           -");
  EXPECT_EQ(lines[56], "56  56  group-start   \"Color 10\"       -           -");
  EXPECT_EQ(lines[61], "61  61  group-end     \"\"               -           -");
}

TEST_F(ModuleRenderCli, ModuleGivenByBareFileNameIsLoadedFromTheWorkingDirectory) {
  std::filesystem::copy_file(HUESIEVE_MODULE_PATH, dir_ / "Copy.so");
  const ToolResult result = RunModuleTool({"--module", "Copy.so", "--about"}, dir_.path());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_THAT(result.out, StartsWith("Huesieve v1.0\n"));
}

// 16-bit samples go to the host's scale of 0 to 32768 and back: values
// between its 32769 levels come back as the nearest level. 12345 is host
// 6173 (6172.59), which is 12346 (12345.81) in the file; 1 is host 1
// (0.50001), which is 2; 65534 is host 32767, which is 65533 (65533.00002).
TEST_F(ModuleRenderCli, SixteenBitRoundsToTheHostsScale) {
  Write("in.png", 16, {12345, 1, 65534, 65535});
  const ToolResult result =
      RunModuleTool({"--module", HUESIEVE_MODULE_PATH, Path("in.png"), Path("out.png")});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_THAT(ReadRow16("out.png"), ElementsAre(12346, 2, 65533, 65535));
}

// Errors: a one-line message naming the culprit, the right status, no output.

struct ErrorCase {
  const char* name;
  std::vector<std::string> args;  // "{dir}" is the scratch directory, "{out}" the output
  int status;
  std::string message;  // stderr's line, "{dir}"/"{out}" as above
};

void PrintTo(const ErrorCase& error_case, std::ostream* out) { *out << error_case.name; }

class ModuleRenderCliErrors : public ModuleRenderCli,
                              public ::testing::WithParamInterface<ErrorCase> {
 protected:
  void SetUp() override {
    Write("good.png", 8, std::vector<std::uint16_t>(16, 200));
    Write("good16.png", 16, std::vector<std::uint16_t>(16, 40000));
  }

  std::string Substitute(std::string text) const {
    for (const auto& [token, value] :
         {std::pair<std::string, std::string>{"{out}", Path("out.png")}, {"{dir}", Path("")}}) {
      for (std::size_t at; (at = text.find(token)) != std::string::npos;) {
        text.replace(at, token.size(), value);
      }
    }
    return text;
  }
};

TEST_P(ModuleRenderCliErrors, ReportsAndLeavesNoOutput) {
  const ErrorCase& c = GetParam();
  std::vector<std::string> args;
  for (const std::string& arg : c.args) args.push_back(Substitute(arg));
  const std::vector<std::string> before = dir_.Names();

  const ToolResult result = RunModuleTool(args);

  EXPECT_EQ(result.status, c.status);
  EXPECT_EQ(result.err, Substitute(c.message) + "\n");
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(dir_.Names(), before);  // no output, no temporary file
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModuleRenderCliErrors,
    ::testing::Values(
        ErrorCase{"ModuleMissing",
                  {"--module", "{dir}no.so", "{dir}good.png", "{out}"},
                  1,
                  "huesieve-module-render: cannot load module {dir}no.so: {dir}no.so: cannot "
                  "open shared object file: No such file or directory"},
        ErrorCase{"NotAModule",
                  {"--module", NOT_A_MODULE_PATH, "{dir}good.png", "{out}"},
                  1,
                  std::string("huesieve-module-render: module ") + NOT_A_MODULE_PATH +
                      " does not export EffectMain"},
        ErrorCase{"ModuleFailsToRender",
                  {"--enable", "--module", FAILING_MODULE_PATH, "{dir}good.png", "{out}"},
                  1,
                  std::string("huesieve-module-render: module ") + FAILING_MODULE_PATH +
                      " failed to render {dir}good.png: host error code 33"},
        ErrorCase{"ModuleWithoutSixteenBitFlag",
                  {"--module", FAILING_MODULE_PATH, "{dir}good16.png", "{out}"},
                  1,
                  std::string("huesieve-module-render: {dir}good16.png: 16-bit image, but "
                              "module ") +
                      FAILING_MODULE_PATH + " does not declare 16-bit rendering (flag 0x02000000)"},
        ErrorCase{"NoModule",
                  {"{dir}good.png", "{out}"},
                  2,
                  "huesieve-module-render: --module PATH is required"},
        ErrorCase{
            "MalformedEntry",
            {"--module", HUESIEVE_MODULE_PATH, "--entry", "1:FF000:10:0", "{dir}good.png", "{out}"},
            2,
            "huesieve-module-render: --entry 1:FF000:10:0: the colour must be six "
            "hexadecimal digits, RRGGBB"}),
    [](const ::testing::TestParamInfo<ErrorCase>& param_info) {
      return std::string(param_info.param.name);
    });

}  // namespace
