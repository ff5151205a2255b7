// The built tool, run as a user runs it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <png.h>

#include <fstream>
#include <sstream>

#include "tests/cli/png_fixtures.h"
#include "tests/cli/tool_runner.h"

namespace {

using cli_test::RunTool;
using cli_test::ToolResult;
using cli_test::Image;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class RenderCli : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  std::string Write(const std::string& name, const Image& image) const {
    cli_test::WritePng(Path(name), image);
    return Path(name);
  }

  Image Read(const std::string& name) const { return cli_test::ReadPng(Path(name)); }

  // The IHDR bit depth and colour type of a file the tool wrote.
  std::pair<int, int> Format(const std::string& name) const {
    const std::vector<std::uint8_t> bytes = cli_test::ReadBytes(dir_ / name);
    return {bytes.at(24), bytes.at(25)};
  }

  cli_test::ScratchDir dir_;
};

TEST_F(RenderCli, HelpShowsUsageWithAnExample) {
  for (const char* flag : {"--help", "-h"}) {
    const ToolResult result = RunTool({flag});
    EXPECT_EQ(result.status, 0);
    EXPECT_THAT(result.out, StartsWith("Usage: huesieve-render [options] INPUT OUTPUT"));
    EXPECT_THAT(result.out, HasSubstr("huesieve-render [--settings FILE] [options] INPUT OUTPUT"));
    EXPECT_THAT(result.out, HasSubstr("Example"));
    EXPECT_THAT(result.out, HasSubstr("--entry K:RRGGBB:RANGE:SOFTNESS[:off]"));
    EXPECT_THAT(result.out, HasSubstr("--max-pixels N        refuse images of more than N pixels "
                                      "(default 268435456,"));
  }
}

// The lines of the usage block of docs/huesieve-render.md.
std::vector<std::string> DocumentedUsage() {
  std::ifstream doc(HUESIEVE_RENDER_DOC);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(doc, line) && line != "## Usage") {
  }
  std::getline(doc, line);
  std::getline(doc, line);
  while (std::getline(doc, line) && line != "```") lines.push_back(line);
  return lines;
}

TEST_F(RenderCli, HelpShowsEveryUsageLineOfTheDocs) {
  const std::vector<std::string> documented = DocumentedUsage();
  ASSERT_EQ(documented.size(), 5u);
  const ToolResult result = RunTool({"--help"});
  for (const std::string& line : documented) EXPECT_THAT(result.out, HasSubstr(line));
  EXPECT_THAT(result.out, HasSubstr("at most 1099511627776, 2^40"));
}

TEST_F(RenderCli, VersionIsPrinted) {
  const ToolResult result = RunTool({"--version"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "huesieve-render 1.0.0\n");
}

TEST_F(RenderCli, AboutPrintsTheEffectsText) {
  const ToolResult result = RunTool({"--about"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "Huesieve v1.0\n\n\nCopyright 2026 Quorvel VFX.\nhttps://quorvelvfx.com\n");
  EXPECT_EQ(result.err, "");
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The controls as the effect's table has them, each host's limits where
// they differ.
TEST_F(RenderCli, ListParamsShowsTheEffectsControls) {
  const ToolResult result = RunTool({"--list-params"});
  ASSERT_EQ(result.status, 0);
  const std::vector<std::string> lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 53u);
  EXPECT_EQ(lines[0], "enable          checkbox  \"Enable Effect\"    -                             off");
  EXPECT_EQ(lines[1], "entry1          group     \"Color 1\"          -                             -");
  EXPECT_EQ(lines[2], "enable1         checkbox  \"Enable color\"     -                             off");
  EXPECT_EQ(lines[3], "color1          color     \"Color\"            -                             FFFFFF");
  EXPECT_EQ(lines[4], "range1          slider    \"Range\"            1 to 128 (OpenFX 0 to 128)    0");
  EXPECT_EQ(lines[5], "softness1       slider    \"Softness\"         0 to 100                      0");
  EXPECT_EQ(lines[50], "softness10      slider    \"Softness\"         0 to 100                      0");
  EXPECT_EQ(lines[51], "judgeColours    choice    \"Judge colours\"    stored or srgb                stored");
  EXPECT_EQ(lines[52], "featheredAlpha  choice    \"Feathered alpha\"  replaces or fades             replaces");
}

// Without --enable the output is the input: every pixel comes back.
TEST_F(RenderCli, EightBitBypassReturnsTheInput) {
  const std::vector<std::uint16_t> pixels = {0,   0, 0, 0,   255, 255, 255, 255,
                                             1,   2, 3, 4,   200, 100, 50,  128,
                                             255, 0, 0, 255, 9,   99,  199, 254};
  Write("in.png", {3, 2, 8, pixels});
  const ToolResult result = RunTool({Path("in.png"), Path("out.png")});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const Image out = Read("out.png");
  EXPECT_EQ(out.width, 3u);
  EXPECT_EQ(out.height, 2u);
  EXPECT_THAT(out.rgba, ElementsAreArray(pixels));
  EXPECT_EQ(Format("out.png"), std::make_pair(8, PNG_COLOR_TYPE_RGBA));
}

// At 16 bits every sample comes back as it was: the core renders the whole
// 16-bit scale.
TEST_F(RenderCli, SixteenBitBypassReturnsEverySample) {
  const std::vector<std::uint16_t> pixels = {0,     1,     12345, 32768, 39999, 64249,
                                             65534, 65535, 65535, 0,     2,     28210};
  Write("in.png", {1, 3, 16, pixels});
  const ToolResult result = RunTool({Path("in.png"), Path("out.png")});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_THAT(Read("out.png").rgba, ElementsAreArray(pixels));
  EXPECT_EQ(Format("out.png"), std::make_pair(16, PNG_COLOR_TYPE_RGBA));
}

TEST_F(RenderCli, PaletteInputComesOutAsEightBitRgba) {
  cli_test::RawPng raw;
  raw.width = 2;
  raw.colour_type = PNG_COLOR_TYPE_PALETTE;
  raw.bit_depth = 1;
  raw.rows = {0b0100'0000};
  raw.palette = {10, 20, 30, 40, 50, 60};
  raw.palette_alpha = {7};
  cli_test::WriteBytes(dir_ / "in.png", cli_test::EncodePng(raw));
  ASSERT_EQ(RunTool({Path("in.png"), Path("out.png")}).status, 0);
  EXPECT_THAT(Read("out.png").rgba, ElementsAre(10, 20, 30, 7, 40, 50, 60, 255));
  EXPECT_EQ(Format("out.png"), std::make_pair(8, PNG_COLOR_TYPE_RGBA));
}

// Entry 1 at colour 250, 10, 0 with Range 25 and Softness 30. A 5 × 4 frame of
// blue, with pure red at columns 1 and 2 of rows 1 and 2, except the entry's
// own colour at column 2, row 2 (alpha 128).
//
// Pure red lies at distance 21.7715 from the entry: ratio 87.09 ≥ 70, in the
// feather band of width 7.5, so its alpha becomes (25 - 21.7715) / 7.5 × 255,
// 109 after truncation. The entry's own colour lies at distance 0, inside the
// band's inner edge: unchanged. Blue is far away: transparent black.
// Claimed: columns 1 to 2, rows 1 to 2, so the bounds are left 1, top 1,
// right 3, bottom 3 and opaque red markers land at (1, 1), (1, 3), (3, 1)
// and (3, 3), the first over a claimed pixel.
TEST_F(RenderCli, EightBitIsolationMatchesValuesWorkedByHand) {
  std::vector<std::uint16_t> pixels;
  for (int i = 0; i < 20; ++i) pixels.insert(pixels.end(), {0, 0, 255, 255});
  Image image{5, 4, 8, pixels};
  for (auto [column, row] : {std::pair{1u, 1u}, {2u, 1u}, {1u, 2u}}) {
    std::copy_n(std::begin({255, 0, 0, 255}), 4, &image.rgba[image.Index(column, row)]);
  }
  std::copy_n(std::begin({250, 10, 0, 128}), 4, &image.rgba[image.Index(2, 2)]);
  Write("in.png", image);

  const ToolResult result =
      RunTool({"--enable", "--entry", "1:FA0A00:25:30", Path("in.png"), Path("out.png")});
  ASSERT_EQ(result.status, 0) << result.err;
  // clang-format off: one row of the frame a line
  const std::vector<std::uint16_t> expected = {
      0, 0, 0, 0, 0,   0, 0, 0,   0,   0,  0, 0,   0,   0, 0, 0,   0, 0, 0, 0,
      0, 0, 0, 0, 255, 0, 0, 255, 255, 0,  0, 109, 255, 0, 0, 255, 0, 0, 0, 0,
      0, 0, 0, 0, 255, 0, 0, 109, 250, 10, 0, 128, 0,   0, 0, 0,   0, 0, 0, 0,
      0, 0, 0, 0, 255, 0, 0, 255, 0,   0,  0, 0,   255, 0, 0, 255, 0, 0, 0, 0,
  };
  // clang-format on
  EXPECT_THAT(Read("out.png").rgba, ElementsAreArray(expected));
}

// The same frame at 16 bits, full at 65535. Pure red 65535, 0, 0 is 255, 0, 0
// on the 8-bit scale of the distance: the same 21.7715, and the ramp over
// 65535 gives alpha (25 - 21.7715) / 7.5 × 65535 = 28210.3, 28210 after
// truncation. The entry's own colour is 64250, 2570, 0 (250, 10, 0 at 8 bits:
// (64250 + 128) / 257 = 250.5 and (2570 + 128) / 257 = 10.5, truncated) with
// alpha 40000, kept as it is. Markers are 65535, 0, 0, 65535.
TEST_F(RenderCli, SixteenBitIsolationMatchesValuesWorkedByHand) {
  std::vector<std::uint16_t> pixels;
  for (int i = 0; i < 20; ++i) pixels.insert(pixels.end(), {0, 0, 65535, 65535});
  Image image{5, 4, 16, pixels};
  for (auto [column, row] : {std::pair{1u, 1u}, {2u, 1u}, {1u, 2u}}) {
    std::copy_n(std::begin({65535, 0, 0, 65535}), 4, &image.rgba[image.Index(column, row)]);
  }
  std::copy_n(std::begin({64250, 2570, 0, 40000}), 4, &image.rgba[image.Index(2, 2)]);
  Write("in.png", image);

  const ToolResult result =
      RunTool({"--enable", "--entry", "1:FA0A00:25:30", Path("in.png"), Path("out.png")});
  ASSERT_EQ(result.status, 0) << result.err;
  // clang-format off: one row of the frame a line
  const std::vector<std::uint16_t> expected = {
      0, 0, 0, 0, 0,     0, 0, 0,     0,     0,    0, 0,     0,     0, 0, 0,     0, 0, 0, 0,
      0, 0, 0, 0, 65535, 0, 0, 65535, 65535, 0,    0, 28210, 65535, 0, 0, 65535, 0, 0, 0, 0,
      0, 0, 0, 0, 65535, 0, 0, 28210, 64250, 2570, 0, 40000, 0,     0, 0, 0,     0, 0, 0, 0,
      0, 0, 0, 0, 65535, 0, 0, 65535, 0,     0,    0, 0,     65535, 0, 0, 65535, 0, 0, 0, 0,
  };
  // clang-format on
  EXPECT_THAT(Read("out.png").rgba, ElementsAreArray(expected));
  EXPECT_EQ(Format("out.png"), std::make_pair(16, PNG_COLOR_TYPE_RGBA));
}

// A disabled entry claims and clears: the red pixel is cleared by entry 1
// before entry 2 could keep it, yet it still counts for the bounds, so the
// markers surround it.
// A key that claims nothing clears everything, and the four markers of the
// empty selection fall on the 2 x 2 block at the top left.
TEST_F(RenderCli, EmptyKeyMarksATwoByTwoBlockAtTheTopLeft) {
  Write("in.png", {3, 3, 8, std::vector<std::uint16_t>(36, 200)});
  ASSERT_EQ(RunTool({"--enable", Path("in.png"), Path("out.png")}).status, 0);
  // clang-format off: one row of the frame a line
  EXPECT_THAT(Read("out.png").rgba, ElementsAreArray<std::uint16_t>({
      255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 0, 0,
      255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 0, 0,
      0,   0, 0, 0,   0,   0, 0, 0,   0, 0, 0, 0}));
  // clang-format on
}

TEST_F(RenderCli, DisabledEntryClearsWhatItClaims) {
  Write("in.png", {3, 1, 8, {255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255}});
  const ToolResult result = RunTool({"--enable", "--entry", "1:FF0000:10:0:off", "--entry",
                                     "2:FF0000:10:0", Path("in.png"), Path("out.png")});
  ASSERT_EQ(result.status, 0) << result.err;
  // Bounds left 0, top 0, right 1, bottom 1: markers at (0, 0) and (1, 0);
  // the two in row 1 fall outside this one-row frame.
  EXPECT_THAT(Read("out.png").rgba, ElementsAre(255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 0, 0));
}

// A settings file renders as the same entries given with --entry; an entry
// left at Range 0 claims nothing, and --entry replaces the file's entry.
TEST_F(RenderCli, SettingsFileRendersAsTheSameEntries) {
  Write("in.png", {4, 1, 8, {255, 0, 0, 255, 250, 10, 0, 200, 0, 255, 0, 128, 0, 0, 255, 255}});
  const std::string settings =
      R"({"enable": true, "entries": [
           {"enabled": true, "color": "#FA0A00", "range": 25, "softness": 30},
           {"enabled": true, "color": "#00FF00", "range": 0, "softness": 0},
           {"enabled": false, "color": "#0000FF", "range": 12.3, "softness": 0}]})";
  cli_test::WriteBytes(dir_ / "key.json", {settings.begin(), settings.end()});

  const ToolResult from_file =
      RunTool({"--settings", Path("key.json"), Path("in.png"), Path("file.png")});
  const ToolResult from_entries = RunTool({"--enable", "--entry", "1:FA0A00:25:30", "--entry",
                                           "3:0000FF:12.3:0:off", Path("in.png"), Path("cli.png")});
  const ToolResult overridden = RunTool({"--settings", Path("key.json"), "--entry", "2:00FF00:10:0",
                                         Path("in.png"), Path("over.png")});

  ASSERT_EQ(from_file.status, 0) << from_file.err;
  ASSERT_EQ(from_entries.status, 0) << from_entries.err;
  ASSERT_EQ(overridden.status, 0) << overridden.err;
  EXPECT_EQ(Read("file.png").rgba, Read("cli.png").rgba);
  // Entry 1 keeps the two reds (the first under the top-left marker); the
  // green stays unclaimed until --entry 2 claims it; entry 3 clears the blue.
  EXPECT_THAT(Read("file.png").rgba,
              ElementsAre(255, 0, 0, 255, 250, 10, 0, 200, 0, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_THAT(Read("over.png").rgba,
              ElementsAre(255, 0, 0, 255, 250, 10, 0, 200, 0, 255, 0, 128, 0, 0, 0, 0));
}

// Judged sRGB-encoded, a grey of 128 is judged as 188 (255 × E(128 / 255) is
// 187.84): an entry of exactly that colour and a Range of 1 keeps it, and
// as stored the same entry clears it. Its samples come out as they went in.
TEST_F(RenderCli, JudgedSrgbEncodedTheEntryMeetsTheEncodedColour) {
  Write("in.png", {2, 1, 8, {128, 128, 128, 255, 128, 128, 128, 90}});
  const std::vector<std::string> key = {"--enable", "--entry", "1:BCBCBC:1:0", Path("in.png")};
  auto run = [&](std::vector<std::string> args, const char* out) {
    args.insert(args.end(), key.begin(), key.end());
    args.push_back(Path(out));
    const ToolResult result = RunTool(args);
    EXPECT_EQ(result.status, 0) << result.err;
  };
  run({"--judge", "srgb"}, "srgb.png");
  run({"--judge=stored"}, "stored.png");
  // Claimed, the row's bounds put one marker in the frame, at (0, 0); as
  // stored nothing is claimed and the empty selection's block covers both.
  EXPECT_THAT(Read("srgb.png").rgba, ElementsAre(255, 0, 0, 255, 128, 128, 128, 90));
  EXPECT_THAT(Read("stored.png").rgba, ElementsAre(255, 0, 0, 255, 255, 0, 0, 255));
  const std::string settings =
      R"({"enable": true, "judge": "srgb", "entries": [
           {"enabled": true, "color": "#BCBCBC", "range": 1, "softness": 0}]})";
  cli_test::WriteBytes(dir_ / "key.json", {settings.begin(), settings.end()});
  ASSERT_EQ(RunTool({"--settings", Path("key.json"), Path("in.png"), Path("file.png")}).status, 0);
  EXPECT_EQ(Read("file.png").rgba, Read("srgb.png").rgba);
  // A frame whose only claimed pixel lies away from the top-left block.
  Write("row.png", {4, 2, 8, {0, 0, 0, 255, 0, 0, 0, 255, 128, 128, 128, 77, 0, 0, 0, 255,
                              0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255}});
  ASSERT_EQ(RunTool({"--enable", "--judge", "srgb", "--entry", "1:BCBCBC:1:0", Path("row.png"),
                     Path("row-srgb.png")})
                .status,
            0);
  ASSERT_EQ(RunTool({"--enable", "--entry", "1:BCBCBC:1:0", Path("row.png"),
                     Path("row-stored.png")})
                .status,
            0);
  // Claimed (2, 0): markers at (2, 0), (3, 0), (2, 1) and (3, 1), the first
  // over the claimed pixel. Judged as stored nothing is claimed and the
  // markers take the top-left block.
  EXPECT_THAT(Read("row-srgb.png").rgba,
              ElementsAre(0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255,  //
                          0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255));
  EXPECT_THAT(Read("row-stored.png").rgba,
              ElementsAre(255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0,  //
                          255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0));
}

// A straight pixel of alpha 0 in an entry's feather band: replacing gives it
// the ramp (full at the entry's own colour), fading keeps it transparent;
// and a half-transparent one fades to the ramp times its alpha.
TEST_F(RenderCli, AFadingFeatherNeverAddsOpacity) {
  // Columns 0 and 1 are the entry's colour (ramp 255), alpha 0 and 100; the
  // rest are far away and cleared, so the markers fall at columns 0 and 1.
  Write("in.png", {4, 3, 8, {200, 30, 20, 0,   200, 30, 20, 100, 0, 0, 255, 255, 0, 0, 255, 255,
                             200, 30, 20, 0,   200, 30, 20, 100, 0, 0, 255, 255, 0, 0, 255, 255,
                             0,   0,  255, 255, 0,  0,  255, 255, 0, 0, 255, 255, 0, 0, 255, 255}});
  for (const char* mode : {"replaces", "fades"}) {
    const ToolResult result =
        RunTool({"--enable", "--feathered-alpha", mode, "--entry", "1:C81E14:60:100",
                 Path("in.png"), Path(std::string(mode) + ".png")});
    ASSERT_EQ(result.status, 0) << result.err;
  }
  // Row 1, below the markers of rows 0 and 2: replaced, both opaque; faded,
  // each keeps its own alpha (the ramp is full at the entry's colour).
  const auto row1 = [&](const std::string& name) {
    const std::vector<std::uint16_t> all = Read(name).rgba;
    return std::vector<std::uint16_t>(all.begin() + 16, all.begin() + 24);
  };
  EXPECT_THAT(row1("replaces.png"), ElementsAre(200, 30, 20, 255, 200, 30, 20, 255));
  EXPECT_THAT(row1("fades.png"), ElementsAre(200, 30, 20, 0, 200, 30, 20, 100));
}

// Errors: a one-line message naming the culprit, the right status, no output.

struct ErrorCase {
  const char* name;
  std::vector<std::string> args;  // "{dir}" is the scratch directory, "{out}" the output
  int status;
  std::string message;  // the first line of stderr, "{dir}"/"{out}" as above
};

void PrintTo(const ErrorCase& error_case, std::ostream* out) { *out << error_case.name; }

class RenderCliErrors : public RenderCli, public ::testing::WithParamInterface<ErrorCase> {
 protected:
  void SetUp() override {
    Write("good.png", {2, 2, 8, std::vector<std::uint16_t>(16, 200)});
    const std::vector<std::uint8_t> good = cli_test::ReadBytes(dir_ / "good.png");
    cli_test::WriteBytes(dir_ / "truncated.png", {good.begin(), good.begin() + 50});
    const std::string text = "GIF89a, honestly";
    cli_test::WriteBytes(dir_ / "text.png", {text.begin(), text.end()});
    std::vector<std::uint8_t> damaged = good;
    damaged[20] ^= 0x01;  // IHDR height, CRC now wrong
    cli_test::WriteBytes(dir_ / "damaged.png", damaged);
    std::filesystem::create_directory(dir_ / "a-directory");
    std::filesystem::create_directory(dir_ / "a-directory.png");
    const std::string truncated_settings = R"({"enable": true, "entries": [)";
    cli_test::WriteBytes(dir_ / "truncated.json",
                         {truncated_settings.begin(), truncated_settings.end()});
    const std::string wide_settings =
        R"({"enable": true, "entries": [{"enabled": true, "color": "#FF0000", "range": 200,
            "softness": 0}]})";
    cli_test::WriteBytes(dir_ / "wide.json", {wide_settings.begin(), wide_settings.end()});
    const std::string huge_settings =
        R"({"enable": true, "entries": [{"enabled": true, "color": "#FF0000", "range": 1e400,
            "softness": 0}]})";
    cli_test::WriteBytes(dir_ / "huge.json", {huge_settings.begin(), huge_settings.end()});
    std::filesystem::create_hard_link(dir_ / "good.png", dir_ / "hard-link.png");
    std::filesystem::create_symlink("good.png", dir_ / "link.png");
  }

  std::string Substitute(std::string text) const {
    for (const auto& [token, value] :
         {std::pair<std::string, std::string>{"{out}", Path("out.png")},
          {"{dir}", Path("")},
          {"{good_bytes}", std::to_string(std::filesystem::file_size(dir_ / "good.png"))}}) {
      for (std::size_t at; (at = text.find(token)) != std::string::npos;) {
        text.replace(at, token.size(), value);
      }
    }
    return text;
  }
};

TEST_P(RenderCliErrors, ReportsAndLeavesNoOutput) {
  const ErrorCase& c = GetParam();
  std::vector<std::string> args;
  for (const std::string& arg : c.args) args.push_back(Substitute(arg));
  const std::vector<std::string> before = dir_.Names();

  const ToolResult result = RunTool(args);

  EXPECT_EQ(result.status, c.status);
  // The tool's one line; the PNG library may have said something before it.
  const std::size_t ours = result.err.find("huesieve-render: ");
  ASSERT_NE(ours, std::string::npos) << result.err;
  EXPECT_EQ(result.err.substr(ours, result.err.find('\n', ours) - ours), Substitute(c.message));
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(dir_.Names(), before);  // no output, no temporary file
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RenderCliErrors,
    ::testing::Values(
        ErrorCase{"MissingInput",
                  {"{dir}missing.png", "{out}"},
                  1,
                  "huesieve-render: {dir}missing.png: No such file or directory"},
        ErrorCase{"InputIsADirectory",
                  {"{dir}a-directory", "{out}"},
                  1,
                  "huesieve-render: {dir}a-directory: Is a directory"},
        ErrorCase{"NotAPng",
                  {"{dir}text.png", "{out}"},
                  1,
                  "huesieve-render: {dir}text.png: not a PNG file, nor one of the other formats "
                  "read (PNG, OpenEXR, TIFF, DPX, JPEG)"},
        ErrorCase{"CorruptPng",
                  {"{dir}damaged.png", "{out}"},
                  1,
                  "huesieve-render: {dir}damaged.png: IHDR: CRC error"},
        ErrorCase{"TruncatedPng",
                  {"{dir}truncated.png", "{out}"},
                  1,
                  "huesieve-render: {dir}truncated.png: file is truncated"},
        ErrorCase{"MalformedEntry",
                  {"--entry", "1:FF000:10:0", "{dir}good.png", "{out}"},
                  2,
                  "huesieve-render: --entry 1:FF000:10:0: the colour must be six hexadecimal "
                  "digits, RRGGBB"},
        ErrorCase{"RangeAboveItsLimit",
                  {"--entry", "1:FF0000:200:0", "{dir}good.png", "{out}"},
                  2,
                  "huesieve-render: --entry 1:FF0000:200:0: RANGE 200 is outside 1 to 128"},
        ErrorCase{"RangeBelowItsLimit",
                  {"--entry", "4:FF0000:0.5:0", "{dir}good.png", "{out}"},
                  2,
                  "huesieve-render: --entry 4:FF0000:0.5:0: RANGE 0.5 is outside 1 to 128"},
        ErrorCase{"SoftnessAboveItsLimit",
                  {"--enable", "--entry", "1:FF0000:20:100.5", "{dir}good.png", "{out}"},
                  2,
                  "huesieve-render: --entry 1:FF0000:20:100.5: SOFTNESS 100.5 is outside 0 to "
                  "100"},
        ErrorCase{"EntryNumberPastTheLast",
                  {"--entry", "11:FF0000:20:0", "{dir}good.png", "{out}"},
                  2,
                  "huesieve-render: --entry 11:FF0000:20:0: the effect has colour entries 1 "
                  "to 10"},
        ErrorCase{
            "RepeatedEntry",
            {"--entry", "3:FF0000:20:0", "--entry", "3:00FF00:20:0", "{dir}good.png", "{out}"},
            2,
            "huesieve-render: --entry 3:00FF00:20:0: entry 3 is given more than once"},
        ErrorCase{"SettingsFileMissing",
                  {"--settings", "{dir}missing.json", "{dir}good.png", "{out}"},
                  1,
                  "huesieve-render: {dir}missing.json: No such file or directory"},
        ErrorCase{"SettingsFileTruncated",
                  {"--settings", "{dir}truncated.json", "{dir}good.png", "{out}"},
                  2,
                  "huesieve-render: {dir}truncated.json: not valid JSON: parse error at line 1, "
                  "column 30: syntax error while parsing value - unexpected end of input; "
                  "expected '[', '{', or a literal"},
        ErrorCase{"SettingsRangeAboveItsLimit",
                  {"--settings", "{dir}wide.json", "{dir}good.png", "{out}"},
                  2,
                  "huesieve-render: {dir}wide.json: entry 1: RANGE 200 is outside 1 to 128"},
        ErrorCase{"SettingsNumberTooLarge",
                  {"--settings", "{dir}huge.json", "{dir}good.png", "{out}"},
                  2,
                  "huesieve-render: {dir}huge.json: the number 1e400 at line 1, column 77 is too "
                  "large"},
        ErrorCase{"OutputIsTheInput",
                  {"--enable", "{dir}good.png", "{dir}good.png"},
                  2,
                  "huesieve-render: {dir}good.png: is the same file as the input {dir}good.png; "
                  "the output must be another file"},
        ErrorCase{"OutputIsTheInputByAnotherPath",
                  {"{dir}good.png", "{dir}a-directory/../good.png"},
                  2,
                  "huesieve-render: {dir}a-directory/../good.png: is the same file as the input "
                  "{dir}good.png; the output must be another file"},
        ErrorCase{"OutputIsAHardLinkToTheInput",
                  {"{dir}good.png", "{dir}hard-link.png"},
                  2,
                  "huesieve-render: {dir}hard-link.png: is the same file as the input "
                  "{dir}good.png; the output must be another file"},
        ErrorCase{"OutputIsASymbolicLinkToTheInput",
                  {"{dir}good.png", "{dir}link.png"},
                  2,
                  "huesieve-render: {dir}link.png: is the same file as the input {dir}good.png; "
                  "the output must be another file"},
        ErrorCase{"RawOutputIsTheInput",
                  {"--raw", "2x2", "{dir}good.png", "{dir}link.png"},
                  2,
                  "huesieve-render: {dir}link.png: is the same file as the input {dir}good.png; "
                  "the output must be another file"},
        ErrorCase{"MissingOutput",
                  {"{dir}good.png"},
                  2,
                  "huesieve-render: expected INPUT and OUTPUT"},
        ErrorCase{"JpegOutput",
                  {"--enable", "{dir}good.png", "{dir}out.jpg"},
                  2,
                  "huesieve-render: {dir}out.jpg: the jpeg format cannot carry the alpha channel "
                  "the effect writes; write PNG, OpenEXR, TIFF or DPX"},
        ErrorCase{"OutputOfNoKnownFormat",
                  {"{dir}good.png", "{dir}out.txt"},
                  2,
                  "huesieve-render: {dir}out.txt: no image format is known by this file name's "
                  "extension"},
        ErrorCase{"UnknownOption",
                  {"--frobnicate", "{dir}good.png", "{out}"},
                  2,
                  "huesieve-render: unknown option --frobnicate"},
        ErrorCase{"OutputDirectoryMissing",
                  {"{dir}good.png", "{dir}no-such-dir/out.png"},
                  1,
                  "huesieve-render: {dir}no-such-dir/out.png: the folder {dir}no-such-dir cannot "
                  "be used: No such file or directory"},
        ErrorCase{"OutputFolderMissingBeforeTheInputIsRead",
                  {"{dir}missing.png", "{dir}no-such-dir/out.png"},
                  1,
                  "huesieve-render: {dir}no-such-dir/out.png: the folder {dir}no-such-dir cannot "
                  "be used: No such file or directory"},
        ErrorCase{"OutputFolderIsAFile",
                  {"{dir}good.png", "{dir}good.png/out.png"},
                  1,
                  "huesieve-render: {dir}good.png/out.png: {dir}good.png is not a folder"},
        ErrorCase{"RawFileOfNoWholeNumberOfFrames",
                  {"--raw", "3x3", "{dir}good.png", "{out}"},
                  1,
                  "huesieve-render: {dir}good.png: {good_bytes} bytes is not a whole number of "
                  "3x3 frames of 36 bytes; is --raw the stream's size?"},
        ErrorCase{"OutputIsADirectory",
                  {"{dir}good.png", "{dir}a-directory.png"},
                  1,
                  "huesieve-render: {dir}a-directory.png: Is a directory"}),
    [](const ::testing::TestParamInfo<ErrorCase>& param_info) {
      return std::string(param_info.param.name);
    });

TEST_F(RenderCli, UsageErrorsPointToHelp) {
  const ToolResult result = RunTool({});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err,
            "huesieve-render: expected INPUT and OUTPUT\nTry 'huesieve-render --help'.\n");
}

// A failed run leaves an existing output file as it was.
TEST_F(RenderCli, FailureKeepsThePreviousOutput) {
  cli_test::WriteBytes(dir_ / "out.png", {'o', 'l', 'd'});
  cli_test::WriteBytes(dir_ / "in.png", {0x89, 'P', 'N', 'G'});
  EXPECT_EQ(RunTool({Path("in.png"), Path("out.png")}).status, 1);
  EXPECT_THAT(cli_test::ReadBytes(dir_ / "out.png"), ElementsAre('o', 'l', 'd'));
}

TEST_F(RenderCli, SuccessReplacesThePreviousOutput) {
  cli_test::WriteBytes(dir_ / "out.png", {'o', 'l', 'd'});
  Write("in.png", {1, 1, 8, {1, 2, 3, 4}});
  ASSERT_EQ(RunTool({Path("in.png"), Path("out.png")}).status, 0);
  EXPECT_THAT(Read("out.png").rgba, ElementsAre(1, 2, 3, 4));
  EXPECT_THAT(dir_.Names(), ElementsAre("in.png", "out.png"));
}

}  // namespace
