// DPX files into frames and back, against OpenImageIO as an independent
// implementation: files it writes are read with the samples it reads from
// them, files written here are read by it with the same samples, and hostile
// headers are refused before any of the frame's memory is taken.
#include "image/dpx_file.h"

#include <OpenImageIO/imageio.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "files/file_error.h"
#include "tests/cli/png_fixtures.h"

namespace {

namespace dpx = huesieve::image::dpx;
using huesieve::image::ByteSink;
using huesieve::image::FrameBuffer;
using huesieve::image::ImageHeader;
using huesieve::image::OutputType;
using huesieve::image::ReadOptions;
using huesieve::image::SampleType;
using OIIO::TypeDesc;

struct DpxCase {
  const char* name;
  int channels;
  TypeDesc::BASETYPE type;
  int bits;             // oiio:BitsPerSample
  const char* packing;  // dpx:Packing as OpenImageIO names it; empty for its default
  bool big_endian;
  SampleType rendered;
};

void PrintTo(const DpxCase& file, std::ostream* out) { *out << file.name; }

TypeDesc TypeOf(SampleType type) {
  return type == SampleType::kUint8    ? TypeDesc::UINT8
         : type == SampleType::kUint16 ? TypeDesc::UINT16
                                       : TypeDesc::FLOAT;
}

// Random samples at every level of the file's type; floats past 0 and 1.
void WriteWithOiio(const std::string& path, const DpxCase& file, int width, int height) {
  OIIO::ImageSpec spec(width, height, file.channels, file.type);
  spec.attribute("oiio:BitsPerSample", file.bits);
  if (*file.packing != '\0') spec.attribute("dpx:Packing", file.packing);
  spec.attribute("oiio:Endian", file.big_endian ? "big" : "little");
  std::mt19937 random(unsigned(width * 31 + file.bits));
  std::vector<float> samples(static_cast<std::size_t>(width * height * file.channels));
  const auto levels = static_cast<std::uint32_t>((1u << std::min(file.bits, 16)) - 1);
  for (float& sample : samples) {
    sample = file.type == TypeDesc::FLOAT
                 ? std::uniform_real_distribution<float>(-0.25f, 1.5f)(random)
                 : static_cast<float>(random() % (levels + 1)) / static_cast<float>(levels);
  }
  const std::unique_ptr<OIIO::ImageOutput> output = OIIO::ImageOutput::create(path);
  ASSERT_TRUE(output && output->open(path, spec)) << OIIO::geterror();
  ASSERT_TRUE(output->write_image(TypeDesc::FLOAT, samples.data())) << output->geterror();
  ASSERT_TRUE(output->close());
}

// The file as OpenImageIO reads it, completed to RGBA as the frame holds it.
struct OiioImage {
  OIIO::ImageSpec spec;
  std::vector<std::byte> rgba;
};

OiioImage ReadWithOiio(const std::string& path, SampleType type) {
  const std::unique_ptr<OIIO::ImageInput> input = OIIO::ImageInput::open(path);
  EXPECT_TRUE(input) << OIIO::geterror();
  if (!input) return {};
  OiioImage image{input->spec(), {}};
  const std::size_t size = huesieve::image::SampleSize(type);
  const auto pixels = static_cast<std::size_t>(image.spec.image_pixels());
  const auto channels = static_cast<std::size_t>(image.spec.nchannels);
  std::vector<std::byte> read(pixels * channels * size);
  EXPECT_TRUE(input->read_image(0, 0, 0, image.spec.nchannels, TypeOf(type), read.data()));
  image.rgba.resize(pixels * 4 * size);
  const float one_float = 1.0f;
  const std::uint16_t one16 = 65535;
  const std::uint8_t one8 = 255;
  const void* opaque = type == SampleType::kFloat    ? static_cast<const void*>(&one_float)
                       : type == SampleType::kUint16 ? static_cast<const void*>(&one16)
                                                     : static_cast<const void*>(&one8);
  for (std::size_t pixel = 0; pixel < pixels; ++pixel) {
    for (std::size_t c = 0; c < 4; ++c) {
      const std::size_t from = channels == 1 ? 0 : c;
      std::byte* to = image.rgba.data() + (pixel * 4 + c) * size;
      if (c == 3 && channels != 4) {
        std::memcpy(to, opaque, size);
      } else {
        std::memcpy(to, read.data() + (pixel * channels + from) * size, size);
      }
    }
  }
  return image;
}

std::vector<std::byte> FrameBytes(FrameBuffer& frame) {
  const auto* first = reinterpret_cast<const std::byte*>(frame.View().first_row);
  return {first, first + frame.image_bytes()};
}

ImageHeader ReadDpx(const std::string& path, FrameBuffer& frame,
                    std::uint64_t max_pixels = std::uint64_t{1} << 28) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  EXPECT_NE(file, nullptr) << path;
  ReadOptions options;
  options.max_pixels = max_pixels;
  try {
    ImageHeader header = dpx::Read(file, std::filesystem::file_size(path), options, frame);
    std::fclose(file);
    return header;
  } catch (...) {
    std::fclose(file);
    throw;
  }
}

void WriteDpx(const std::string& path, const ImageHeader& source, OutputType type,
              FrameBuffer& frame) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  ByteSink sink(file);
  dpx::Write(sink, source, type, frame);
  ASSERT_EQ(std::fclose(file), 0);
}

// Widths are multiples of 3: OpenImageIO 2.4 reads the last sample of a
// row of 10-bit RGBA as 0 when the row's samples are not a multiple of 3.
class DpxFiles : public ::testing::TestWithParam<DpxCase> {
 protected:
  std::string Path(const char* stem) const {
    return (dir_ / (std::string(stem) + ".dpx")).string();
  }
  cli_test::ScratchDir dir_;
};

TEST_P(DpxFiles, ReadGivesTheSamplesOpenImageIoReads) {
  const DpxCase& file = GetParam();
  WriteWithOiio(Path("in"), file, 39, 7);
  FrameBuffer frame;
  const ImageHeader header = ReadDpx(Path("in"), frame);

  EXPECT_EQ(header.format, huesieve::image::FileFormat::kDpx);
  EXPECT_EQ(header.bits_per_sample, file.bits);
  EXPECT_EQ(frame.type(), file.rendered);
  EXPECT_TRUE(frame.premultiplied());
  ASSERT_EQ(frame.width(), 39u);
  ASSERT_EQ(frame.height(), 7u);
  EXPECT_EQ(FrameBytes(frame), ReadWithOiio(Path("in"), file.rendered).rgba);
  ASSERT_NE(header.dpx, nullptr);
  EXPECT_EQ(header.dpx->big_endian, file.big_endian);
}

TEST_P(DpxFiles, WrittenBackOpenImageIoReadsTheSameSamplesAtTheSameDepth) {
  const DpxCase& file = GetParam();
  WriteWithOiio(Path("in"), file, 42, 5);
  FrameBuffer frame;
  const ImageHeader header = ReadDpx(Path("in"), frame);

  WriteDpx(Path("out"), header, header.stored_type, frame);

  const OiioImage source = ReadWithOiio(Path("in"), file.rendered);
  const OiioImage written = ReadWithOiio(Path("out"), file.rendered);
  EXPECT_EQ(written.spec.nchannels, 4);
  EXPECT_EQ(written.spec.get_int_attribute("oiio:BitsPerSample"), file.bits);
  EXPECT_EQ(written.spec.get_string_attribute("dpx:Packing"),
            source.spec.get_string_attribute("dpx:Packing"));
  EXPECT_EQ(written.rgba, source.rgba);
  EXPECT_EQ(cli_test::ReadBytes(Path("out")).at(0), file.big_endian ? 'S' : 'X');
  FrameBuffer again;
  ReadDpx(Path("out"), again);
  EXPECT_EQ(FrameBytes(again), FrameBytes(frame));
}

INSTANTIATE_TEST_SUITE_P(
    Depths, DpxFiles,
    ::testing::Values(
        DpxCase{"Rgb8Little", 3, TypeDesc::UINT8, 8, "", false, SampleType::kUint8},
        DpxCase{"Rgba8Big", 4, TypeDesc::UINT8, 8, "", true, SampleType::kUint8},
        DpxCase{"Grey8Little", 1, TypeDesc::UINT8, 8, "", false, SampleType::kUint8},
        DpxCase{"Rgb10FilledLittle", 3, TypeDesc::UINT16, 10, "", false, SampleType::kUint16},
        DpxCase{"Rgba10FilledBig", 4, TypeDesc::UINT16, 10, "", true, SampleType::kUint16},
        DpxCase{"Rgba10PackedLittle", 4, TypeDesc::UINT16, 10, "Packed", false,
                SampleType::kUint16},
        DpxCase{"Rgb10PackedBig", 3, TypeDesc::UINT16, 10, "Packed", true, SampleType::kUint16},
        DpxCase{"Grey10Little", 1, TypeDesc::UINT16, 10, "", false, SampleType::kUint16},
        DpxCase{"Rgba12PackedLittle", 4, TypeDesc::UINT16, 12, "", false, SampleType::kUint16},
        DpxCase{"Rgb12PackedBig", 3, TypeDesc::UINT16, 12, "", true, SampleType::kUint16},
        DpxCase{"Rgba16Little", 4, TypeDesc::UINT16, 16, "", false, SampleType::kUint16},
        DpxCase{"Grey16Big", 1, TypeDesc::UINT16, 16, "", true, SampleType::kUint16},
        DpxCase{"RgbaFloatBig", 4, TypeDesc::FLOAT, 32, "", true, SampleType::kFloat}),
    [](const ::testing::TestParamInfo<DpxCase>& file) { return std::string(file.param.name); });

// Every attribute OpenImageIO reads from a DPX file's header it reads again
// from the file written from it, but the descriptor (the output is RGBA) and
// the file name, which names the file that holds it.
TEST(DpxAttributes, TheHeadersInformationIsKept) {
  cli_test::ScratchDir dir;
  const std::string in = (dir / "in.dpx").string();
  OIIO::ImageSpec spec(6, 2, 3, TypeDesc::UINT16);
  spec.attribute("oiio:BitsPerSample", 10);
  spec.attribute("oiio:Endian", "big");
  spec.attribute("Software", "Grader 3");
  spec.attribute("Copyright", "(c) Studio");
  spec.attribute("DateTime", "2026:12:10 09:30:00");
  spec.attribute("dpx:Project", "Sieve");
  spec.attribute("ImageDescription", "plate A");
  spec.attribute("Orientation", 4);
  spec.attribute("PixelAspectRatio", 2.0f);
  spec.attribute("dpx:Transfer", "Linear");
  spec.attribute("dpx:Colorimetric", "Linear");
  spec.attribute("dpx:InputDevice", "scanner");
  spec.attribute("dpx:ShutterAngle", 180.0f);
  spec.attribute("dpx:SlateInfo", "sq010");
  spec.attribute("dpx:FramePosition", 1001);
  spec.attribute("dpx:UserBits", 77);
  const std::vector<std::uint16_t> grey(36, 40000);
  const std::unique_ptr<OIIO::ImageOutput> output = OIIO::ImageOutput::create(in);
  ASSERT_TRUE(output && output->open(in, spec)) << OIIO::geterror();
  ASSERT_TRUE(output->write_image(TypeDesc::UINT16, grey.data()));
  ASSERT_TRUE(output->close());
  FrameBuffer frame;
  const ImageHeader header = ReadDpx(in, frame);

  WriteDpx((dir / "out.dpx").string(), header, OutputType::kUint16, frame);

  const OIIO::ImageSpec source = ReadWithOiio(in, SampleType::kUint16).spec;
  const OIIO::ImageSpec written =
      ReadWithOiio((dir / "out.dpx").string(), SampleType::kUint16).spec;
  EXPECT_EQ(written.get_string_attribute("dpx:InputDevice"), "scanner") << "attributes lost";
  for (const OIIO::ParamValue& attribute : source.extra_attribs) {
    const std::string name = attribute.name().string();
    if (name == "dpx:ImageDescriptor" || name == "DocumentName") continue;
    const OIIO::ParamValue* kept = written.find_attribute(name);
    ASSERT_NE(kept, nullptr) << name;
    EXPECT_EQ(kept->get_string(), attribute.get_string()) << name;
  }
}

// Filled samples at the packings OpenImageIO does not write (12-bit at
// either method, 10-bit at method B), written here: they read back as
// written, and OpenImageIO reads them alike, but for 12-bit method A, which
// it reads by the top 12 bits without repeating them into the low four (so
// 4095 would not be opaque).
struct FilledCase {
  int bits;
  std::uint16_t packing;
};

void PrintTo(const FilledCase& filled, std::ostream* out) {
  *out << filled.bits << "-bit packing " << filled.packing;
}

class DpxFilled : public ::testing::TestWithParam<FilledCase> {};

TEST_P(DpxFilled, ReadBackAsWrittenAndAsOpenImageIoReadsThem) {
  const FilledCase& filled = GetParam();
  cli_test::ScratchDir dir;
  WriteWithOiio((dir / "in.dpx").string(),
                {"", 4, TypeDesc::UINT16, filled.bits, "Packed", false, SampleType::kUint16}, 12,
                3);
  FrameBuffer frame;
  ImageHeader header = ReadDpx((dir / "in.dpx").string(), frame);
  huesieve::image::DpxAttributes attributes = *header.dpx;
  attributes.packing = filled.packing;
  header.dpx = std::make_shared<const huesieve::image::DpxAttributes>(attributes);
  const std::string path = (dir / "filled.dpx").string();
  WriteDpx(path, header, OutputType::kUint16, frame);

  FrameBuffer again;
  EXPECT_EQ(ReadDpx(path, again).dpx->packing, filled.packing);
  EXPECT_EQ(FrameBytes(again), FrameBytes(frame));
  std::vector<std::byte> ours = FrameBytes(frame);
  if (filled.bits == 12 && filled.packing == 1) {
    for (std::size_t i = 0; i < ours.size(); i += 2) ours[i] &= std::byte{0xF0};
  }
  EXPECT_EQ(ReadWithOiio(path, SampleType::kUint16).rgba, ours);
}

INSTANTIATE_TEST_SUITE_P(Packings, DpxFilled,
                         ::testing::Values(FilledCase{10, 2}, FilledCase{12, 1},
                                           FilledCase{12, 2}));

// Levels worked out by hand: 8 bits from 16 rounded, 10 bits from 16 by
// their top bits as OpenImageIO writes them, float clamped.
TEST(DpxWrite, ConvertsTheFramesSamplesToTheWrittenDepth) {
  cli_test::ScratchDir dir;
  FrameBuffer frame;
  frame.Reset(SampleType::kUint16, 3, 1, true);
  const std::uint16_t samples[12] = {0, 128, 129, 65535, 32896, 32767, 100, 1023, 65503, 1, 2, 3};
  std::memcpy(frame.Row(0), samples, sizeof samples);
  WriteDpx((dir / "8.dpx").string(), ImageHeader{}, OutputType::kUint8, frame);
  std::vector<std::uint8_t> bytes = cli_test::ReadBytes(dir / "8.dpx");
  EXPECT_THAT(std::vector<std::uint8_t>(bytes.end() - 12, bytes.end()),
              ::testing::ElementsAre(0, 0, 1, 255, 128, 127, 0, 4, 255, 0, 0, 0));
  const std::vector<std::byte> by_oiio =
      ReadWithOiio((dir / "8.dpx").string(), SampleType::kUint8).rgba;
  EXPECT_TRUE(
      std::equal(by_oiio.begin(), by_oiio.end(), bytes.end() - 12, bytes.end(),
                 [](std::byte a, std::uint8_t b) { return std::to_integer<std::uint8_t>(a) == b; }))
      << "OpenImageIO reads a header written from no DPX file";

  frame.Reset(SampleType::kFloat, 1, 1, true);
  const float floats[4] = {-0.5f, 0.5f, 2.0f, std::nanf("")};
  std::memcpy(frame.Row(0), floats, sizeof floats);
  ImageHeader ten_bit;
  ten_bit.stored_type = OutputType::kUint16;
  ten_bit.bits_per_sample = 10;
  WriteDpx((dir / "10.dpx").string(), ten_bit, OutputType::kUint16, frame);
  FrameBuffer again;
  const ImageHeader read = ReadDpx((dir / "10.dpx").string(), again);
  EXPECT_EQ(read.bits_per_sample, 10);
  EXPECT_EQ(read.dpx->packing, 1);
  EXPECT_TRUE(read.dpx->big_endian);
  std::uint16_t widened[4];
  std::memcpy(widened, again.Row(0), sizeof widened);
  // 512 of 1023, widened: 512 << 6 | 512 >> 4.
  EXPECT_THAT(widened, ::testing::ElementsAre(0, 32800, 65535, 0));
}

// Header fields of a small, sound 10-bit RGB file (8 × 4 pixels, little-
// endian) rewritten one at a time.
struct HostileField {
  const char* name;
  std::size_t at;
  std::uint32_t value;
  int size;  // bytes
  const char* reason;
};

void PrintTo(const HostileField& field, std::ostream* out) { *out << field.name; }

class DpxHostileHeaders : public ::testing::TestWithParam<HostileField> {};

TEST_P(DpxHostileHeaders, AreRefusedBeforeMemoryIsTaken) {
  cli_test::ScratchDir dir;
  const std::string path = (dir / "hostile.dpx").string();
  WriteWithOiio(path, {"", 3, TypeDesc::UINT16, 10, "", false, SampleType::kUint16}, 8, 4);
  std::vector<std::uint8_t> bytes = cli_test::ReadBytes(path);
  ASSERT_EQ(bytes.size(), 8192u + 4 * 32) << "image data at 8192 expected";
  const HostileField& field = GetParam();
  for (int i = 0; i < field.size; ++i) {
    bytes.at(field.at + std::size_t(i)) = std::uint8_t(field.value >> (8 * i));
  }
  cli_test::WriteBytes(path, bytes);

  FrameBuffer frame;
  EXPECT_THAT(
      [&] { ReadDpx(path, frame, 65536); },
      ::testing::ThrowsMessage<huesieve::files::FileError>(::testing::HasSubstr(field.reason)));
  EXPECT_EQ(frame.capacity(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, DpxHostileHeaders,
    ::testing::Values(
        HostileField{"OffsetPastTheEnd", 808, 9000, 4, "runs past the end of the file of 8320"},
        HostileField{"LastRowPastTheEnd", 808, 8193, 4, "4 rows of 32 bytes from byte 8193"},
        HostileField{"RowsPastTheEnd", 776, 5, 4, "5 rows of 32 bytes"},
        HostileField{"WidthPastTheEnd", 772, 9, 4, "4 rows of 36 bytes"},
        HostileField{"LinePaddingPastTheEnd", 812, 0xFFFFFFF0, 4, "runs past the end"},
        HostileField{"OverThePixelLimit", 772, 100000, 4,
                     "image of 100000 x 4 pixels exceeds the limit of 65536 pixels"},
        HostileField{"Empty", 776, 0, 4, "the image is empty"},
        HostileField{"NoElements", 770, 0, 2, "claims 0 image elements"},
        HostileField{"UnknownPacking", 804, 3, 2, "packing 3 is not supported"},
        HostileField{"OneBit", 803, 1, 1, "1-bit DPX samples are not supported"},
        HostileField{"ElevenBits", 803, 11, 1, "11-bit DPX samples are not supported"},
        HostileField{"AlphaAlone", 800, 4, 1, "alpha alone"},
        HostileField{"UnknownDescriptor", 800, 49, 1, "descriptor 49 is not supported"},
        HostileField{"RunLengthEncoded", 806, 1, 2, "run-length encoded DPX is not supported"},
        HostileField{"UserDataPastTheEnd", 32, 3u << 30, 4, "bytes of user data"},
        HostileField{"NotDpx", 0, 0x474E5089, 4, "not a DPX file"}),
    [](const ::testing::TestParamInfo<HostileField>& field) {
      return std::string(field.param.name);
    });

// OpenImageIO 2.4 reads past its row buffer on this file (5 × 4 pixels of an
// undefined 10-bit descriptor whose data would start at byte 8192 of 2329).
TEST(DpxFuzzFinds, ReadPastRowIsRefused) {
  const std::string path = std::string(HUESIEVE_DPX_CORPUS) + "/dpx-read-past-row.dpx";
  FrameBuffer frame;
  EXPECT_THROW(ReadDpx(path, frame), huesieve::files::FileError);
  EXPECT_EQ(frame.capacity(), 0u);
}

// An ABGR element's samples come in as RGBA.
TEST(DpxDescriptors, AbgrIsReorderedToRgba) {
  cli_test::ScratchDir dir;
  FrameBuffer frame;
  frame.Reset(SampleType::kUint8, 1, 1, true);
  const std::uint8_t pixel[4] = {10, 20, 30, 40};
  std::memcpy(frame.Row(0), pixel, sizeof pixel);
  WriteDpx((dir / "rgba.dpx").string(), ImageHeader{}, OutputType::kUint8, frame);
  std::vector<std::uint8_t> bytes = cli_test::ReadBytes(dir / "rgba.dpx");
  bytes.at(800) = 52;
  cli_test::WriteBytes(dir / "abgr.dpx", bytes);

  ReadDpx((dir / "abgr.dpx").string(), frame);
  EXPECT_THAT(std::vector<std::uint8_t>(reinterpret_cast<std::uint8_t*>(frame.Row(0)),
                                        reinterpret_cast<std::uint8_t*>(frame.Row(0)) + 4),
              ::testing::ElementsAre(40, 30, 20, 10));
}

// Of several image elements, the first is read and the others ignored.
TEST(DpxDescriptors, TheFirstOfSeveralElementsIsRead) {
  cli_test::ScratchDir dir;
  FrameBuffer frame;
  frame.Reset(SampleType::kUint8, 1, 1, true);
  const std::uint8_t pixel[4] = {10, 20, 30, 40};
  std::memcpy(frame.Row(0), pixel, sizeof pixel);
  WriteDpx((dir / "one.dpx").string(), ImageHeader{}, OutputType::kUint8, frame);
  std::vector<std::uint8_t> bytes = cli_test::ReadBytes(dir / "one.dpx");
  bytes.at(771) = 2;       // big-endian element count
  bytes.at(852 + 20) = 6;  // a luminance element after the first
  cli_test::WriteBytes(dir / "two.dpx", bytes);

  FrameBuffer read;
  ReadDpx((dir / "two.dpx").string(), read);
  EXPECT_EQ(FrameBytes(read), FrameBytes(frame));
}

}  // namespace
