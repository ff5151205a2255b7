// Where the built tool writes: into devices and FIFOs as they are, through
// symbolic links onto the file they lead to, never over its own input, and
// nothing left behind when a signal stops it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/png_fixtures.h"
#include "tests/cli/tool_runner.h"

namespace {

namespace fs = std::filesystem;
using cli_test::Quote;
using cli_test::RunShell;
using cli_test::RunTool;
using cli_test::ToolCommand;
using cli_test::ToolResult;
using cli_test::Image;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// A key that clears the blue pixels and marks the red one.
const Image kInput{3, 1, 8, {219, 41, 36, 255, 0, 0, 255, 255, 0, 0, 250, 255}};
const std::vector<std::string> kKey = {"--enable", "--entry", "1:DB2924:20:0"};

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// Every output is checked against the same key rendered into a plain new
// file elsewhere.
class OutputCli : public ::testing::Test {
 protected:
  void SetUp() override {
    cli_test::WritePng(Path("in.png"), kInput);
    const std::string reference = (reference_dir_ / "out.png").string();
    ASSERT_EQ(RunTool(With(kKey, {Path("in.png"), reference})).status, 0);
    rendered_ = cli_test::ReadPng(reference).rgba;
    ASSERT_NE(rendered_, kInput.rgba);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::vector<std::uint16_t> Rgba(const std::string& name) const {
    return cli_test::ReadPng(Path(name)).rgba;
  }
  std::string In(const std::string& command) const {
    return "cd " + Quote(dir_.path().string()) + " && " + command;
  }
  cli_test::ScratchDir dir_;
  cli_test::ScratchDir reference_dir_;
  std::vector<std::uint16_t> rendered_;
};

TEST_F(OutputCli, ImageIntoAFifoReachesTheProcessReadingIt) {
  const ToolResult result =
      RunShell(In("mkfifo out.png && { cat out.png >received.png & } && " +
                  ToolCommand(With(kKey, {"in.png", "out.png"})) + " && wait"));
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Rgba("received.png"), rendered_);
  EXPECT_TRUE(fs::is_fifo(dir_ / "out.png"));
  EXPECT_THAT(dir_.Names(), ElementsAre("in.png", "out.png", "received.png"));
}

// A new file gets what a plain create gives under the run's umask, sequence
// frames written by parallel jobs too.
TEST_F(OutputCli, NewFilesTakeTheUmasksMode) {
  const ToolResult result = RunShell(In(
      "cp in.png in.0001.png && cp in.png in.0002.png && cp in.png in.0003.png && umask 027 && " +
      ToolCommand(With(kKey, {"-j", "3", "in.####.png", "out.####.png"}))));
  ASSERT_EQ(result.status, 0) << result.err;
  for (const char* name : {"out.0001.png", "out.0002.png", "out.0003.png"}) {
    EXPECT_EQ(fs::status(dir_ / name).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)
        << name;
  }
}

TEST_F(OutputCli, IntoADeviceTheDeviceStays) {
  cli_test::WriteBytes(dir_ / "in.raw", {kInput.rgba.begin(), kInput.rgba.end()});
  const ToolResult raw = RunTool(With(kKey, {"--raw", "3x1", Path("in.raw"), "/dev/null"}));
  fs::create_symlink("/dev/null", dir_ / "out.exr");
  const ToolResult image = RunTool(With(kKey, {Path("in.png"), Path("out.exr")}));
  ASSERT_EQ(raw.status, 0) << raw.err;
  ASSERT_EQ(image.status, 0) << image.err;
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "out.exr"));
}

// /dev/stdout on a pipe is a link whose text names no file.
TEST_F(OutputCli, RawStreamIntoStandardOutputByItsDeviceName) {
  cli_test::WriteBytes(dir_ / "in.raw", {kInput.rgba.begin(), kInput.rgba.end()});
  const ToolResult result =
      RunShell(In(ToolCommand(With(kKey, {"--raw", "3x1", "in.raw", "/dev/stdout"})) + " | cat"));
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_THAT(std::vector<std::uint8_t>(result.out.begin(), result.out.end()),
              ElementsAreArray(rendered_));
}

TEST_F(OutputCli, RawStreamIntoAFifoReachesTheProcessReadingIt) {
  cli_test::WriteBytes(dir_ / "in.raw", {kInput.rgba.begin(), kInput.rgba.end()});
  const ToolResult result =
      RunShell(In("mkfifo out.raw && { cat out.raw >received.raw & } && " +
                  ToolCommand(With(kKey, {"--raw", "3x1", "in.raw", "out.raw"})) + " && wait"));
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_THAT(cli_test::ReadBytes(dir_ / "received.raw"), ElementsAreArray(rendered_));
  EXPECT_TRUE(fs::is_fifo(dir_ / "out.raw"));
}

// Through a link the file it leads to is replaced, or made when missing, and
// the link keeps its text.
struct LinkCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> links;  // link, its text ("{dir}" expands)
  std::string output;                                      // what the tool is given
  std::string target;                                      // the file written
};

void PrintTo(const LinkCase& link_case, std::ostream* out) { *out << link_case.name; }

class OutputThroughLinks : public OutputCli, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(OutputThroughLinks, ReplaceTheFileTheyLeadToAndStay) {
  const LinkCase& c = GetParam();
  fs::create_directory(dir_ / "shots");
  cli_test::WriteBytes(dir_ / "shots" / "old.png", {'o', 'l', 'd'});
  fs::permissions(dir_ / "shots" / "old.png", fs::perms::owner_read | fs::perms::owner_write);
  std::vector<std::string> texts;
  for (const auto& [link, text] : c.links) {
    std::string expanded = text;
    if (expanded.starts_with("{dir}")) expanded.replace(0, 5, dir_.path().string());
    fs::create_symlink(expanded, dir_ / link);
    texts.push_back(expanded);
  }

  const ToolResult result = RunTool(With(kKey, {Path("in.png"), Path(c.output)}));

  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Rgba(c.target), rendered_);
  for (std::size_t i = 0; i < c.links.size(); ++i) {
    EXPECT_TRUE(fs::is_symlink(dir_ / c.links[i].first));
    EXPECT_EQ(fs::read_symlink(dir_ / c.links[i].first).string(), texts[i]);
  }
  if (c.target == "shots/old.png") {
    EXPECT_EQ(fs::status(dir_ / c.target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
  }
  for (const auto& entry : fs::directory_iterator(dir_ / "shots")) {
    EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputThroughLinks,
    ::testing::Values(
        LinkCase{"Relative", {{"out.png", "shots/old.png"}}, "out.png", "shots/old.png"},
        LinkCase{"Absolute", {{"out.png", "{dir}/shots/old.png"}}, "out.png", "shots/old.png"},
        LinkCase{"RelativeInAnotherDirectory",
                 {{"shots/link.png", "old.png"}},
                 "shots/link.png",
                 "shots/old.png"},
        LinkCase{"Chain",
                 {{"shots/second.png", "old.png"}, {"first.png", "shots/second.png"}},
                 "first.png",
                 "shots/old.png"},
        LinkCase{"ToAFileNotYetThere", {{"out.png", "shots/new.png"}}, "out.png", "shots/new.png"}),
    [](const ::testing::TestParamInfo<LinkCase>& param_info) {
      return std::string(param_info.param.name);
    });

// A sequence written onto itself, or onto another of its own frames, is
// refused before any frame is rendered.
TEST_F(OutputCli, SequenceOntoItsOwnFramesIsRefusedBeforeAnyWork) {
  for (const char* frame : {"in.0001.png", "in.0002.png"}) {
    cli_test::WritePng(Path(frame), kInput);
  }
  fs::create_hard_link(dir_ / "in.0002.png", dir_ / "out.0001.png");

  const ToolResult itself = RunTool(With(kKey, {Path("in.%04d.png"), Path("in.####.png")}));
  EXPECT_EQ(itself.status, 2);
  EXPECT_THAT(itself.err,
              ::testing::HasSubstr(Path("in.0001.png") + ": is the same file as the input " +
                                   Path("in.0001.png")));

  const ToolResult onto_another = RunTool(With(kKey, {Path("in.%04d.png"), Path("out.%04d.png")}));
  EXPECT_EQ(onto_another.status, 2);
  EXPECT_THAT(onto_another.err,
              ::testing::HasSubstr(Path("out.0001.png") + ": is the same file as the input " +
                                   Path("in.0002.png")));
  EXPECT_FALSE(fs::exists(dir_ / "out.0002.png"));
  EXPECT_EQ(Rgba("in.0001.png"), kInput.rgba);
  EXPECT_EQ(Rgba("in.0002.png"), kInput.rgba);
}

// A signal stops the run at once: frames finished stay, every temporary file
// goes, and the status is 128 plus the signal's number.
struct SignalCase {
  const char* name;
  int status;
};

class OutputOnSignal : public OutputCli, public ::testing::WithParamInterface<SignalCase> {};

// The stream's input is a FIFO kept open, so the tool is still writing its
// temporary file when the signal comes.
TEST_P(OutputOnSignal, RawStreamToAFileLeavesThePreviousFileAndNoTemporary) {
  cli_test::WriteBytes(dir_ / "out.raw", {'o', 'l', 'd'});
  const ToolResult result =
      RunShell(In("mkfifo in.fifo && { " + ToolCommand({"--raw", "2x2", "in.fifo", "out.raw"}) +
                  " & } && tool=$! && exec 3>in.fifo && head -c 48 /dev/zero >&3 && "
                  "until ls -A | grep -q '^\\.out\\.raw\\.'; do sleep 0.02; done && kill -" +
                  GetParam().name + " $tool; wait $tool; echo $?"));
  EXPECT_EQ(result.out, std::to_string(GetParam().status) + "\n") << result.err;
  EXPECT_THAT(dir_.Names(), ElementsAre("in.fifo", "in.png", "out.raw"));
  EXPECT_THAT(cli_test::ReadBytes(dir_ / "out.raw"), ElementsAre('o', 'l', 'd'));
}

// Frame 3 is a FIFO that no one writes, so the run waits there with frames 1
// and 2 written.
TEST_P(OutputOnSignal, SequenceKeepsTheFramesFinished) {
  for (const char* frame : {"in.0001.png", "in.0002.png"}) {
    cli_test::WritePng(Path(frame), kInput);
  }
  const ToolResult result =
      RunShell(In("mkfifo in.0003.png && { " +
                  ToolCommand(With(kKey, {"--jobs", "1", "in.%04d.png", "out.%04d.png"})) +
                  " & } && tool=$! && until [ -e out.0002.png ]; do sleep 0.02; done && kill -" +
                  GetParam().name + " $tool; wait $tool; echo $?"));
  EXPECT_EQ(result.out, std::to_string(GetParam().status) + "\n") << result.err;
  EXPECT_THAT(dir_.Names(), ElementsAre("in.0001.png", "in.0002.png", "in.0003.png", "in.png",
                                        "out.0001.png", "out.0002.png"));
  EXPECT_EQ(Rgba("out.0001.png"), rendered_);
  EXPECT_EQ(Rgba("out.0002.png"), rendered_);
}

INSTANTIATE_TEST_SUITE_P(Signals, OutputOnSignal,
                         ::testing::Values(SignalCase{"INT", 130}, SignalCase{"TERM", 143}),
                         [](const ::testing::TestParamInfo<SignalCase>& param_info) {
                           return std::string(param_info.param.name);
                         });

}  // namespace
