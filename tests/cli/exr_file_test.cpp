// OpenEXR files through the codec and through huesieve-render, against what
// OpenEXR's own library reads from the same files: the keyed layer comes in
// as an associated RGBA frame; every other channel and part, and every
// header attribute, goes back out unchanged; hostile headers are refused
// before memory is taken.
#include "image/exr_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <OpenEXR/ImfDeepFrameBuffer.h>
#include <OpenEXR/ImfDeepScanLineOutputFile.h>
#include <OpenEXR/ImfFrameBuffer.h>
#include <OpenEXR/ImfInputPart.h>
#include <OpenEXR/ImfMultiPartInputFile.h>
#include <OpenEXR/ImfMultiPartOutputFile.h>
#include <OpenEXR/ImfOutputPart.h>
#include <OpenEXR/ImfPartType.h>
#include <OpenEXR/ImfStringAttribute.h>
#include <OpenEXR/ImfTiledInputPart.h>
#include <OpenEXR/ImfTiledOutputPart.h>

#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "files/file_error.h"
#include "image/image_files.h"
#include "tests/cli/png_fixtures.h"
#include "tests/cli/tool_runner.h"

namespace {

using huesieve::files::FileError;
using huesieve::image::ByteSink;
using huesieve::image::FrameBuffer;
using huesieve::image::ImageHeader;
using huesieve::image::OutputType;
using huesieve::image::ReadOptions;
namespace exr = huesieve::image::exr;

constexpr char kEntry[] = "1:DB2924:110:60";

// A channel of a fixture: its name, type and sampling.
struct ChannelSpec {
  std::string name;
  Imf::PixelType type = Imf::HALF;
  int sampling = 1;
};

struct PartSpec {
  std::string name;
  std::vector<ChannelSpec> channels;
};

struct Layout {
  const char* name;
  Imf::Compression compression;
  bool tiled;
  Imf::PixelType type;  // of the R, G, B and A channels
};

void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

// Every sample of every channel of every part, as its bytes in the file's
// type: OpenEXR's own reading.
using Samples = std::map<std::string, std::vector<char>>;  // "part/channel"

std::size_t TypeSize(Imf::PixelType type) { return type == Imf::HALF ? 2 : 4; }

Imath::Box2i Window() { return Imath::Box2i(Imath::V2i(4, -2), Imath::V2i(523, 147)); }

std::size_t Count(const Imath::Box2i& window, int sampling) {
  return std::size_t((window.max.x - window.min.x + 1) / sampling) *
         std::size_t((window.max.y - window.min.y + 1) / sampling);
}

// Random samples of `type`: halves and floats between -0.25 and 1.5,
// integers of any value.
std::vector<char> RandomSamples(std::size_t count, Imf::PixelType type, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<char> bytes(count * TypeSize(type));
  for (std::size_t i = 0; i < count; ++i) {
    const float value = std::uniform_real_distribution<float>(-0.25f, 1.5f)(random);
    if (type == Imf::HALF) {
      const half h(value);
      std::memcpy(bytes.data() + 2 * i, &h, 2);
    } else if (type == Imf::FLOAT) {
      std::memcpy(bytes.data() + 4 * i, &value, 4);
    } else {
      const auto word = static_cast<std::uint32_t>(random());
      std::memcpy(bytes.data() + 4 * i, &word, 4);
    }
  }
  return bytes;
}

Imf::Slice SliceOf(std::vector<char>& samples, Imf::PixelType type, int sampling,
                   const Imath::Box2i& window) {
  const std::size_t size = TypeSize(type);
  return Imf::Slice::Make(type, samples.data(), window, size,
                          size * std::size_t((window.max.x - window.min.x + 1) / sampling),
                          sampling, sampling);
}

// Writes the parts with random samples (seeded by part and channel), tiled
// 64 × 32 or in scan lines, and an attribute of the tool's pipeline.
Samples WriteExr(const std::string& path, const std::vector<PartSpec>& parts,
                 Imf::Compression compression, bool tiled) {
  std::vector<Imf::Header> headers;
  for (const PartSpec& part : parts) {
    Imf::Header header(Imath::Box2i(Imath::V2i(0, 0), Imath::V2i(599, 199)), Window());
    header.compression() = compression;
    if (parts.size() > 1) header.setName(part.name);
    header.setType(tiled ? Imf::TILEDIMAGE : Imf::SCANLINEIMAGE);
    if (tiled) header.setTileDescription(Imf::TileDescription(64, 32));
    header.insert("Huesieve:Shot", Imf::StringAttribute("sq010_0420"));
    for (const ChannelSpec& channel : part.channels) {
      header.channels().insert(channel.name,
                               Imf::Channel(channel.type, channel.sampling, channel.sampling));
    }
    headers.push_back(header);
  }
  Samples samples;
  Imf::MultiPartOutputFile file(path.c_str(), headers.data(), int(headers.size()));
  for (std::size_t p = 0; p < parts.size(); ++p) {
    Imf::FrameBuffer slices;
    for (std::size_t c = 0; c < parts[p].channels.size(); ++c) {
      const ChannelSpec& channel = parts[p].channels[c];
      std::vector<char>& bytes = samples[std::to_string(p) + "/" + channel.name];
      bytes = RandomSamples(Count(Window(), channel.sampling), channel.type,
                            unsigned(100 * p + c + 1));
      slices.insert(channel.name, SliceOf(bytes, channel.type, channel.sampling, Window()));
    }
    if (tiled) {
      Imf::TiledOutputPart out(file, int(p));
      out.setFrameBuffer(slices);
      out.writeTiles(0, out.numXTiles() - 1, 0, out.numYTiles() - 1);
    } else {
      Imf::OutputPart out(file, int(p));
      out.setFrameBuffer(slices);
      out.writePixels(Window().max.y - Window().min.y + 1);
    }
  }
  return samples;
}

// Every channel of every part of the file at `path`, as OpenEXR reads it.
Samples ReadExr(const std::string& path, std::vector<Imf::Header>* headers = nullptr) {
  Imf::MultiPartInputFile file(path.c_str());
  Samples samples;
  for (int p = 0; p < file.parts(); ++p) {
    const Imf::Header& header = file.header(p);
    if (headers != nullptr) headers->push_back(header);
    Imf::FrameBuffer slices;
    for (auto it = header.channels().begin(); it != header.channels().end(); ++it) {
      std::vector<char>& bytes = samples[std::to_string(p) + "/" + it.name()];
      const Imf::Channel& channel = it.channel();
      bytes.resize(Count(header.dataWindow(), channel.xSampling) * TypeSize(channel.type));
      slices.insert(it.name(), SliceOf(bytes, channel.type, channel.xSampling, header.dataWindow()));
    }
    Imf::InputPart in(file, p);
    in.setFrameBuffer(slices);
    in.readPixels(header.dataWindow().min.y, header.dataWindow().max.y);
  }
  return samples;
}

float SampleAt(const std::vector<char>& bytes, Imf::PixelType type, std::size_t index) {
  if (type == Imf::HALF) {
    half value;
    std::memcpy(&value, bytes.data() + 2 * index, 2);
    return float(value);
  }
  float value;
  std::memcpy(&value, bytes.data() + 4 * index, 4);
  return value;
}

float FrameAt(FrameBuffer& frame, std::size_t pixel, int channel) {
  const std::uint32_t y = std::uint32_t(pixel / frame.width());
  const std::size_t x = pixel % frame.width();
  float value;
  std::memcpy(&value, frame.Row(y) + x * 16 + std::size_t(channel) * 4, 4);
  return value;
}

// A beauty part with depth, AOV layers, a channel of any name and an ID
// channel; and a second part, with a subsampled channel where scan lines
// allow it.
std::vector<PartSpec> RenderParts(const Layout& layout) {
  const Imf::PixelType rgba = layout.type;
  std::vector<ChannelSpec> shadow = {{"R", Imf::HALF}, {"G", Imf::HALF}, {"B", Imf::HALF}};
  if (!layout.tiled) shadow.push_back({"chroma", Imf::HALF, 2});
  return {{"beauty",
           {{"R", rgba},
            {"G", rgba},
            {"B", rgba},
            {"A", rgba},
            {"Z", Imf::FLOAT},
            {"diffuse.R"},
            {"diffuse.G"},
            {"diffuse.B"},
            {"any name"},
            {"id", Imf::UINT}}},
          {"shadow", shadow}};
}

bool Lossy(Imf::Compression compression) {
  return compression == Imf::DWAA_COMPRESSION || compression == Imf::DWAB_COMPRESSION ||
         compression == Imf::B44_COMPRESSION || compression == Imf::B44A_COMPRESSION;
}

class ExrFiles : public ::testing::TestWithParam<Layout> {
 protected:
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  ImageHeader Read(const std::string& path, FrameBuffer& frame, const std::string& layer = "") {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    EXPECT_NE(file, nullptr);
    ReadOptions options;
    options.layer = layer;
    try {
      const ImageHeader header =
          exr::Read(file, std::filesystem::file_size(path), options, frame);
      std::fclose(file);
      return header;
    } catch (...) {
      std::fclose(file);
      throw;
    }
  }

  void Write(const std::string& path, const ImageHeader& header, FrameBuffer& frame) {
    ByteSink sink(std::size_t{0});
    exr::Write(sink, header, header.stored_type, frame);
    cli_test::WriteBytes(path, {sink.memory().begin(), sink.memory().end()});
  }

  // The keyed channels of part 0 of `samples` hold the frame's samples, as
  // near as a lossy compression leaves them.
  void ExpectKeyed(const Samples& samples, const std::string& prefix, FrameBuffer& frame,
                   Imf::PixelType type) {
    const double tolerance = Lossy(GetParam().compression) ? 0.05 : 0.0;
    const char* names[] = {"R", "G", "B", "A"};
    for (int c = 0; c < 4; ++c) {
      const std::vector<char>& bytes = samples.at("0/" + prefix + names[c]);
      for (std::size_t i = 0; i < Count(Window(), 1); ++i) {
        const float frame_value = FrameAt(frame, i, c);
        const float expected = type == Imf::HALF ? float(half(frame_value)) : frame_value;
        ASSERT_NEAR(SampleAt(bytes, type, i), expected, tolerance) << names[c] << " at " << i;
      }
    }
  }

  cli_test::ScratchDir dir_;
};

TEST_P(ExrFiles, ReadKeysTheFirstPartsRgbaAsTheLibraryReadsIt) {
  const Samples source = WriteExr(Path("in.exr"), RenderParts(GetParam()), GetParam().compression,
                                  GetParam().tiled);
  const Samples truth = ReadExr(Path("in.exr"));
  FrameBuffer frame;
  const ImageHeader header = Read(Path("in.exr"), frame);

  EXPECT_EQ(header.format, huesieve::image::FileFormat::kOpenExr);
  EXPECT_EQ(header.stored_type, GetParam().type == Imf::HALF ? OutputType::kHalf : OutputType::kFloat);
  EXPECT_TRUE(frame.premultiplied());
  ASSERT_EQ(frame.width(), 520u);
  ASSERT_EQ(frame.height(), 150u);
  const char* names[] = {"0/R", "0/G", "0/B", "0/A"};
  for (int c = 0; c < 4; ++c) {
    for (std::size_t i = 0; i < Count(Window(), 1); ++i) {
      ASSERT_EQ(FrameAt(frame, i, c), SampleAt(truth.at(names[c]), GetParam().type, i))
          << names[c] << " at " << i;
    }
  }
  EXPECT_EQ(exr::DescribeLeftOut(*header.exr),
            "channels Z, any name, diffuse.B, diffuse.G, diffuse.R, id; part 2 \"shadow\"");
}

// Written back untouched, every sample of every channel and part is the
// file's, and so is every header; a lossy compression compresses the keyed
// part again, within its own error.
TEST_P(ExrFiles, WrittenBackUntouchedEveryChannelAndPartIsTheInputs) {
  WriteExr(Path("in.exr"), RenderParts(GetParam()), GetParam().compression, GetParam().tiled);
  std::vector<Imf::Header> in_headers;
  const Samples in = ReadExr(Path("in.exr"), &in_headers);
  FrameBuffer frame;
  const ImageHeader header = Read(Path("in.exr"), frame);
  Write(Path("out.exr"), header, frame);

  std::vector<Imf::Header> out_headers;
  const Samples out = ReadExr(Path("out.exr"), &out_headers);
  ASSERT_EQ(out_headers.size(), in_headers.size());
  for (std::size_t p = 0; p < in_headers.size(); ++p) {
    EXPECT_EQ(out_headers[p].name(), in_headers[p].name());
    EXPECT_EQ(out_headers[p].type(), in_headers[p].type());
    EXPECT_EQ(out_headers[p].compression(), GetParam().compression);
    EXPECT_EQ(out_headers[p].dataWindow(), in_headers[p].dataWindow());
    EXPECT_EQ(out_headers[p].displayWindow(), in_headers[p].displayWindow());
    EXPECT_EQ(out_headers[p].hasTileDescription(), GetParam().tiled);
    EXPECT_EQ(out_headers[p].typedAttribute<Imf::StringAttribute>("Huesieve:Shot").value(),
              "sq010_0420");
  }
  ASSERT_EQ(out.size(), in.size());
  for (const auto& [name, bytes] : in) {
    ASSERT_TRUE(out.count(name)) << name;
    if (!Lossy(GetParam().compression) || name.rfind("1/", 0) == 0) {
      EXPECT_EQ(out.at(name), bytes) << name;
    }
  }
  if (Lossy(GetParam().compression)) {
    // Half channels compressed twice stay near the first compression's.
    const std::vector<char>& before = in.at("0/R");
    const std::vector<char>& after = out.at("0/R");
    for (std::size_t i = 0; i < Count(Window(), 1); ++i) {
      ASSERT_NEAR(SampleAt(after, GetParam().type, i), SampleAt(before, GetParam().type, i), 0.05)
          << i;
    }
  }
}

// Rendered, the keyed channels hold the frame; everything else passes
// through. The frame here is changed as an effect would change it.
TEST_P(ExrFiles, WrittenRenderedOnlyTheKeyedChannelsChange) {
  WriteExr(Path("in.exr"), RenderParts(GetParam()), GetParam().compression, GetParam().tiled);
  const Samples in = ReadExr(Path("in.exr"));
  FrameBuffer frame;
  const ImageHeader header = Read(Path("in.exr"), frame, "diffuse");
  for (std::uint32_t y = 0; y < frame.height(); ++y) {
    float* row = reinterpret_cast<float*>(frame.Row(y));
    for (std::size_t i = 0; i < 4 * frame.width(); ++i) row[i] = row[i] * 0.5f + 0.125f;
  }
  Write(Path("out.exr"), header, frame);

  const Samples out = ReadExr(Path("out.exr"));
  ExpectKeyed(out, "diffuse.", frame, Imf::HALF);
  for (const auto& [name, bytes] : in) {
    if (name.rfind("0/diffuse.", 0) == 0) continue;
    if (Lossy(GetParam().compression) && name.rfind("0/", 0) == 0) continue;
    EXPECT_EQ(out.at(name), bytes) << name;
  }
  // The layer had no alpha: it is written opaque.
  ASSERT_TRUE(out.count("0/diffuse.A"));
  EXPECT_EQ(exr::DescribeLeftOut(*header.exr),
            "channels A, B, G, R, Z, any name, id; part 2 \"shadow\"");
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ExrFiles,
    ::testing::Values(Layout{"NoneHalfScanLines", Imf::NO_COMPRESSION, false, Imf::HALF},
                      Layout{"RleFloatTiled", Imf::RLE_COMPRESSION, true, Imf::FLOAT},
                      Layout{"ZipsHalfTiled", Imf::ZIPS_COMPRESSION, true, Imf::HALF},
                      Layout{"ZipFloatScanLines", Imf::ZIP_COMPRESSION, false, Imf::FLOAT},
                      Layout{"PizHalfScanLines", Imf::PIZ_COMPRESSION, false, Imf::HALF},
                      Layout{"PizFloatTiled", Imf::PIZ_COMPRESSION, true, Imf::FLOAT},
                      Layout{"DwaaHalfScanLines", Imf::DWAA_COMPRESSION, false, Imf::HALF},
                      Layout{"DwaaHalfTiled", Imf::DWAA_COMPRESSION, true, Imf::HALF}),
    [](const ::testing::TestParamInfo<Layout>& layout) { return std::string(layout.param.name); });

// Files of one part, one band of rows, for the cases below.
class ExrFile : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  std::string ReadError(const std::string& path, const std::string& layer = "") {
    FrameBuffer frame;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ReadOptions options;
    options.layer = layer;
    std::string message;
    try {
      exr::Read(file, std::filesystem::file_size(path), options, frame);
      message = "read";
    } catch (const FileError& error) {
      message = error.what();
    }
    std::fclose(file);
    EXPECT_EQ(frame.capacity(), 0u) << message;
    return message;
  }

  ImageHeader Read(const std::string& path, FrameBuffer& frame) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    const ImageHeader header = exr::Read(file, std::filesystem::file_size(path), {}, frame);
    std::fclose(file);
    return header;
  }

  std::vector<std::uint8_t> Small(const std::vector<ChannelSpec>& channels,
                                  Imf::Compression compression = Imf::NO_COMPRESSION) {
    WriteExr(Path("small.exr"), {{"", channels}}, compression, false);
    return cli_test::ReadBytes(Path("small.exr"));
  }

  cli_test::ScratchDir dir_;
};

std::size_t Find(const std::vector<std::uint8_t>& bytes, std::string_view text) {
  const auto at = std::search(bytes.begin(), bytes.end(), text.begin(), text.end(),
                              [](std::uint8_t b, char c) { return b == std::uint8_t(c); });
  EXPECT_NE(at, bytes.end()) << text;
  return std::size_t(at - bytes.begin());
}

void PutWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes.at(at + i) = std::uint8_t(value >> (8 * i));
}

// A data window of (x0, y0) to (x1, y1) at the box's byte `at`.
void PutDataWindow(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t x0,
                   std::uint32_t y0, std::uint32_t x1, std::uint32_t y1) {
  PutWord(bytes, at, x0);
  PutWord(bytes, at + 4, y0);
  PutWord(bytes, at + 8, x1);
  PutWord(bytes, at + 12, y1);
}

const std::vector<ChannelSpec> kRgba = {{"R"}, {"G"}, {"B"}, {"A"}};

TEST_F(ExrFile, HostileHeadersAreRefusedBeforeMemoryIsTaken) {
  std::vector<std::uint8_t> claim = Small(kRgba);
  const std::size_t attribute = Find(claim, std::string_view("Huesieve:Shot\0string\0", 21)) + 21;
  PutWord(claim, attribute, 0x7FFFFFF0);
  cli_test::WriteBytes(Path("claim.exr"), claim);
  EXPECT_EQ(ReadError(Path("claim.exr")),
            "the header's attribute \"Huesieve:Shot\" claims 2147483632 bytes, more than the "
            "file's " + std::to_string(claim.size()));

  // The library reads a channel list to its end, whatever size it states:
  // the check must follow it there to find the claim after it.
  const std::size_t list = Find(claim, std::string_view("channels\0chlist\0", 16)) + 16;
  PutWord(claim, list, 1);
  cli_test::WriteBytes(Path("claim.exr"), claim);
  EXPECT_THAT(ReadError(Path("claim.exr")),
              ::testing::StartsWith("the header's attribute \"Huesieve:Shot\" claims 2147483632"));

  std::vector<std::uint8_t> huge = Small(kRgba);
  const std::size_t box = Find(huge, std::string_view("dataWindow\0box2i\0", 17)) + 17 + 4;
  PutDataWindow(huge, box, 0, 0, 99999, 99999);
  cli_test::WriteBytes(Path("huge.exr"), huge);
  EXPECT_EQ(ReadError(Path("huge.exr")),
            "image of 100000 x 100000 pixels exceeds the limit of 268435456 pixels");
  // The library reads a box whole whatever size the attribute states, and
  // sizes its line buffers by it: so must the check.
  PutWord(huge, box - 4, 132);
  cli_test::WriteBytes(Path("huge.exr"), huge);
  EXPECT_EQ(ReadError(Path("huge.exr")),
            "image of 100000 x 100000 pixels exceeds the limit of 268435456 pixels");

  // 8 × 200000 pixels, within the limit, but a chunk a row: the offset table
  // alone would be 1.6 MB.
  std::vector<std::uint8_t> tall = Small(kRgba);
  PutDataWindow(tall, box, 0, 0, 7, 199999);
  cli_test::WriteBytes(Path("tall.exr"), tall);
  EXPECT_EQ(ReadError(Path("tall.exr")),
            "the chunk table's 200000 entries run past the end of the file");

  const std::vector<std::uint8_t> whole = Small(kRgba);
  const std::size_t name = Find(whole, "dataWindow") + 3;
  cli_test::WriteBytes(Path("cut.exr"), {whole.begin(), whole.begin() + std::ptrdiff_t(name)});
  EXPECT_EQ(ReadError(Path("cut.exr")), "the header ends early");
}

// The library's complaint comes as one line, without the name of the
// stream it reads from, which has none.
TEST_F(ExrFile, AFileCutShortIsRefusedInOneLine) {
  const std::vector<std::uint8_t> whole = Small(kRgba, Imf::ZIP_COMPRESSION);
  cli_test::WriteBytes(Path("cut.exr"), {whole.begin(), whole.end() - 100});
  FrameBuffer frame;
  EXPECT_THAT([&] { Read(Path("cut.exr"), frame); },
              ::testing::ThrowsMessage<FileError>(
                  "Error reading pixel data. Unexpected end of file."));
}

TEST_F(ExrFile, DeepImagesAreRefused) {
  Imf::Header header(4, 4);
  header.channels().insert("Z", Imf::Channel(Imf::FLOAT));
  header.setType(Imf::DEEPSCANLINE);
  header.compression() = Imf::ZIPS_COMPRESSION;
  {
    Imf::DeepScanLineOutputFile out(Path("deep.exr").c_str(), header);
    std::vector<unsigned> counts(16, 0);
    std::vector<float*> pointers(16, nullptr);
    Imf::DeepFrameBuffer slices;
    slices.insertSampleCountSlice(
        Imf::Slice(Imf::UINT, reinterpret_cast<char*>(counts.data()), 4, 16));
    slices.insert("Z", Imf::DeepSlice(Imf::FLOAT, reinterpret_cast<char*>(pointers.data()),
                                      sizeof(float*), 4 * sizeof(float*), sizeof(float)));
    out.setFrameBuffer(slices);
    out.writePixels(4);
  }
  EXPECT_EQ(ReadError(Path("deep.exr")), "deep OpenEXR images are not supported");
}

TEST_F(ExrFile, ALayerOrRgbTheFileLacksIsRefusedNamingItsLayers) {
  cli_test::WriteBytes(Path("aov.exr"), Small({{"diffuse.R"}, {"diffuse.G"}, {"diffuse.B"}, {"Z"}}));
  EXPECT_EQ(ReadError(Path("aov.exr")),
            "the file has no R, G and B channels to key; its layers: diffuse");
  EXPECT_EQ(ReadError(Path("aov.exr"), "specular"),
            "the file has no layer \"specular\" (specular.R, specular.G, specular.B); its "
            "layers: diffuse");
  cli_test::WriteBytes(Path("id.exr"), Small({{"R", Imf::UINT}, {"G", Imf::UINT}, {"B", Imf::UINT}}));
  EXPECT_EQ(ReadError(Path("id.exr")),
            "channel R holds unsigned integers, which cannot be keyed");
}

// Luminance alone spreads over red, green and blue, opaque; it is written
// back as RGBA.
TEST_F(ExrFile, LuminanceIsReadAsOpaqueGreyAndWrittenAsRgba) {
  WriteExr(Path("grey.exr"), {{"", {{"Y", Imf::FLOAT}}}}, Imf::ZIP_COMPRESSION, false);
  const Samples in = ReadExr(Path("grey.exr"));
  FrameBuffer frame;
  const ImageHeader header = Read(Path("grey.exr"), frame);
  for (std::size_t i = 0; i < Count(Window(), 1); i += 97) {
    const float y = SampleAt(in.at("0/Y"), Imf::FLOAT, i);
    ASSERT_EQ(FrameAt(frame, i, 0), y);
    ASSERT_EQ(FrameAt(frame, i, 1), y);
    ASSERT_EQ(FrameAt(frame, i, 2), y);
    ASSERT_EQ(FrameAt(frame, i, 3), 1.0f);
  }
  EXPECT_EQ(exr::DescribeLeftOut(*header.exr), "");
  ByteSink sink(std::size_t{0});
  exr::Write(sink, header, OutputType::kFloat, frame);
  cli_test::WriteBytes(Path("out.exr"), {sink.memory().begin(), sink.memory().end()});
  const Samples out = ReadExr(Path("out.exr"));
  EXPECT_EQ(out.count("0/Y"), 0u);
  EXPECT_EQ(out.at("0/G"), in.at("0/Y"));
}

// The first part that holds R, G and B is keyed, wherever it stands; the
// parts before it are copied as they are.
TEST_F(ExrFile, TheFirstPartHoldingRgbIsKeyedWhereverItStands) {
  WriteExr(Path("in.exr"), {{"depth", {{"Z", Imf::FLOAT}}}, {"beauty", kRgba}},
           Imf::ZIP_COMPRESSION, true);
  const Samples in = ReadExr(Path("in.exr"));
  FrameBuffer frame;
  const ImageHeader header = Read(Path("in.exr"), frame);
  EXPECT_EQ(header.exr->keyed_part, 1u);
  EXPECT_EQ(exr::DescribeLeftOut(*header.exr), "part 1 \"depth\"");
  EXPECT_EQ(FrameAt(frame, 5, 2), SampleAt(in.at("1/B"), Imf::HALF, 5));
  ByteSink sink(std::size_t{0});
  exr::Write(sink, header, OutputType::kHalf, frame);
  cli_test::WriteBytes(Path("out.exr"), {sink.memory().begin(), sink.memory().end()});
  EXPECT_EQ(ReadExr(Path("out.exr")), in);
}

// Mipmaps: a part keyed would lose its levels, so it is refused; a part
// passed through keeps them.
TEST_F(ExrFile, MipmapsPassThroughButAreNotKeyed) {
  const auto write = [&](const std::string& path, bool keyed_mipmapped) {
    std::vector<Imf::Header> headers(2, Imf::Header(8, 8));
    headers[0].channels().insert("R", Imf::Channel(Imf::FLOAT));
    headers[0].channels().insert("G", Imf::Channel(Imf::FLOAT));
    headers[0].channels().insert("B", Imf::Channel(Imf::FLOAT));
    headers[1].channels().insert("Z", Imf::Channel(Imf::FLOAT));
    for (int p = 0; p < 2; ++p) {
      const bool mipmapped = (p == 0) == keyed_mipmapped;
      headers[std::size_t(p)].setName(p == 0 ? "beauty" : "depth");
      headers[std::size_t(p)].setType(Imf::TILEDIMAGE);
      headers[std::size_t(p)].setTileDescription(
          Imf::TileDescription(4, 4, mipmapped ? Imf::MIPMAP_LEVELS : Imf::ONE_LEVEL));
    }
    Imf::MultiPartOutputFile file(path.c_str(), headers.data(), 2);
    std::vector<float> samples(3 * 64, 0.5f);
    for (int p = 0; p < 2; ++p) {
      Imf::FrameBuffer slices;
      for (auto it = headers[std::size_t(p)].channels().begin();
           it != headers[std::size_t(p)].channels().end(); ++it) {
        slices.insert(it.name(), Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(samples.data()),
                                            4, 4 * 8));
      }
      Imf::TiledOutputPart out(file, p);
      out.setFrameBuffer(slices);
      for (int level = 0; level < out.numLevels(); ++level) {
        out.writeTiles(0, out.numXTiles(level) - 1, 0, out.numYTiles(level) - 1, level);
      }
    }
  };
  write(Path("keyed.exr"), true);
  EXPECT_EQ(ReadError(Path("keyed.exr")),
            "mipmapped and ripmapped OpenEXR images are not supported");

  write(Path("passed.exr"), false);
  FrameBuffer frame;
  const ImageHeader header = Read(Path("passed.exr"), frame);
  ByteSink sink(std::size_t{0});
  exr::Write(sink, header, OutputType::kHalf, frame);
  cli_test::WriteBytes(Path("out.exr"), {sink.memory().begin(), sink.memory().end()});
  Imf::MultiPartInputFile out(Path("out.exr").c_str());
  EXPECT_EQ(out.header(1).tileDescription().mode, Imf::MIPMAP_LEVELS);
  EXPECT_EQ(Imf::TiledInputPart(out, 1).numLevels(), 4);
  EXPECT_EQ(ReadExr(Path("out.exr")).at("1/Z"), ReadExr(Path("passed.exr")).at("1/Z"));
}

// A frame read from another format is written as one part of RGBA,
// associated as OpenEXR holds colour.
TEST_F(ExrFile, AStraightEightBitFrameIsWrittenAssociated) {
  FrameBuffer frame;
  frame.Reset(huesieve::image::SampleType::kUint8, 2, 1, false);
  const std::uint8_t pixels[8] = {255, 51, 0, 255, 255, 102, 0, 51};
  std::memcpy(frame.Row(0), pixels, sizeof pixels);
  ByteSink sink(std::size_t{0});
  exr::Write(sink, ImageHeader{}, OutputType::kFloat, frame);
  cli_test::WriteBytes(Path("out.exr"), {sink.memory().begin(), sink.memory().end()});
  std::vector<Imf::Header> headers;
  const Samples out = ReadExr(Path("out.exr"), &headers);
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(headers[0].dataWindow(), Imath::Box2i(Imath::V2i(0, 0), Imath::V2i(1, 0)));
  EXPECT_FLOAT_EQ(SampleAt(out.at("0/R"), Imf::FLOAT, 0), 1.0f);
  EXPECT_FLOAT_EQ(SampleAt(out.at("0/G"), Imf::FLOAT, 0), 0.2f);
  EXPECT_FLOAT_EQ(SampleAt(out.at("0/R"), Imf::FLOAT, 1), 0.2f);
  EXPECT_FLOAT_EQ(SampleAt(out.at("0/G"), Imf::FLOAT, 1), 0.08f);
  EXPECT_FLOAT_EQ(SampleAt(out.at("0/A"), Imf::FLOAT, 1), 0.2f);
}

// Through huesieve-render: switched off, the file comes back whole; keyed,
// the keyed channels are what the same samples in a file of RGBA alone give,
// and the rest passes through.
class ExrRender : public ExrFile {
 protected:
  Samples Render(const std::string& in, const std::string& out,
                 std::vector<std::string> args) {
    args.push_back(in);
    args.push_back(out);
    const cli_test::ToolResult result = cli_test::RunTool(args);
    EXPECT_EQ(result.status, 0) << result.err;
    return ReadExr(out);
  }
  const Layout layout_{"", Imf::PIZ_COMPRESSION, false, Imf::HALF};
};

TEST_F(ExrRender, SwitchedOffEveryChannelAndPartComesBack) {
  WriteExr(Path("in.exr"), RenderParts(layout_), layout_.compression, layout_.tiled);
  EXPECT_EQ(Render(Path("in.exr"), Path("out.exr"), {}), ReadExr(Path("in.exr")));
}

TEST_F(ExrRender, KeyedChannelsAreThoseOfTheSameRgbaAloneTheRestPassesThrough) {
  WriteExr(Path("in.exr"), RenderParts(layout_), layout_.compression, layout_.tiled);
  WriteExr(Path("rgba.exr"), {{"", kRgba}}, layout_.compression, layout_.tiled);
  const Samples in = ReadExr(Path("in.exr"));
  const Samples rgba = ReadExr(Path("rgba.exr"));
  for (const char* name : {"0/R", "0/G", "0/B", "0/A"}) ASSERT_EQ(rgba.at(name), in.at(name));

  const Samples out = Render(Path("in.exr"), Path("out.exr"), {"--enable", "--entry", kEntry});
  const Samples alone = Render(Path("rgba.exr"), Path("alone.exr"), {"--enable", "--entry", kEntry});
  for (const auto& [name, bytes] : in) {
    if (alone.count(name)) {
      EXPECT_EQ(out.at(name), alone.at(name)) << name;
      EXPECT_NE(out.at(name), bytes) << name << " was not rendered";
    } else {
      EXPECT_EQ(out.at(name), bytes) << name;
    }
  }
}

TEST_F(ExrRender, LayerKeysItsChannelsWhileRgbPassesThrough) {
  WriteExr(Path("in.exr"), RenderParts(layout_), layout_.compression, layout_.tiled);
  const Samples in = ReadExr(Path("in.exr"));
  const Samples out =
      Render(Path("in.exr"), Path("out.exr"), {"--layer", "diffuse", "--enable", "--entry", kEntry});
  for (const auto& [name, bytes] : in) {
    if (name.rfind("0/diffuse.", 0) == 0) {
      EXPECT_NE(out.at(name), bytes) << name << " was not rendered";
    } else {
      EXPECT_EQ(out.at(name), bytes) << name;
    }
  }

  cli_test::WriteBytes(Path("in.png"), cli_test::HeaderOnlyPng(4, 4, 8, false));
  const cli_test::ToolResult png = cli_test::RunTool({"--layer", "diffuse", Path("in.png"), Path("out.png")});
  EXPECT_NE(png.status, 0);
  EXPECT_THAT(png.err, ::testing::HasSubstr(Path("in.png") + ": only OpenEXR files have layers"));
}

}  // namespace
