// Image files into frames and back, on every format and data type the tool
// takes, against what OpenImageIO itself reads from the same files: samples
// come through untouched, grey spreads, missing alpha is opaque, alpha keeps
// its association, and a frame written back holds the same samples at the
// same type with the file's attributes.
#include "image/image_files.h"

#include <OpenImageIO/imageio.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include "files/file_error.h"
#include "files/temporary_files.h"
#include "tests/cli/png_fixtures.h"

namespace {

using huesieve::image::FrameBuffer;
using huesieve::image::ImageHeader;
using huesieve::image::OutputType;
using huesieve::image::ReadImageFile;
using huesieve::image::SampleType;
using huesieve::image::WriteImageFile;
using OIIO::TypeDesc;

constexpr std::uint64_t kNoLimit = std::uint64_t{1} << 40;

struct FileCase {
  const char* name;
  const char* extension;
  TypeDesc::BASETYPE type;
  int channels;
  int bits = 0;               // oiio:BitsPerSample when not the type's own
  bool unassociated = false;  // written with straight alpha
  bool tiled = false;
  SampleType rendered = SampleType::kUint8;
  // As the tool must read the file: associated unless the reader says the
  // file is straight (PNG, TIFF so tagged), with alpha or without.
  bool premultiplied = false;
  bool planar = false;              // TIFF: each channel in a plane of its own
  const char* compression = nullptr;  // the writer's own when null
};

void PrintTo(const FileCase& file, std::ostream* out) { *out << file.name; }

// Random samples, as floats OpenImageIO writes at the file's type: every
// 8 and 16-bit level is reachable, and float files get values past 0 and 1.
std::vector<float> RandomSamples(std::size_t count, TypeDesc::BASETYPE type, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<float> samples(count);
  for (float& sample : samples) {
    if (type == TypeDesc::UINT8) {
      sample = static_cast<float>(random() % 256) / 255.0f;
    } else if (type == TypeDesc::UINT16) {
      sample = static_cast<float>(random() % 65536) / 65535.0f;
    } else {
      sample = std::uniform_real_distribution<float>(-0.25f, 1.5f)(random);
    }
  }
  return samples;
}

void WriteFixture(const std::string& path, const FileCase& file, int width, int height) {
  OIIO::ImageSpec spec(width, height, file.channels, file.type);
  if (file.bits != 0) spec.attribute("oiio:BitsPerSample", file.bits);
  if (file.channels == 2) spec.alpha_channel = 1;
  if (file.unassociated) spec.attribute("oiio:UnassociatedAlpha", 1);
  if (file.tiled) {
    spec.tile_width = 16;
    spec.tile_height = 16;
  }
  if (std::string_view(file.extension) == ".exr") spec.attribute("compression", "piz");
  if (file.compression != nullptr) spec.attribute("compression", file.compression);
  if (file.planar) spec.attribute("planarconfig", "separate");
  spec.attribute("Huesieve:Shot", std::string_view("sq010_0420"));
  const std::vector<float> samples = RandomSamples(
      static_cast<std::size_t>(width * height * file.channels), file.type, 7u + unsigned(width));
  const std::unique_ptr<OIIO::ImageOutput> output = OIIO::ImageOutput::create(path);
  ASSERT_TRUE(output && output->open(path, spec)) << OIIO::geterror();
  ASSERT_TRUE(output->write_image(TypeDesc::FLOAT, samples.data())) << output->geterror();
  ASSERT_TRUE(output->close());
}

// A sample of the type the frame holds, as a double: a level of 8 or 16
// bits, or a float.
double SampleAt(const std::byte* at, SampleType type) {
  switch (type) {
    case SampleType::kUint8:
      return std::to_integer<int>(*at);
    case SampleType::kUint16: {
      std::uint16_t value;
      std::memcpy(&value, at, sizeof value);
      return value;
    }
    case SampleType::kFloat:
      break;
  }
  float value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

TypeDesc TypeOf(SampleType type) {
  return type == SampleType::kUint8    ? TypeDesc::UINT8
         : type == SampleType::kUint16 ? TypeDesc::UINT16
                                       : TypeDesc::FLOAT;
}

// The file as OpenImageIO reads it on its own, at `type`, alpha left as the
// file holds it.
struct Samples {
  OIIO::ImageSpec spec;
  SampleType type;
  std::vector<std::byte> bytes;
  double at(int x, int y, int channel) const {
    const auto index = static_cast<std::size_t>((y * spec.width + x) * spec.nchannels + channel);
    return SampleAt(bytes.data() + index * huesieve::image::SampleSize(type), type);
  }
};

Samples ReadWithOiio(const std::string& path, SampleType type = SampleType::kFloat) {
  OIIO::ImageSpec config;
  config.attribute("oiio:UnassociatedAlpha", 1);
  const std::unique_ptr<OIIO::ImageInput> input = OIIO::ImageInput::open(path, &config);
  EXPECT_TRUE(input) << OIIO::geterror();
  if (!input) return {};
  Samples samples{input->spec(), type, {}};
  samples.bytes.resize(samples.spec.image_pixels() * std::size_t(samples.spec.nchannels) *
                       huesieve::image::SampleSize(type));
  EXPECT_TRUE(input->read_image(0, 0, 0, samples.spec.nchannels, TypeOf(type),
                                samples.bytes.data()));
  return samples;
}

double FrameSample(FrameBuffer& frame, int x, int y, int channel) {
  return SampleAt(frame.Row(static_cast<std::uint32_t>(y)) +
                      static_cast<std::size_t>(x) * frame.pixel_size() +
                      static_cast<std::size_t>(channel) * huesieve::image::SampleSize(frame.type()),
                  frame.type());
}

// Widths are multiples of 3: OpenImageIO 2.4 reads the last sample of a row
// of 10-bit DPX RGBA (filled, method A) as 0 when the row's samples are not a
// multiple of 3, whoever wrote the file.
class ImageFiles : public ::testing::TestWithParam<FileCase> {
 protected:
  std::string Path(const std::string& stem) const {
    return (dir_ / (stem + GetParam().extension)).string();
  }
  cli_test::ScratchDir dir_;
  huesieve::files::TemporaryFiles temporaries_{1};
};

// The file at `path`, read by the tool, holds what OpenImageIO itself reads
// from it, completed to RGBA at the rendered type.
void ExpectReadAsTheLibraryReads(const std::string& path, const FileCase& file) {
  FrameBuffer frame;
  ReadImageFile(path, kNoLimit, frame);
  const Samples truth = ReadWithOiio(path, file.rendered);

  EXPECT_EQ(frame.type(), file.rendered);
  EXPECT_EQ(frame.premultiplied(), file.premultiplied);
  ASSERT_EQ(frame.width(), static_cast<std::uint32_t>(truth.spec.width));
  ASSERT_EQ(frame.height(), static_cast<std::uint32_t>(truth.spec.height));
  const bool grey = file.channels < 3;
  const int alpha = truth.spec.alpha_channel;
  const double opaque = file.rendered == SampleType::kUint8    ? 255.0
                        : file.rendered == SampleType::kUint16 ? 65535.0
                                                               : 1.0;
  for (int y = 0; y < truth.spec.height; ++y) {
    for (int x = 0; x < truth.spec.width; ++x) {
      for (int channel = 0; channel < 3; ++channel) {
        ASSERT_EQ(FrameSample(frame, x, y, channel), truth.at(x, y, grey ? 0 : channel))
            << "x " << x << " y " << y << " channel " << channel;
      }
      ASSERT_EQ(FrameSample(frame, x, y, 3), alpha >= 0 ? truth.at(x, y, alpha) : opaque)
          << "alpha at x " << x << " y " << y;
    }
  }
}

TEST_P(ImageFiles, ReadGivesTheFilesSamplesAsRgbaAtItsType) {
  WriteFixture(Path("in"), GetParam(), 39, 21);
  ExpectReadAsTheLibraryReads(Path("in"), GetParam());
}

// JPEG is read only: opaque RGB at 8 bits, which opaque makes straight and
// associated alike; grey spreads.
TEST(ImageFileTypes, JpegIsReadAsOpaqueEightBitRgb) {
  for (const int channels : {3, 1}) {
    cli_test::ScratchDir dir;
    const FileCase jpeg{"", ".jpg", TypeDesc::UINT8, channels, 0, false, false, SampleType::kUint8,
                        true};
    WriteFixture((dir / "in.jpg").string(), jpeg, 39, 21);
    SCOPED_TRACE(channels == 1 ? "grey" : "colour");
    ExpectReadAsTheLibraryReads((dir / "in.jpg").string(), jpeg);
  }
}

// A JPEG file that ends early would decode with grey rows: refused.
TEST(ImageFileTypes, TruncatedJpegIsRefused) {
  cli_test::ScratchDir dir;
  const std::string path = (dir / "in.jpg").string();
  WriteFixture(path, {"", ".jpg", TypeDesc::UINT8, 3}, 64, 64);
  std::vector<std::uint8_t> bytes = cli_test::ReadBytes(path);
  bytes.resize(bytes.size() / 2);
  cli_test::WriteBytes(path, bytes);
  FrameBuffer frame;
  EXPECT_THAT([&] { ReadImageFile(path, kNoLimit, frame); },
              ::testing::ThrowsMessage<huesieve::files::FileError>(
                  ::testing::StartsWith(path + ": Premature end of JPEG file")));
}

TEST_P(ImageFiles, WrittenBackUntouchedEverySampleComesThroughAtTheSameType) {
  const FileCase& file = GetParam();
  const std::string in = Path("in");
  const std::string out = Path("out");
  WriteFixture(in, file, 42, 33);
  FrameBuffer frame;
  const ImageHeader header = ReadImageFile(in, kNoLimit, frame);

  WriteImageFile(out, header, std::nullopt, frame, temporaries_);

  const Samples source = ReadWithOiio(in);
  const Samples written = ReadWithOiio(out);
  EXPECT_EQ(written.spec.format, source.spec.format);
  EXPECT_EQ(written.spec.nchannels, 4);
  EXPECT_EQ(written.spec.alpha_channel, 3);
  EXPECT_EQ(written.spec.get_int_attribute("oiio:UnassociatedAlpha"),
            source.spec.get_int_attribute("oiio:UnassociatedAlpha"));
  EXPECT_EQ(written.spec.get_int_attribute("oiio:BitsPerSample"),
            source.spec.get_int_attribute("oiio:BitsPerSample"));
  EXPECT_EQ(written.spec.get_string_attribute("compression"),
            source.spec.get_string_attribute("compression"));
  // OpenEXR's header attributes pass through; PNG's text chunks do not.
  if (std::string_view(file.extension) == ".exr") {
    EXPECT_EQ(written.spec.get_string_attribute("Huesieve:Shot"),
              source.spec.get_string_attribute("Huesieve:Shot"));
  }
  EXPECT_EQ(written.spec.tile_width, source.spec.tile_width);
  EXPECT_EQ(written.spec.tile_height, source.spec.tile_height);
  EXPECT_EQ(written.spec.get_string_attribute("planarconfig"),
            source.spec.get_string_attribute("planarconfig"));
  FrameBuffer again;
  ReadImageFile(out, kNoLimit, again);
  ASSERT_EQ(again.image_bytes(), frame.image_bytes());
  EXPECT_EQ(std::memcmp(again.View().first_row, frame.View().first_row, frame.image_bytes()), 0);
}

// A FIFO cannot seek, as OpenEXR's and TIFF's writers do: what its reader
// gets is the file the same frame gives on disk.
TEST_P(ImageFiles, WrittenIntoAFifoItsReaderGetsTheWholeFile) {
  WriteFixture(Path("in"), GetParam(), 42, 33);
  FrameBuffer frame;
  const ImageHeader header = ReadImageFile(Path("in"), kNoLimit, frame);
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  std::vector<std::uint8_t> received;
  std::thread reader([&] { received = cli_test::ReadBytes(Path("fifo")); });

  WriteImageFile(Path("fifo"), header, std::nullopt, frame, temporaries_);
  reader.join();

  cli_test::WriteBytes(Path("received"), received);
  WriteImageFile(Path("on-disk"), header, std::nullopt, frame, temporaries_);
  const Samples from_fifo = ReadWithOiio(Path("received"));
  const Samples on_disk = ReadWithOiio(Path("on-disk"));
  EXPECT_EQ(from_fifo.spec.format, on_disk.spec.format);
  EXPECT_EQ(from_fifo.bytes, on_disk.bytes);
  EXPECT_TRUE(std::filesystem::is_fifo(Path("fifo")));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ImageFiles,
    ::testing::Values(
        FileCase{"Png8Rgba", ".png", TypeDesc::UINT8, 4},
        FileCase{"Png8Rgb", ".png", TypeDesc::UINT8, 3},
        FileCase{"Png8Grey", ".png", TypeDesc::UINT8, 1},
        FileCase{"Png16GreyAlpha", ".png", TypeDesc::UINT16, 2, 0, false, false,
                 SampleType::kUint16},
        FileCase{"Png16Rgba", ".png", TypeDesc::UINT16, 4, 0, false, false, SampleType::kUint16},
        FileCase{"ExrHalfRgba", ".exr", TypeDesc::HALF, 4, 0, false, false, SampleType::kFloat,
                 true},
        FileCase{"ExrHalfRgb", ".exr", TypeDesc::HALF, 3, 0, false, false, SampleType::kFloat,
                 true},
        FileCase{"ExrFloatRgba", ".exr", TypeDesc::FLOAT, 4, 0, false, false, SampleType::kFloat,
                 true},
        FileCase{"ExrHalfRgbaTiled", ".exr", TypeDesc::HALF, 4, 0, false, true,
                 SampleType::kFloat, true},
        FileCase{"Tiff8RgbaStraight", ".tif", TypeDesc::UINT8, 4, 0, true},
        FileCase{"Tiff16RgbaAssociated", ".tif", TypeDesc::UINT16, 4, 0, false, false,
                 SampleType::kUint16, true},
        FileCase{"TiffFloatRgbaTiled", ".tif", TypeDesc::FLOAT, 4, 0, false, true,
                 SampleType::kFloat, true},
        FileCase{"Tiff8Rgb", ".tif", TypeDesc::UINT8, 3, 0, false, false, SampleType::kUint8, true},
        FileCase{"Tiff8Grey", ".tif", TypeDesc::UINT8, 1, 0, false, false, SampleType::kUint8, true,
                 false, "lzw"},
        FileCase{"Tiff8GreyAlphaStraight", ".tif", TypeDesc::UINT8, 2, 0, true, false,
                 SampleType::kUint8, false, false, "packbits"},
        FileCase{"Tiff16GreyAlphaAssociated", ".tif", TypeDesc::UINT16, 2, 0, false, false,
                 SampleType::kUint16, true, false, "none"},
        FileCase{"Tiff16RgbaStraightPlanar", ".tif", TypeDesc::UINT16, 4, 0, true, false,
                 SampleType::kUint16, false, true, "lzw"},
        FileCase{"Tiff8RgbaPlanarTiled", ".tif", TypeDesc::UINT8, 4, 0, false, true,
                 SampleType::kUint8, true, true},
        FileCase{"TiffFloatRgbPlanar", ".tif", TypeDesc::FLOAT, 3, 0, false, false,
                 SampleType::kFloat, true, true, "none"},
        FileCase{"Tiff16RgbaTiledStraight", ".tif", TypeDesc::UINT16, 4, 0, true, true,
                 SampleType::kUint16, false, false, "zip"},
        FileCase{"Dpx8Rgba", ".dpx", TypeDesc::UINT8, 4, 0, false, false, SampleType::kUint8,
                 true},
        FileCase{"Dpx10Rgb", ".dpx", TypeDesc::UINT16, 3, 10, false, false, SampleType::kUint16,
                 true},
        FileCase{"Dpx10Rgba", ".dpx", TypeDesc::UINT16, 4, 10, false, false, SampleType::kUint16,
                 true},
        FileCase{"Dpx12Rgb", ".dpx", TypeDesc::UINT16, 3, 12, false, false, SampleType::kUint16,
                 true},
        FileCase{"Dpx16Rgba", ".dpx", TypeDesc::UINT16, 4, 16, false, false, SampleType::kUint16,
                 true}),
    [](const ::testing::TestParamInfo<FileCase>& file) { return std::string(file.param.name); });

TEST(ImageFileTypes, OutputTypeOverridesTheInputsType) {
  cli_test::ScratchDir dir;
  const std::string in = (dir / "in.exr").string();
  WriteFixture(in, {"", ".exr", TypeDesc::FLOAT, 4}, 8, 8);
  FrameBuffer frame;
  const ImageHeader header = ReadImageFile(in, kNoLimit, frame);
  huesieve::files::TemporaryFiles temporaries(1);
  WriteImageFile((dir / "out.exr").string(), header, OutputType::kHalf, frame, temporaries);
  WriteImageFile((dir / "out.tif").string(), header, OutputType::kUint16, frame, temporaries);
  EXPECT_EQ(ReadWithOiio((dir / "out.exr").string()).spec.format, TypeDesc::HALF);
  EXPECT_EQ(ReadWithOiio((dir / "out.tif").string()).spec.format, TypeDesc::UINT16);
}

// A type the output's format does not hold is written at the nearest it
// does, and the writer says so; a type it holds goes without a note.
TEST(ImageFileTypes, ATypeTheFormatDoesNotHoldIsWrittenAtTheNearestWithANote) {
  cli_test::ScratchDir dir;
  const std::string in = (dir / "in.tif").string();
  WriteFixture(in, {"", ".tif", TypeDesc::FLOAT, 4}, 8, 8);
  FrameBuffer frame;
  const ImageHeader header = ReadImageFile(in, kNoLimit, frame);
  huesieve::files::TemporaryFiles temporaries(1);
  const auto write = [&](const char* name, std::optional<OutputType> type) {
    return WriteImageFile((dir / name).string(), header, type, frame, temporaries);
  };

  EXPECT_THAT(write("float.png", std::nullopt),
              ::testing::ElementsAre("the input's float samples are written as uint8, the nearest "
                                     "type PNG holds"));
  EXPECT_EQ(ReadWithOiio((dir / "float.png").string()).spec.format, TypeDesc::UINT8);
  EXPECT_THAT(write("half.tif", OutputType::kHalf),
              ::testing::ElementsAre("--output-type half: written as float, the nearest type "
                                     "TIFF holds"));
  EXPECT_EQ(ReadWithOiio((dir / "half.tif").string()).spec.format, TypeDesc::FLOAT);
  EXPECT_THAT(write("uint16.png", OutputType::kUint16), ::testing::IsEmpty());
  EXPECT_EQ(ReadWithOiio((dir / "uint16.png").string()).spec.format, TypeDesc::UINT16);
  EXPECT_THAT(write("float.tif", std::nullopt), ::testing::IsEmpty());
}

TEST(ImageFileTypes, EightBitAsOpenExrIsWrittenAsHalfWithANote) {
  cli_test::ScratchDir dir;
  const std::string in = (dir / "in.png").string();
  WriteFixture(in, {"", ".png", TypeDesc::UINT8, 4}, 8, 8);
  FrameBuffer frame;
  const ImageHeader header = ReadImageFile(in, kNoLimit, frame);
  huesieve::files::TemporaryFiles temporaries(1);
  EXPECT_THAT(WriteImageFile((dir / "out.exr").string(), header, std::nullopt, frame, temporaries),
              ::testing::ElementsAre("the input's uint8 samples are written as half, the nearest "
                                     "type OpenEXR holds"));
  EXPECT_EQ(ReadWithOiio((dir / "out.exr").string()).spec.format, TypeDesc::HALF);
  EXPECT_THAT(WriteImageFile((dir / "asked.exr").string(), header, OutputType::kUint8, frame,
                             temporaries),
              ::testing::ElementsAre("--output-type uint8: written as half, the nearest type "
                                     "OpenEXR holds"));
}

// An associated frame written as PNG, which holds straight alpha, is
// divided back out; written as TIFF it is tagged associated instead.
TEST(ImageFileTypes, AssociatedAlphaIsWrittenAsEachFormatHoldsIt) {
  cli_test::ScratchDir dir;
  FrameBuffer frame;
  frame.Reset(SampleType::kUint8, 1, 1, true);
  const std::uint8_t pixel[4] = {50, 100, 25, 128};
  std::memcpy(frame.Row(0), pixel, sizeof pixel);
  ImageHeader header;
  header.format = huesieve::image::FileFormat::kTiff;
  huesieve::files::TemporaryFiles temporaries(1);
  WriteImageFile((dir / "out.png").string(), header, std::nullopt, frame, temporaries);
  WriteImageFile((dir / "out.tif").string(), header, std::nullopt, frame, temporaries);

  const Samples png = ReadWithOiio((dir / "out.png").string(), SampleType::kUint8);
  EXPECT_EQ(png.at(0, 0, 0), 100.0);  // 50 / (128 / 255), rounded
  EXPECT_EQ(png.at(0, 0, 1), 199.0);
  EXPECT_EQ(png.at(0, 0, 2), 50.0);
  EXPECT_EQ(png.at(0, 0, 3), 128.0);
  const Samples tiff = ReadWithOiio((dir / "out.tif").string(), SampleType::kUint8);
  EXPECT_EQ(tiff.spec.get_int_attribute("oiio:UnassociatedAlpha"), 0);
  EXPECT_EQ(tiff.at(0, 0, 0), 50.0);
  EXPECT_EQ(tiff.at(0, 0, 3), 128.0);
}

TEST(ImageFileTypes, OutputFormatsWithoutAlphaOrUnknownAreRefused) {
  EXPECT_EQ(huesieve::image::OutputFormatProblem("key.jpg"),
            "key.jpg: the jpeg format cannot carry the alpha channel the effect writes; write "
            "PNG, OpenEXR, TIFF or DPX");
  EXPECT_NE(huesieve::image::OutputFormatProblem("key.jpeg"), "");
  EXPECT_EQ(huesieve::image::OutputFormatProblem("key.nosuchformat"),
            "key.nosuchformat: no image format is known by this file name's extension");
  for (const char* name : {"key.png", "key.exr", "key.tif", "key.tiff", "key.dpx"}) {
    EXPECT_EQ(huesieve::image::OutputFormatProblem(name), "") << name;
  }
}

// Only the five formats' readers see an input: the extension's first, then
// the others; a file of any other format, or an extension naming none, is
// refused rather than handed to another of the library's readers.
TEST(ImageFileFormats, AnotherReadFormatsContentIsReadAnythingElseIsRefused) {
  cli_test::ScratchDir dir;
  const std::string tiff = (dir / "plate.tif").string();
  WriteFixture(tiff, {"", ".tif", TypeDesc::UINT16, 4}, 6, 4);
  const std::string bmp = (dir / "plate.bmp").string();
  WriteFixture(bmp, {"", ".bmp", TypeDesc::UINT8, 3}, 6, 4);
  const auto renamed = [&](const std::string& from, const char* name) {
    const std::string path = (dir / name).string();
    std::filesystem::copy_file(from, path);
    return path;
  };

  FrameBuffer frame;
  ReadImageFile(renamed(tiff, "tiff-inside.PNG"), kNoLimit, frame);
  EXPECT_EQ(frame.type(), SampleType::kUint16);
  EXPECT_EQ(frame.width(), 6u);

  const std::string bmp_as_png = renamed(bmp, "bmp-inside.png");
  EXPECT_THAT([&] { ReadImageFile(bmp_as_png, kNoLimit, frame); },
              ::testing::ThrowsMessage<huesieve::files::FileError>(
                  bmp_as_png + ": not a PNG file, nor one of the other formats read (PNG, "
                               "OpenEXR, TIFF, DPX, JPEG)"));
  EXPECT_THAT([&] { ReadImageFile(bmp, kNoLimit, frame); },
              ::testing::ThrowsMessage<huesieve::files::FileError>(
                  bmp + ": the extension names no format that can be read; read PNG (.png), "
                        "OpenEXR (.exr), TIFF (.tif, .tiff), DPX (.dpx) or JPEG (.jpg, .jpeg)"));
}

// Hostile headers: a small file whose header claims far more pixels than the
// limit is refused from the header, before any of the frame's memory is
// taken.
std::vector<std::uint8_t> SmallFile(const std::string& path, const char* extension,
                                    int height = 8) {
  WriteFixture(path, {"", extension, TypeDesc::UINT8, 3}, 8, height);
  return cli_test::ReadBytes(path);
}

void PutBigEndian(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value,
                  int size) {
  for (int i = 0; i < size; ++i) {
    bytes.at(at + std::size_t(i)) = std::uint8_t(value >> (8 * (size - 1 - i)));
  }
}

void PutLittleEndian(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(at + std::size_t(i)) = std::uint8_t(value >> (8 * i));
}

std::size_t Find(const std::vector<std::uint8_t>& bytes, std::string_view text) {
  const auto at =
      std::search(bytes.begin(), bytes.end(), text.begin(), text.end(),
                  [](std::uint8_t byte, char c) { return byte == static_cast<unsigned char>(c); });
  EXPECT_NE(at, bytes.end()) << text;
  return static_cast<std::size_t>(at - bytes.begin());
}

// A data window of 65536 × 32768 pixels, 2^31: a file of 8 × 32768 pixels
// widened, so that its table of row blocks still matches its header.
std::vector<std::uint8_t> HugeExr(const std::string& path) {
  std::vector<std::uint8_t> bytes = SmallFile(path, ".exr", 32768);
  const std::size_t box = Find(bytes, std::string_view("dataWindow\0box2i\0", 17)) + 17 + 4;
  PutLittleEndian(bytes, box + 8, 65535);
  return bytes;
}

// 100000 × 100000: the image width and length tags rewritten as longs.
std::vector<std::uint8_t> HugeTiff(const std::string& path) {
  std::vector<std::uint8_t> bytes = SmallFile(path, ".tif");
  EXPECT_EQ(bytes[0], 'I') << "little-endian TIFF expected";
  std::uint32_t ifd = 0;
  for (int i = 3; i >= 0; --i) ifd = ifd << 8 | bytes[4 + std::size_t(i)];
  const std::size_t entries = bytes[ifd] | std::size_t{bytes[ifd + 1]} << 8;
  for (std::size_t e = 0; e < entries; ++e) {
    const std::size_t at = ifd + 2 + 12 * e;
    const int tag = bytes[at] | bytes[at + 1] << 8;
    if (tag != 256 && tag != 257) continue;
    bytes[at + 2] = 4;  // LONG
    bytes[at + 3] = 0;
    PutLittleEndian(bytes, at + 8, 100000);
  }
  return bytes;
}

// 100000 × 100000 pixels per line and lines per element.
std::vector<std::uint8_t> HugeDpx(const std::string& path) {
  std::vector<std::uint8_t> bytes = SmallFile(path, ".dpx");
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "XPDS") << "little-endian DPX expected";
  PutLittleEndian(bytes, 772, 100000);
  PutLittleEndian(bytes, 776, 100000);
  return bytes;
}

// 65500 × 65500, the most the JPEG library takes, in the start-of-frame
// marker.
std::vector<std::uint8_t> HugeJpeg(const std::string& path) {
  std::vector<std::uint8_t> bytes = SmallFile(path, ".jpg");
  const std::size_t frame = Find(bytes, "\xFF\xC0");
  PutBigEndian(bytes, frame + 5, 65500, 2);
  PutBigEndian(bytes, frame + 7, 65500, 2);
  return bytes;
}

std::vector<std::uint8_t> HugePng(const std::string&) {
  return cli_test::HeaderOnlyPng(100000, 100000, 16, false);
}

struct HostileFile {
  const char* name;
  const char* extension;
  std::vector<std::uint8_t> (*make)(const std::string& scratch);
  const char* size;
};

void PrintTo(const HostileFile& file, std::ostream* out) { *out << file.name; }

class HostileHeaders : public ::testing::TestWithParam<HostileFile> {};

TEST_P(HostileHeaders, AreRefusedFromTheHeaderWithoutTakingMemory) {
  cli_test::ScratchDir dir;
  const std::string path = (dir / (std::string("hostile") + GetParam().extension)).string();
  cli_test::WriteBytes(path, GetParam().make((dir / (std::string("small") + GetParam().extension)).string()));
  FrameBuffer frame;
  try {
    ReadImageFile(path, std::uint64_t{1} << 28, frame);
    FAIL() << "read a file whose header claims " << GetParam().size;
  } catch (const huesieve::files::FileError& error) {
    EXPECT_EQ(std::string(error.what()), path + ": image of " + GetParam().size +
                                             " pixels exceeds the limit of 268435456 pixels");
  }
  EXPECT_EQ(frame.capacity(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, HostileHeaders,
    ::testing::Values(HostileFile{"Png", ".png", HugePng, "100000 x 100000"},
                      HostileFile{"Exr", ".exr", HugeExr, "65536 x 32768"},
                      HostileFile{"Tiff", ".tif", HugeTiff, "100000 x 100000"},
                      HostileFile{"Dpx", ".dpx", HugeDpx, "100000 x 100000"},
                      HostileFile{"Jpeg", ".jpg", HugeJpeg, "65500 x 65500"}),
    [](const ::testing::TestParamInfo<HostileFile>& file) { return std::string(file.param.name); });

// OpenImageIO 2.4 wrote past its row buffer reading this file: 5 × 4
// pixels of an undefined 10-bit descriptor whose data would start at byte
// 8192 of 2329. It is refused from its header, before memory is taken.
TEST(ImageFileDpx, ImageDataPastTheEndOfTheFileIsRefused) {
  cli_test::ScratchDir dir;
  const std::string path = (dir / "find.dpx").string();
  std::filesystem::copy_file(HUESIEVE_DPX_FUZZ_FIND, path);
  FrameBuffer frame;
  EXPECT_THAT([&] { ReadImageFile(path, kNoLimit, frame); },
              ::testing::ThrowsMessage<huesieve::files::FileError>(
                  ::testing::StartsWith(path + ": the DPX image element's descriptor 49 is not "
                                               "supported")));
  EXPECT_EQ(frame.capacity(), 0u);
}

}  // namespace
