// The built tool against the plain model of the effect (testing/reference/
// plain_effect.h), written from the description of the effect, on every
// format and data type the tool renders: random frames of odd sizes, partial
// alpha, straight and associated, random keys. Switched off, every sample
// comes back. And the tool, the OpenFX plug-in and the After Effects module
// give the same pixels where their formats meet.
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/cli/png_fixtures.h"
#include "tests/cli/tool_runner.h"
#include "testing/reference/plain_effect.h"

namespace {

using OIIO::TypeDesc;
using plain_reference::Picture;
using plain_reference::Pixel;
using plain_reference::Scale;

struct FileCase {
  const char* name;
  const char* extension;
  TypeDesc::BASETYPE type;
  int channels;
  int bits;           // oiio:BitsPerSample when not the type's own
  bool unassociated;  // written with straight alpha, where the format says
  Scale scale;        // at which the tool renders it
  bool premultiplied;
};

void PrintTo(const FileCase& file, std::ostream* out) { *out << file.name; }

// The image's samples as OpenImageIO reads them at the tool's type, RGBA, an
// image without alpha opaque.
Picture ReadPicture(const std::string& path, Scale scale, OIIO::ImageSpec* spec = nullptr) {
  OIIO::ImageSpec config;
  config.attribute("oiio:UnassociatedAlpha", 1);
  const std::unique_ptr<OIIO::ImageInput> input = OIIO::ImageInput::open(path, &config);
  EXPECT_TRUE(input) << OIIO::geterror();
  if (!input) return Picture(0, 0);
  if (spec != nullptr) *spec = input->spec();
  const int width = input->spec().width, height = input->spec().height;
  const int channels = input->spec().nchannels;
  std::vector<float> samples(std::size_t(width * height * channels));
  // Floats hold every 8 and 16-bit level; converted back to the level below.
  EXPECT_TRUE(input->read_image(0, 0, 0, channels, TypeDesc::FLOAT, samples.data()));
  const double full = plain_reference::Maximum(scale);
  const auto level = [&](float sample) {
    return scale == Scale::kFloat ? double(sample) : std::floor(double(sample) * full + 0.5);
  };
  Picture picture(width, height);
  for (int i = 0; i < width * height; ++i) {
    const float* at = &samples[std::size_t(i * channels)];
    picture.pixels[std::size_t(i)] = {channels > 3 ? level(at[3]) : full, level(at[0]),
                                      level(at[1]), level(at[2])};
  }
  return picture;
}

// Writes `picture` as OpenImageIO writes `spec`'s format and type, so that a
// picture compares with what the tool wrote after the same quantisation
// (half floats, 10-bit levels).
void WritePicture(const std::string& path, const Picture& picture, Scale scale,
                  OIIO::ImageSpec spec) {
  const double full = plain_reference::Maximum(scale);
  std::vector<float> samples;
  for (const Pixel& pixel : picture.pixels) {
    for (const double value : {pixel.red, pixel.green, pixel.blue, pixel.alpha}) {
      samples.push_back(float(value / full));
    }
  }
  spec.nchannels = 4;
  spec.alpha_channel = 3;
  spec.channelnames = {"R", "G", "B", "A"};
  const std::unique_ptr<OIIO::ImageOutput> output = OIIO::ImageOutput::create(path);
  ASSERT_TRUE(output && output->open(path, spec)) << OIIO::geterror();
  ASSERT_TRUE(output->write_image(TypeDesc::FLOAT, samples.data()));
  ASSERT_TRUE(output->close());
}

// A random key: most entries used, some switched off, whole-number Ranges
// often (they put distances exactly on a band's edges), Softness at its ends
// now and then.
struct Key {
  std::vector<plain_reference::Entry> entries = std::vector<plain_reference::Entry>(10);
  std::string json;
};

Key RandomKey(std::mt19937& random) {
  const auto uniform = [&](int low, int high) {
    return std::uniform_int_distribution(low, high)(random);
  };
  Key key;
  key.json = R"({"enable": true, "entries": [)";
  for (int k = 0; k < 10; ++k) {
    plain_reference::Entry& entry = key.entries[std::size_t(k)];
    const bool used = uniform(0, 2) != 0;
    const bool whole = uniform(0, 2) == 0;
    const std::string range = !used   ? "0"
                              : whole ? std::to_string(uniform(1, 40))
                                      : std::to_string(uniform(1, 127)) + "." +
                                            std::to_string(uniform(0, 99));
    const int softness_choice = uniform(0, 5);
    const std::string softness = softness_choice == 0 ? "0"
                                 : softness_choice == 1
                                     ? "100"
                                     : std::to_string(uniform(0, 99)) + "." +
                                           std::to_string(uniform(0, 99));
    entry = {uniform(0, 5) != 0,
             std::uint32_t(uniform(0, 255)),
             std::uint32_t(uniform(0, 255)),
             std::uint32_t(uniform(0, 255)),
             float(std::strtod(range.c_str(), nullptr)),
             float(std::strtod(softness.c_str(), nullptr))};
    char colour[8];
    std::snprintf(colour, sizeof colour, "%02X%02X%02X", entry.red, entry.green, entry.blue);
    key.json += std::string(k > 0 ? "," : "") + R"({"enabled": )" +
                (entry.enabled ? "true" : "false") + R"(, "color": ")" + colour +
                R"(", "range": )" + range + R"(, "softness": )" + softness + "}";
  }
  key.json += "]}";
  return key;
}

// A frame whose pixels lie mostly near the key's colours, so that claims,
// feathers and first-entry-wins all happen, with random alpha (premultiplied
// in associated files).
struct FrameSize {
  int width;
  int height;
};

// Of a random size unless `size` says.
void WriteRandomFrame(const std::string& path, const FileCase& file, const Key& key,
                      std::mt19937& random, std::optional<FrameSize> size = std::nullopt) {
  const auto uniform = [&](int low, int high) {
    return std::uniform_int_distribution(low, high)(random);
  };
  // Odd widths, multiples of 3: OpenImageIO 2.4 reads the last sample of a row
  // of 10-bit DPX RGBA as 0 unless the row's samples are a multiple of 3.
  if (!size) size = FrameSize{3 * (2 * uniform(0, 9) + 1), uniform(1, 37)};
  const auto [width, height] = *size;
  OIIO::ImageSpec spec(width, height, file.channels, file.type);
  if (file.bits != 0) spec.attribute("oiio:BitsPerSample", file.bits);
  if (file.unassociated) spec.attribute("oiio:UnassociatedAlpha", 1);
  std::vector<float> samples;
  for (int i = 0; i < width * height; ++i) {
    const plain_reference::Entry& near = key.entries[std::size_t(uniform(0, 9))];
    const int kind = uniform(0, 3);
    const float alpha =
        uniform(0, 3) == 0 ? 1.0f : float(uniform(0, 65535)) / 65535.0f;
    for (const std::uint32_t base : {near.red, near.green, near.blue}) {
      const int spread = kind == 0 ? 255 : 30;
      const int value = std::clamp(int(base) + uniform(-spread, spread), 0, 255);
      // A float sample on the level, or between levels where the file
      // holds more than 8 bits.
      const float straight = (float(value) + float(uniform(0, 99)) / 100.0f) / 255.0f;
      samples.push_back(file.premultiplied && file.channels == 4 ? straight * alpha : straight);
    }
    if (file.channels == 4) samples.push_back(alpha);
  }
  const std::unique_ptr<OIIO::ImageOutput> output = OIIO::ImageOutput::create(path);
  ASSERT_TRUE(output && output->open(path, spec)) << OIIO::geterror();
  ASSERT_TRUE(output->write_image(TypeDesc::FLOAT, samples.data()));
  ASSERT_TRUE(output->close());
}

std::string FirstDifference(const Picture& actual, const Picture& expected) {
  if (actual.width != expected.width || actual.height != expected.height) return "the size";
  for (int row = 0; row < actual.height; ++row) {
    for (int column = 0; column < actual.width; ++column) {
      const Pixel& a = actual.At(column, row);
      const Pixel& e = expected.At(column, row);
      if (a.alpha != e.alpha || a.red != e.red || a.green != e.green || a.blue != e.blue) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "(%d, %d): %.9g %.9g %.9g alpha %.9g, expected %.9g %.9g %.9g alpha %.9g",
                      column, row, a.red, a.green, a.blue, a.alpha, e.red, e.green, e.blue,
                      e.alpha);
        return text;
      }
    }
  }
  return "";
}

class ReferenceComparison : public ::testing::TestWithParam<FileCase> {
 protected:
  std::string Path(const std::string& stem) const {
    return (dir_ / (stem + GetParam().extension)).string();
  }
  cli_test::ScratchDir dir_;
};

// Each trial with the choices in turn: judged as stored or sRGB-encoded,
// feathers replacing or fading.
TEST_P(ReferenceComparison, RandomFramesAgreeWithThePlainModel) {
  const FileCase& file = GetParam();
  std::mt19937 random(20261208u + unsigned(file.channels * 100 + file.bits));
  int kept = 0, feathered = 0;
  for (int trial = 0; trial < 6; ++trial) {
    const Key key = RandomKey(random);
    cli_test::WriteBytes(dir_ / "key.json", {key.json.begin(), key.json.end()});
    constexpr int kFrames = 4;
    for (int frame = 1; frame <= kFrames; ++frame) {
      WriteRandomFrame(Path("in." + std::to_string(frame)), file, key, random);
    }
    // The rule as it always was, then each choice, then both.
    const bool srgb = trial % 2 == 1;
    const bool fades = trial % 4 >= 2;
    const cli_test::ToolResult result = cli_test::RunTool(
        {"--settings", (dir_ / "key.json").string(), "--judge", srgb ? "srgb" : "stored",
         "--feathered-alpha", fades ? "fades" : "replaces", Path("in.%d"), Path("out.%d")});
    ASSERT_EQ(result.status, 0) << result.err;

    const plain_reference::EffectModel model{
        true,   key.entries.data(),
        10,     file.scale,
        file.premultiplied,
        srgb ? plain_reference::Judged::kSrgb : plain_reference::Judged::kAsStored,
        fades};
    for (int frame = 1; frame <= kFrames; ++frame) {
      const std::string number = std::to_string(frame);
      const Picture source = ReadPicture(Path("in." + number), file.scale);
      OIIO::ImageSpec written;
      const Picture actual = ReadPicture(Path("out." + number), file.scale, &written);
      Picture expected = source;
      plain_reference::ApplyEffect(source, expected, model,
                                   {0, 0, source.width, source.height});
      WritePicture(Path("expected." + number), expected, file.scale, written);
      const Picture quantised = ReadPicture(Path("expected." + number), file.scale);
      ASSERT_EQ(FirstDifference(actual, quantised), "") << "trial " << trial << ", frame " << frame;
      for (std::size_t i = 0; i < expected.pixels.size(); ++i) {
        kept += expected.pixels[i].alpha != 0.0;
        feathered += expected.pixels[i].alpha != 0.0 &&
                     expected.pixels[i].alpha != source.pixels[i].alpha &&
                     expected.pixels[i].red != plain_reference::Maximum(file.scale);
      }
    }
  }
  // The random keys must exercise the rule, not just clear everything.
  EXPECT_GT(kept, 200);
  EXPECT_GT(feathered, 20);
}

// Switched off, the tool hands back every sample as the file held it, at the
// file's own type.
TEST_P(ReferenceComparison, SwitchedOffEverySampleComesBack) {
  const FileCase& file = GetParam();
  std::mt19937 random(7u);
  const Key key = RandomKey(random);
  WriteRandomFrame(Path("in"), file, key, random);
  const cli_test::ToolResult result = cli_test::RunTool({Path("in"), Path("out")});
  ASSERT_EQ(result.status, 0) << result.err;
  OIIO::ImageSpec source_spec, written_spec;
  const Picture source = ReadPicture(Path("in"), Scale::kFloat, &source_spec);
  const Picture written = ReadPicture(Path("out"), Scale::kFloat, &written_spec);
  EXPECT_EQ(written_spec.format, source_spec.format);
  EXPECT_EQ(written_spec.get_int_attribute("oiio:BitsPerSample"),
            source_spec.get_int_attribute("oiio:BitsPerSample"));
  EXPECT_EQ(FirstDifference(written, source), "");
}

// A frame of several bands of rows (the core's bands hold about 65,536
// pixels) comes out the same on several threads as on one, also when there
// are more threads than bands.
TEST_P(ReferenceComparison, ThreadsGiveThePixelsOfOne) {
  const FileCase& file = GetParam();
  std::mt19937 random(11u);
  const Key key = RandomKey(random);
  cli_test::WriteBytes(dir_ / "key.json", {key.json.begin(), key.json.end()});
  WriteRandomFrame(Path("in"), file, key, random, FrameSize{363, 901});
  for (const char* threads : {"1", "3", "8"}) {
    const cli_test::ToolResult result =
        cli_test::RunTool({"--settings", (dir_ / "key.json").string(), "--threads", threads,
                           Path("in"), Path(std::string("out") + threads)});
    ASSERT_EQ(result.status, 0) << result.err;
  }
  const Picture one = ReadPicture(Path("out1"), file.scale);
  const Picture source = ReadPicture(Path("in"), file.scale);
  EXPECT_NE(FirstDifference(one, source), "");
  EXPECT_EQ(FirstDifference(ReadPicture(Path("out3"), file.scale), one), "");
  EXPECT_EQ(FirstDifference(ReadPicture(Path("out8"), file.scale), one), "");
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ReferenceComparison,
    ::testing::Values(
        FileCase{"Png8", ".png", TypeDesc::UINT8, 4, 0, true, Scale::kByte, false},
        FileCase{"Png16", ".png", TypeDesc::UINT16, 4, 0, true, Scale::kShort, false},
        FileCase{"Png8Rgb", ".png", TypeDesc::UINT8, 3, 0, true, Scale::kByte, false},
        FileCase{"ExrHalf", ".exr", TypeDesc::HALF, 4, 0, false, Scale::kFloat, true},
        FileCase{"ExrFloat", ".exr", TypeDesc::FLOAT, 4, 0, false, Scale::kFloat, true},
        FileCase{"ExrHalfRgb", ".exr", TypeDesc::HALF, 3, 0, false, Scale::kFloat, true},
        FileCase{"Tiff8Straight", ".tif", TypeDesc::UINT8, 4, 0, true, Scale::kByte, false},
        FileCase{"Tiff16Associated", ".tif", TypeDesc::UINT16, 4, 0, false, Scale::kShort, true},
        FileCase{"TiffFloat", ".tif", TypeDesc::FLOAT, 4, 0, false, Scale::kFloat, true},
        FileCase{"Dpx10Rgb", ".dpx", TypeDesc::UINT16, 3, 10, false, Scale::kShort, true},
        FileCase{"Dpx16", ".dpx", TypeDesc::UINT16, 4, 16, false, Scale::kShort, true}),
    [](const ::testing::TestParamInfo<FileCase>& file) { return std::string(file.param.name); });

// Where the hosts' formats meet they give the same pixels: the tool, the
// OpenFX plug-in (loaded from its bundle by huesieve-ofx-render) and, at 8
// bits, the After Effects module (driven by huesieve-module-render).
struct Meeting {
  const char* name;
  FileCase file;
  bool module;
};

void PrintTo(const Meeting& meeting, std::ostream* out) { *out << meeting.name; }

class HostsAgree : public ::testing::TestWithParam<Meeting> {};

TEST_P(HostsAgree, OnRandomFramesAndKeys) {
  const Meeting& meeting = GetParam();
  const FileCase& file = meeting.file;
  const cli_test::ScratchDir dir;
  const auto path = [&](const std::string& stem) {
    return (dir / (stem + file.extension)).string();
  };
  std::mt19937 random(99u);
  for (int trial = 0; trial < 8; ++trial) {
    const Key key = RandomKey(random);
    WriteRandomFrame(path("in"), file, key, random);
    std::vector<std::string> args = {"--enable"};
    // The choices in turn after the rule as it always was; the module has
    // none.
    const bool choices = trial >= 4;
    if (choices) {
      args.insert(args.end(), {"--judge", trial % 2 == 0 ? "srgb" : "stored", "--feathered-alpha",
                               trial >= 6 ? "fades" : "replaces"});
    }
    for (int k = 0; k < 10; ++k) {
      const plain_reference::Entry& entry = key.entries[std::size_t(k)];
      if (entry.range < 1.0f) continue;
      char text[64];
      std::snprintf(text, sizeof text, "%d:%02X%02X%02X:%.9g:%.9g%s", k + 1, entry.red,
                    entry.green, entry.blue, double(entry.range), double(entry.softness),
                    entry.enabled ? "" : ":off");
      args.insert(args.end(), {"--entry", text});
    }
    std::vector<std::string> tool = args;
    tool.insert(tool.end(), {path("in"), path("tool")});
    ASSERT_EQ(cli_test::RunTool(tool).status, 0);
    std::vector<std::string> ofx = {HUESIEVE_OFX_BUNDLE};
    ofx.insert(ofx.end(), args.begin(), args.end());
    ofx.insert(ofx.end(), {path("in"), path("ofx")});
    ASSERT_EQ(cli_test::RunProgram(HUESIEVE_OFX_RENDER_PATH, ofx), 0);
    const Picture by_tool = ReadPicture(path("tool"), file.scale);
    EXPECT_EQ(FirstDifference(ReadPicture(path("ofx"), file.scale), by_tool), "")
        << "the OpenFX plug-in, trial " << trial;
    if (!meeting.module || choices) continue;
    std::vector<std::string> module = {"--module", HUESIEVE_MODULE_PATH};
    module.insert(module.end(), args.begin(), args.end());
    module.insert(module.end(), {path("in"), path("module")});
    ASSERT_EQ(cli_test::RunProgram(HUESIEVE_MODULE_RENDER_PATH, module), 0);
    EXPECT_EQ(FirstDifference(ReadPicture(path("module"), file.scale), by_tool), "")
        << "the After Effects module, trial " << trial;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, HostsAgree,
    ::testing::Values(
        Meeting{"Png8", {"", ".png", TypeDesc::UINT8, 4, 0, true, Scale::kByte, false}, true},
        Meeting{"Png16", {"", ".png", TypeDesc::UINT16, 4, 0, true, Scale::kShort, false}, false},
        Meeting{"ExrFloat", {"", ".exr", TypeDesc::FLOAT, 4, 0, false, Scale::kFloat, true},
                false}),
    [](const ::testing::TestParamInfo<Meeting>& meeting) {
      return std::string(meeting.param.name);
    });

}  // namespace
