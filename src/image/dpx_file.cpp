#include "image/dpx_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "files/file_error.h"

namespace huesieve::image::dpx {
namespace {

// The header's layout: file information, image information (eight image
// elements), orientation, film and television sections.
constexpr std::size_t kHeaderSize = 2048;
constexpr std::size_t kGenericHeaderSize = 1664;  // up to the film section
constexpr std::size_t kMagicAt = 0;
constexpr std::size_t kImageDataOffsetAt = 4;
constexpr std::size_t kVersionAt = 8;
constexpr std::size_t kFileSizeAt = 16;
constexpr std::size_t kDittoKeyAt = 20;
constexpr std::size_t kGenericSizeAt = 24;
constexpr std::size_t kIndustrySizeAt = 28;
constexpr std::size_t kUserDataSizeAt = 32;
constexpr std::size_t kCreationTimeAt = 136;
constexpr std::size_t kCreatorAt = 160;
constexpr std::size_t kProjectAt = 260;
constexpr std::size_t kCopyrightAt = 460;
constexpr std::size_t kEncryptionKeyAt = 660;
constexpr std::size_t kOrientationAt = 768;
constexpr std::size_t kElementCountAt = 770;
constexpr std::size_t kPixelsPerLineAt = 772;
constexpr std::size_t kLinesAt = 776;
constexpr std::size_t kFirstElementAt = 780;
constexpr std::size_t kElementSize = 72;
constexpr std::size_t kMaxElements = 8;
constexpr std::size_t kOrientationHeaderAt = 1408;
constexpr std::size_t kFilmHeaderAt = 1664;
constexpr std::size_t kTelevisionHeaderAt = 1920;
// Within an image element.
constexpr std::size_t kDescriptorAt = 20;
constexpr std::size_t kTransferAt = 21;
constexpr std::size_t kColorimetricAt = 22;
constexpr std::size_t kBitDepthAt = 23;
constexpr std::size_t kPackingAt = 24;
constexpr std::size_t kEncodingAt = 26;
constexpr std::size_t kDataOffsetAt = 28;
constexpr std::size_t kLinePaddingAt = 32;
constexpr std::size_t kImagePaddingAt = 36;
constexpr std::size_t kDescriptionAt = 40;
static_assert(kFirstElementAt + kMaxElements * kElementSize + 52 == kOrientationHeaderAt);
static_assert(kOrientationHeaderAt + 256 == kFilmHeaderAt);
static_assert(kFilmHeaderAt + 256 == kTelevisionHeaderAt);
static_assert(kTelevisionHeaderAt + 128 == kHeaderSize);

// An undefined numeric field is all ones.
constexpr std::uint32_t kUndefined = 0xFFFFFFFF;

// Image element descriptors read.
constexpr std::uint8_t kLuminance = 6;
constexpr std::uint8_t kAlphaOnly = 4;
constexpr std::uint8_t kRgb = 50;
constexpr std::uint8_t kRgba = 51;
constexpr std::uint8_t kAbgr = 52;

using Header = std::array<unsigned char, kHeaderSize>;

[[noreturn]] void Fail(const std::string& reason) { throw files::FileError(reason); }

// Words in the file's byte order.
class ByteOrder {
 public:
  explicit ByteOrder(bool big_endian) : big_endian_(big_endian) {}

  std::uint32_t U32(const unsigned char* at) const {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
      value |= std::uint32_t{at[big_endian_ ? i : 3 - i]} << (8 * (3 - i));
    return value;
  }
  std::uint16_t U16(const unsigned char* at) const {
    return static_cast<std::uint16_t>(big_endian_ ? at[0] << 8 | at[1] : at[1] << 8 | at[0]);
  }
  void Put32(unsigned char* at, std::uint32_t value) const {
    for (int i = 0; i < 4; ++i) {
      at[big_endian_ ? i : 3 - i] = static_cast<unsigned char>(value >> (8 * (3 - i)));
    }
  }
  void Put16(unsigned char* at, std::uint16_t value) const {
    at[big_endian_ ? 0 : 1] = static_cast<unsigned char>(value >> 8);
    at[big_endian_ ? 1 : 0] = static_cast<unsigned char>(value);
  }

 private:
  bool big_endian_;
};

// How samples lie in a row: `bits` each, and for 10 and 12 bits the packing
// (0: packed end to end in 32-bit words, the first sample in the low bits;
// 1, method A: filled, padding in the low bits of each word; 2, method B:
// filled, padding in the high bits). 8, 16 and 32-bit samples lie whole;
// only 10 and 12-bit rows start on a 32-bit word.
struct SampleLayout {
  int bits;
  std::uint16_t packing;
};

std::uint64_t RowBytes(std::uint64_t samples, const SampleLayout& layout) {
  switch (layout.bits) {
    case 8:
      return samples;
    case 16:
      return 2 * samples;
    case 32:
      return 4 * samples;
    default:
      break;
  }
  if (layout.packing == 0) return (samples * std::uint64_t(layout.bits) + 31) / 32 * 4;
  return layout.bits == 10 ? (samples + 2) / 3 * 4 : 2 * samples;
}

// A 10 or 12-bit level on the 16-bit scale as OpenImageIO widens it: the top
// bits repeated into the low ones, so that the full level is 65535.
std::uint16_t Widen(std::uint32_t level, int bits) {
  return static_cast<std::uint16_t>(bits == 10 ? level << 6 | level >> 4 : level << 4 | level >> 8);
}

// The `count` integer samples of a row, at their own bits.
void UnpackLevels(const unsigned char* row, std::size_t count, const SampleLayout& layout,
                  const ByteOrder& order, std::uint32_t* levels) {
  const std::uint32_t mask = (std::uint32_t{1} << layout.bits) - 1;
  if (layout.bits == 8) {
    std::copy(row, row + count, levels);
  } else if (layout.bits == 16) {
    for (std::size_t i = 0; i < count; ++i) levels[i] = order.U16(row + 2 * i);
  } else if (layout.packing == 0) {
    const auto bits = static_cast<std::size_t>(layout.bits);
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t first_bit = i * bits;
      const std::size_t word = first_bit / 32;
      const std::size_t shift = first_bit % 32;
      std::uint64_t value = order.U32(row + 4 * word) >> shift;
      if (shift + bits > 32) value |= std::uint64_t{order.U32(row + 4 * word + 4)} << (32 - shift);
      levels[i] = static_cast<std::uint32_t>(value) & mask;
    }
  } else if (layout.bits == 10) {
    const int top = layout.packing == 1 ? 22 : 20;
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint32_t word = order.U32(row + 4 * (i / 3));
      levels[i] = word >> (top - 10 * static_cast<int>(i % 3)) & mask;
    }
  } else {
    const int shift = layout.packing == 1 ? 4 : 0;
    for (std::size_t i = 0; i < count; ++i)
      levels[i] = std::uint32_t{order.U16(row + 2 * i)} >> shift & mask;
  }
}

// Where each of red, green, blue and alpha is among a pixel's samples; -1
// for alpha the element lacks.
struct ChannelOrder {
  int channels;
  int source[4];
};

ChannelOrder ChannelOrderOf(std::uint8_t descriptor) {
  switch (descriptor) {
    case kLuminance:
      return {1, {0, 0, 0, -1}};
    case kRgb:
      return {3, {0, 1, 2, -1}};
    case kRgba:
      return {4, {0, 1, 2, 3}};
    case kAbgr:
      return {4, {3, 2, 1, 0}};
    case kAlphaOnly:
      Fail("DPX elements of alpha alone are not supported");
    default:
      Fail("the DPX image element's descriptor " + std::to_string(descriptor) +
           " is not supported; RGB (50), RGBA (51), ABGR (52) and luminance (6) are");
  }
}

template <typename Sample, typename Convert>
void PlacePixels(const ChannelOrder& channels, std::uint32_t width, Sample opaque, Convert convert,
                 std::byte* row) {
  for (std::uint32_t x = 0; x < width; ++x) {
    const std::size_t first = std::size_t{x} * static_cast<std::size_t>(channels.channels);
    Sample pixel[4];
    for (int c = 0; c < 4; ++c) {
      const int from = channels.source[c];
      pixel[c] = from < 0 ? opaque : convert(first + static_cast<std::size_t>(from));
    }
    std::memcpy(row + std::size_t{x} * sizeof pixel, pixel, sizeof pixel);
  }
}

// What the reader takes of the first image element, checked.
struct Element {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  ChannelOrder channels{};
  SampleLayout layout{};
  std::uint64_t data_offset = 0;
  std::uint64_t row_bytes = 0;
  std::uint64_t row_stride = 0;
};

Element CheckElement(const Header& header, const ByteOrder& order, std::uint64_t file_size,
                     std::uint64_t max_pixels) {
  const unsigned char* element = header.data() + kFirstElementAt;
  const std::uint16_t elements = order.U16(header.data() + kElementCountAt);
  if (elements == 0 || elements > kMaxElements) {
    Fail("the DPX header claims " + std::to_string(elements) + " image elements, not 1 to 8");
  }
  Element checked;
  checked.width = order.U32(header.data() + kPixelsPerLineAt);
  checked.height = order.U32(header.data() + kLinesAt);
  if (checked.width == 0 || checked.height == 0) Fail("the image is empty");
  if (std::uint64_t{checked.width} * checked.height > max_pixels) {
    Fail("image of " + std::to_string(checked.width) + " x " + std::to_string(checked.height) +
         " pixels exceeds the limit of " + std::to_string(max_pixels) + " pixels");
  }
  const std::uint16_t encoding = order.U16(element + kEncodingAt);
  if (encoding == 1) Fail("run-length encoded DPX is not supported");
  if (encoding != 0) Fail("the DPX encoding " + std::to_string(encoding) + " is not supported");
  checked.channels = ChannelOrderOf(element[kDescriptorAt]);
  checked.layout.bits = element[kBitDepthAt];
  if (checked.layout.bits != 8 && checked.layout.bits != 10 && checked.layout.bits != 12 &&
      checked.layout.bits != 16 && checked.layout.bits != 32) {
    Fail(std::to_string(checked.layout.bits) +
         "-bit DPX samples are not supported; 8, 10, 12, 16 and 32-bit float are");
  }
  checked.layout.packing = order.U16(element + kPackingAt);
  if (checked.layout.packing > 2) {
    Fail("the DPX packing " + std::to_string(checked.layout.packing) + " is not supported");
  }

  std::uint32_t offset = order.U32(element + kDataOffsetAt);
  if (offset == kUndefined) offset = order.U32(header.data() + kImageDataOffsetAt);
  std::uint32_t padding = order.U32(element + kLinePaddingAt);
  if (padding == kUndefined) padding = 0;
  checked.data_offset = offset;
  checked.row_bytes = RowBytes(
      std::uint64_t{checked.width} * std::uint64_t(checked.channels.channels), checked.layout);
  checked.row_stride = checked.row_bytes + padding;
  // The last row needs no padding after it.
  const std::uint64_t available = file_size - std::min(file_size, checked.data_offset);
  if (checked.data_offset > file_size || checked.row_bytes > available ||
      checked.height - 1 > (available - checked.row_bytes) / checked.row_stride) {
    Fail("the image data, " + std::to_string(checked.height) + " rows of " +
         std::to_string(checked.row_bytes) + " bytes from byte " + std::to_string(offset) +
         ", runs past the end of the file of " + std::to_string(file_size) + " bytes");
  }
  return checked;
}

template <std::size_t size>
void Copy(const Header& header, std::size_t at, std::array<char, size>& field) {
  std::memcpy(field.data(), header.data() + at, size);
}

template <std::size_t size>
void Copy(const Header& header, std::size_t at, std::array<unsigned char, size>& field) {
  std::memcpy(field.data(), header.data() + at, size);
}

// A new header's fields undefined: numbers all ones, text empty.
Header UndefinedHeader() {
  Header header{};
  const auto ones = [&](std::size_t from, std::size_t to) {
    std::fill(header.begin() + static_cast<std::ptrdiff_t>(from),
              header.begin() + static_cast<std::ptrdiff_t>(to), 0xFF);
  };
  ones(kImageDataOffsetAt, kVersionAt);
  ones(kFileSizeAt, kUserDataSizeAt + 4);
  ones(kEncryptionKeyAt, kEncryptionKeyAt + 4);
  ones(kOrientationAt, kFirstElementAt);
  for (std::size_t element = 0; element < kMaxElements; ++element) {
    const std::size_t at = kFirstElementAt + element * kElementSize;
    ones(at, at + kDescriptionAt);
  }
  // Orientation: offsets, centre and original size; border validity, pixel
  // aspect ratio and scanned size.
  ones(kOrientationHeaderAt, kOrientationHeaderAt + 24);
  ones(kOrientationHeaderAt + 212, kOrientationHeaderAt + 236);
  // Film: frame position, sequence length, held count, frame rate, shutter
  // angle.
  ones(kFilmHeaderAt + 48, kFilmHeaderAt + 68);
  // Television: time code, user bits, interlace, field number, video signal;
  // then after a byte of padding the ten rates and levels.
  ones(kTelevisionHeaderAt, kTelevisionHeaderAt + 11);
  ones(kTelevisionHeaderAt + 12, kTelevisionHeaderAt + 52);
  return header;
}

std::shared_ptr<const DpxAttributes> AttributesOf(const Header& header, bool big_endian,
                                                  std::uint16_t packing,
                                                  std::vector<unsigned char> user_data) {
  const ByteOrder order(big_endian);
  const unsigned char* element = header.data() + kFirstElementAt;
  auto attributes = std::make_shared<DpxAttributes>();
  attributes->big_endian = big_endian;
  attributes->packing = packing;
  attributes->transfer = element[kTransferAt];
  attributes->colorimetric = element[kColorimetricAt];
  attributes->orientation = order.U16(header.data() + kOrientationAt);
  Copy(header, kFirstElementAt, attributes->reference);
  Copy(header, kCreationTimeAt, attributes->creation_time);
  Copy(header, kCreatorAt, attributes->creator);
  Copy(header, kProjectAt, attributes->project);
  Copy(header, kCopyrightAt, attributes->copyright);
  Copy(header, kFirstElementAt + kDescriptionAt, attributes->description);
  Copy(header, kOrientationHeaderAt, attributes->orientation_header);
  Copy(header, kFilmHeaderAt, attributes->film_header);
  Copy(header, kTelevisionHeaderAt, attributes->television_header);
  attributes->user_data = std::move(user_data);
  return attributes;
}

void ReadExactly(std::FILE* file, void* into, std::size_t size) {
  if (std::fread(into, 1, size, file) != size) Fail("the file ends inside the image data");
}

void Seek(std::FILE* file, std::uint64_t position) {
  if (position > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()) ||
      ::fseeko(file, static_cast<off_t>(position), SEEK_SET) != 0) {
    Fail("the file cannot be read at byte " + std::to_string(position));
  }
}

// A frame's sample as a level of `bits` bits, or as a float: as OpenImageIO
// converts, 16 bits to 10 or 12 by their top bits (which undoes the reader's
// widening exactly) and to 8 rounded.
std::uint32_t Level(std::uint16_t sample, int bits) {
  if (bits == 16) return sample;
  if (bits == 8) return (std::uint32_t{sample} * 255 + 32767) / 65535;
  return std::uint32_t{sample} >> (16 - bits);
}
std::uint32_t Level(std::uint8_t sample, int bits) {
  return bits == 8 ? sample : Level(static_cast<std::uint16_t>(sample * 257), bits);
}
std::uint32_t Level(float sample, int bits) {
  const float top = static_cast<float>((std::uint32_t{1} << bits) - 1);
  // NaN fails both comparisons and is written as 0.
  const float clamped = sample > 0.0f ? std::min(sample, 1.0f) : 0.0f;
  return static_cast<std::uint32_t>(std::lround(clamped * top));
}
float FloatOf(std::uint8_t sample) { return static_cast<float>(sample) / 255.0f; }
float FloatOf(std::uint16_t sample) { return static_cast<float>(sample) / 65535.0f; }
float FloatOf(float sample) { return sample; }

// One RGBA row of the frame, as samples of `layout` in `order`, into `out`.
template <typename Sample>
void PackRow(const std::byte* row, std::size_t count, const SampleLayout& layout,
             const ByteOrder& order, unsigned char* out) {
  const auto sample = [&](std::size_t i) {
    Sample value;
    std::memcpy(&value, row + i * sizeof(Sample), sizeof value);
    return value;
  };
  switch (layout.bits) {
    case 8:
      for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<unsigned char>(Level(sample(i), 8));
      return;
    case 16:
      for (std::size_t i = 0; i < count; ++i) {
        order.Put16(out + 2 * i, static_cast<std::uint16_t>(Level(sample(i), 16)));
      }
      return;
    case 32:
      for (std::size_t i = 0; i < count; ++i) {
        const float value = FloatOf(sample(i));
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        order.Put32(out + 4 * i, bits);
      }
      return;
    default:
      break;
  }
  if (layout.packing == 0) {
    // End to end from the low bits of each word.
    std::uint64_t pending = 0;
    int pending_bits = 0;
    std::size_t word = 0;
    for (std::size_t i = 0; i < count; ++i) {
      pending |= std::uint64_t{Level(sample(i), layout.bits)} << pending_bits;
      pending_bits += layout.bits;
      if (pending_bits >= 32) {
        order.Put32(out + 4 * word++, static_cast<std::uint32_t>(pending));
        pending >>= 32;
        pending_bits -= 32;
      }
    }
    if (pending_bits > 0) order.Put32(out + 4 * word, static_cast<std::uint32_t>(pending));
  } else if (layout.bits == 10) {
    const int top = layout.packing == 1 ? 22 : 20;
    for (std::size_t first = 0; first < count; first += 3) {
      std::uint32_t word = 0;
      for (std::size_t i = first; i < std::min(count, first + 3); ++i) {
        word |= Level(sample(i), 10) << (top - 10 * static_cast<int>(i - first));
      }
      order.Put32(out + 4 * (first / 3), word);
    }
  } else {
    const int shift = layout.packing == 1 ? 4 : 0;
    for (std::size_t i = 0; i < count; ++i) {
      order.Put16(out + 2 * i, static_cast<std::uint16_t>(Level(sample(i), 12) << shift));
    }
  }
}

}  // namespace

bool Sniff(const unsigned char* first_bytes, std::size_t count) {
  return count >= 4 &&
         (std::memcmp(first_bytes, "SDPX", 4) == 0 || std::memcmp(first_bytes, "XPDS", 4) == 0);
}

ImageHeader Read(std::FILE* file, std::uint64_t file_size, const ReadOptions& options,
                 FrameBuffer& frame) {
  if (file_size < kGenericHeaderSize) {
    Fail("the file of " + std::to_string(file_size) + " bytes is too short for a DPX header");
  }
  // A file may end after the generic sections: the film and television
  // sections are then undefined.
  Header header = UndefinedHeader();
  const auto header_bytes =
      static_cast<std::size_t>(std::min<std::uint64_t>(file_size, kHeaderSize));
  Seek(file, 0);
  if (std::fread(header.data(), 1, header_bytes, file) != header_bytes) {
    Fail("the file ends inside the DPX header");
  }
  if (!Sniff(header.data(), header.size())) Fail("not a DPX file");
  const bool big_endian = header[kMagicAt] == 'S';
  const ByteOrder order(big_endian);
  const Element element = CheckElement(header, order, file_size, options.max_pixels);

  const std::uint32_t user_data_size = order.U32(header.data() + kUserDataSizeAt);
  std::vector<unsigned char> user_data;
  if (user_data_size != kUndefined && user_data_size != 0) {
    if (user_data_size > file_size - std::min<std::uint64_t>(file_size, kHeaderSize)) {
      Fail("the header claims " + std::to_string(user_data_size) +
           " bytes of user data, more than the file's " + std::to_string(file_size));
    }
    user_data.resize(user_data_size);
    ReadExactly(file, user_data.data(), user_data.size());
  }

  const int bits = element.layout.bits;
  const SampleType type = bits == 8    ? SampleType::kUint8
                          : bits == 32 ? SampleType::kFloat
                                       : SampleType::kUint16;
  frame.Reset(type, element.width, element.height, /*premultiplied=*/true);
  const std::size_t count =
      std::size_t{element.width} * static_cast<std::size_t>(element.channels.channels);
  std::vector<unsigned char> row(static_cast<std::size_t>(element.row_bytes));
  std::vector<std::uint32_t> levels(bits == 32 ? 0 : count);
  for (std::uint32_t y = 0; y < element.height; ++y) {
    if (y == 0 || element.row_stride != element.row_bytes) {
      Seek(file, element.data_offset + std::uint64_t{y} * element.row_stride);
    }
    ReadExactly(file, row.data(), row.size());
    std::byte* out = frame.Row(y);
    if (bits == 32) {
      PlacePixels<float>(
          element.channels, element.width, 1.0f,
          [&](std::size_t i) {
            const std::uint32_t word = order.U32(row.data() + 4 * i);
            float value;
            std::memcpy(&value, &word, sizeof value);
            return value;
          },
          out);
      continue;
    }
    UnpackLevels(row.data(), count, element.layout, order, levels.data());
    if (bits == 8) {
      PlacePixels<std::uint8_t>(
          element.channels, element.width, 255,
          [&](std::size_t i) { return static_cast<std::uint8_t>(levels[i]); }, out);
    } else if (bits == 16) {
      PlacePixels<std::uint16_t>(
          element.channels, element.width, 65535,
          [&](std::size_t i) { return static_cast<std::uint16_t>(levels[i]); }, out);
    } else {
      PlacePixels<std::uint16_t>(
          element.channels, element.width, 65535,
          [&](std::size_t i) { return Widen(levels[i], bits); }, out);
    }
  }

  ImageHeader read;
  read.format = FileFormat::kDpx;
  read.stored_type = type == SampleType::kUint8    ? OutputType::kUint8
                     : type == SampleType::kUint16 ? OutputType::kUint16
                                                   : OutputType::kFloat;
  read.bits_per_sample = bits;
  read.dpx = AttributesOf(header, big_endian, element.layout.packing, std::move(user_data));
  return read;
}

void Write(ByteSink& sink, const ImageHeader& source, OutputType type, FrameBuffer& frame) {
  const DpxAttributes* kept = source.dpx.get();
  SampleLayout layout{16, 1};
  if (type == OutputType::kUint8) {
    layout.bits = 8;
  } else if (type != OutputType::kUint16) {
    layout.bits = 32;
  } else if (source.stored_type == OutputType::kUint16 &&
             (source.bits_per_sample == 10 || source.bits_per_sample == 12)) {
    layout.bits = source.bits_per_sample;
    // OpenImageIO fills 10-bit words (method A) and packs 12-bit samples.
    layout.packing = kept != nullptr && kept->packing <= 2 ? kept->packing
                     : layout.bits == 10                   ? std::uint16_t{1}
                                                           : std::uint16_t{0};
  }
  const ByteOrder order(kept == nullptr || kept->big_endian);
  const std::size_t count = std::size_t{frame.width()} * 4;
  const std::uint64_t row_bytes = RowBytes(count, layout);
  const std::size_t user_data_size = kept == nullptr ? 0 : kept->user_data.size();
  const std::uint64_t data_offset = (kHeaderSize + user_data_size + 3) / 4 * 4;
  const std::uint64_t file_size = data_offset + row_bytes * frame.height();
  if (file_size > kUndefined - 1) {
    Fail("an image of " + std::to_string(file_size) + " bytes is too large for a DPX file");
  }

  Header header = UndefinedHeader();
  unsigned char* at = header.data();
  order.Put32(at + kMagicAt, 0x53445058);  // "SDPX" as the file's byte order reads it
  order.Put32(at + kImageDataOffsetAt, static_cast<std::uint32_t>(data_offset));
  std::memcpy(at + kVersionAt, "V2.0", 4);
  order.Put32(at + kFileSizeAt, static_cast<std::uint32_t>(file_size));
  order.Put32(at + kDittoKeyAt, 1);  // not the previous frame's image
  order.Put32(at + kGenericSizeAt, static_cast<std::uint32_t>(kGenericHeaderSize));
  order.Put32(at + kIndustrySizeAt, static_cast<std::uint32_t>(kHeaderSize - kGenericHeaderSize));
  order.Put32(at + kUserDataSizeAt, static_cast<std::uint32_t>(user_data_size));
  order.Put16(at + kOrientationAt, kept == nullptr ? 0 : kept->orientation);
  order.Put16(at + kElementCountAt, 1);
  order.Put32(at + kPixelsPerLineAt, frame.width());
  order.Put32(at + kLinesAt, frame.height());
  unsigned char* element = at + kFirstElementAt;
  // Reference codes and quantities hold at the bit depth they were read at.
  if (kept != nullptr && source.bits_per_sample == layout.bits) {
    std::memcpy(element, kept->reference.data(), kept->reference.size());
  } else {
    order.Put32(element, 0);  // unsigned
  }
  element[kDescriptorAt] = kRgba;
  element[kTransferAt] = kept == nullptr ? 0xFF : kept->transfer;
  element[kColorimetricAt] = kept == nullptr ? 0xFF : kept->colorimetric;
  element[kBitDepthAt] = static_cast<unsigned char>(layout.bits);
  order.Put16(element + kPackingAt, layout.packing);
  order.Put16(element + kEncodingAt, 0);
  order.Put32(element + kDataOffsetAt, static_cast<std::uint32_t>(data_offset));
  order.Put32(element + kLinePaddingAt, 0);
  order.Put32(element + kImagePaddingAt, 0);
  if (kept != nullptr) {
    std::memcpy(at + kCreationTimeAt, kept->creation_time.data(), kept->creation_time.size());
    std::memcpy(at + kCreatorAt, kept->creator.data(), kept->creator.size());
    std::memcpy(at + kProjectAt, kept->project.data(), kept->project.size());
    std::memcpy(at + kCopyrightAt, kept->copyright.data(), kept->copyright.size());
    std::memcpy(element + kDescriptionAt, kept->description.data(), kept->description.size());
    std::memcpy(at + kOrientationHeaderAt, kept->orientation_header.data(),
                kept->orientation_header.size());
    std::memcpy(at + kFilmHeaderAt, kept->film_header.data(), kept->film_header.size());
    std::memcpy(at + kTelevisionHeaderAt, kept->television_header.data(),
                kept->television_header.size());
  }
  sink.Write(header.data(), header.size());
  if (kept != nullptr) sink.Write(kept->user_data.data(), kept->user_data.size());
  const unsigned char zeros[3] = {};
  sink.Write(zeros, static_cast<std::size_t>(data_offset - kHeaderSize - user_data_size));

  std::vector<unsigned char> row(static_cast<std::size_t>(row_bytes));
  for (std::uint32_t y = 0; y < frame.height(); ++y) {
    const std::byte* in = frame.Row(y);
    switch (frame.type()) {
      case SampleType::kUint8:
        PackRow<std::uint8_t>(in, count, layout, order, row.data());
        break;
      case SampleType::kUint16:
        PackRow<std::uint16_t>(in, count, layout, order, row.data());
        break;
      case SampleType::kFloat:
        PackRow<float>(in, count, layout, order, row.data());
        break;
    }
    sink.Write(row.data(), row.size());
  }
}

}  // namespace huesieve::image::dpx
