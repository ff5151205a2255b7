#include "image/exr_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include <Imath/half.h>
#include <OpenEXR/ImfFrameBuffer.h>
#include <OpenEXR/ImfIO.h>
#include <OpenEXR/ImfInputPart.h>
#include <OpenEXR/ImfMultiPartInputFile.h>
#include <OpenEXR/ImfMultiPartOutputFile.h>
#include <OpenEXR/ImfOutputPart.h>
#include <OpenEXR/ImfPartType.h>
#include <OpenEXR/ImfTiledInputPart.h>
#include <OpenEXR/ImfTiledOutputPart.h>

#include "files/file_error.h"

namespace huesieve::image::exr {
namespace {

using files::FileError;

// Rows move between the file and the frame in bands of about this many
// bytes: memory taken as rows arrive, conversions within the cache.
constexpr std::size_t kBandBytes = std::size_t{1} << 20;

constexpr unsigned char kMagic[4] = {0x76, 0x2F, 0x31, 0x01};

// Flags of the version field.
constexpr std::uint32_t kSinglePartTiled = 0x200;
constexpr std::uint32_t kNonImage = 0x800;  // deep data
constexpr std::uint32_t kMultiPart = 0x1000;

constexpr char kDeepRefused[] = "deep OpenEXR images are not supported";

// Scan lines a chunk of a scan-line part holds, by compression.
int LinesPerChunk(unsigned compression) {
  switch (compression) {
    case Imf::ZIP_COMPRESSION:
    case Imf::PXR24_COMPRESSION:
      return 16;
    case Imf::PIZ_COMPRESSION:
    case Imf::B44_COMPRESSION:
    case Imf::B44A_COMPRESSION:
    case Imf::DWAA_COMPRESSION:
      return 32;
    case Imf::DWAB_COMPRESSION:
      return 256;
    default:
      return 1;
  }
}

void CheckPixels(std::uint64_t width, std::uint64_t height, std::uint64_t max_pixels) {
  if (width * height > max_pixels) {
    throw FileError("image of " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels exceeds the limit of " + std::to_string(max_pixels) + " pixels");
  }
}

// The headers walked over as bytes, before the OpenEXR library reads them:
// the library takes memory by an attribute's stated size, by the data window
// and tile size and by the chunk count, before anything can be checked. So
// every attribute must fit in the file, every part within the pixel limit,
// and the chunk offset tables, with a chunk of at least a few bytes each,
// within what follows the headers.
class HeaderWalk {
 public:
  HeaderWalk(const std::vector<char>& bytes, std::uint64_t max_pixels)
      : bytes_(bytes), max_pixels_(max_pixels) {}

  void Check() {
    if (bytes_.size() < 8 || std::memcmp(bytes_.data(), kMagic, sizeof kMagic) != 0) {
      throw FileError("not an OpenEXR file");
    }
    const std::uint32_t version = Word(4);
    if ((version & kNonImage) != 0) throw FileError(kDeepRefused);
    multi_part_ = (version & kMultiPart) != 0;
    single_part_tiled_ = (version & kSinglePartTiled) != 0;
    at_ = 8;
    std::uint64_t chunks = 0;
    do {
      chunks += Part();
    } while (multi_part_ && at_ < bytes_.size() && bytes_[at_] != 0);
    if (multi_part_) ++at_;  // the empty header ending the list
    // An offset of eight bytes and a chunk of at least eight (its position
    // and size; a part number in a multi-part file, tile coordinates).
    const std::uint64_t rest = at_ < bytes_.size() ? bytes_.size() - at_ : 0;
    if (chunks > rest / 16) {
      throw FileError("the chunk table's " + std::to_string(chunks) +
                      " entries run past the end of the file");
    }
  }

 private:
  struct PartFacts {
    std::optional<std::array<std::int32_t, 4>> data_window;
    std::optional<std::array<std::uint32_t, 2>> tile_size;
    unsigned compression = Imf::NO_COMPRESSION;
    std::string type;
    std::uint64_t chunk_count = 0;
  };

  std::uint32_t Word(std::size_t at) const {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      value |= std::uint32_t{static_cast<unsigned char>(bytes_[at + i])} << (8 * i);
    }
    return value;
  }

  // A zero-terminated name, at most 255 characters as the library allows.
  std::string Name() {
    std::string name;
    while (at_ < bytes_.size() && bytes_[at_] != 0) {
      if (name.size() == 255) throw FileError("an attribute's name in the header is too long");
      name.push_back(bytes_[at_++]);
    }
    if (at_ >= bytes_.size()) throw FileError("the header ends early");
    ++at_;
    return name;
  }

  // One part's header; the chunks it claims.
  std::uint64_t Part() {
    PartFacts facts;
    for (std::string name = Name(); !name.empty(); name = Name()) {
      const std::string type = Name();
      if (bytes_.size() - at_ < 4) throw FileError("the header ends early");
      const std::uint32_t size = Word(at_);
      at_ += 4;
      if (size > bytes_.size() - at_) {
        throw FileError("the header's attribute \"" + name + "\" claims " + std::to_string(size) +
                        " bytes, more than the file's " + std::to_string(bytes_.size()));
      }
      const std::size_t value = ValueBytes(name, type, size);
      Remember(facts, name, type, size);
      at_ += value;
    }
    if (facts.type.rfind("deep", 0) == 0) throw FileError(kDeepRefused);
    if (!facts.data_window) return 0;  // the library refuses the header
    const auto [xmin, ymin, xmax, ymax] = *facts.data_window;
    const std::int64_t width = std::int64_t{xmax} - xmin + 1;
    const std::int64_t height = std::int64_t{ymax} - ymin + 1;
    if (width <= 0 || height <= 0) throw FileError("the image is empty");
    CheckPixels(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), max_pixels_);
    const bool tiled = multi_part_ ? facts.type == "tiledimage" : single_part_tiled_;
    std::uint64_t chunks = 0;
    if (tiled && facts.tile_size) {
      const auto [tile_width, tile_height] = *facts.tile_size;
      if (tile_width == 0 || tile_height == 0) throw FileError("the tile size is zero");
      CheckPixels(tile_width, tile_height, max_pixels_);
      // The first level's tiles: a lower bound for mipmaps and ripmaps.
      chunks = ((static_cast<std::uint64_t>(width) + tile_width - 1) / tile_width) *
               ((static_cast<std::uint64_t>(height) + tile_height - 1) / tile_height);
    } else {
      const auto lines = static_cast<std::uint64_t>(LinesPerChunk(facts.compression));
      chunks = (static_cast<std::uint64_t>(height) + lines - 1) / lines;
    }
    return std::max(chunks, facts.chunk_count);
  }

  // The bytes the library reads of an attribute's value, which for its own
  // types is what the type holds, not the stated size; values whose parts
  // size memory (a preview's pixels, a string vector's strings) are checked
  // against the file.
  std::size_t ValueBytes(const std::string& name, const std::string& type,
                         std::uint32_t size) const {
    static constexpr std::pair<std::string_view, std::size_t> kFixed[] = {
        {"box2i", 16},  {"box2f", 16},       {"chromaticities", 32}, {"compression", 1},
        {"double", 8},  {"envmap", 1},       {"float", 4},           {"int", 4},
        {"keycode", 28}, {"lineOrder", 1},   {"m33f", 36},           {"m33d", 72},
        {"m44f", 64},   {"m44d", 128},       {"rational", 8},        {"tiledesc", 9},
        {"timecode", 8}, {"v2i", 8},         {"v2f", 8},             {"v2d", 16},
        {"v3i", 12},    {"v3f", 12},         {"v3d", 24},            {"deepImageState", 1}};
    const std::size_t rest = bytes_.size() - at_;
    const auto ends_early = [&] {
      return FileError("the header's attribute \"" + name + "\" runs past the end of the file");
    };
    for (const auto& [fixed_type, bytes] : kFixed) {
      if (type != fixed_type) continue;
      if (bytes > rest) throw ends_early();
      return bytes;
    }
    std::size_t read = 0;
    if (type == "chlist") {
      // Channels, each a name and 16 bytes, to an empty name.
      for (;;) {
        const std::size_t end = NameEnd(at_ + read);
        const bool last = end == at_ + read;
        read = end + 1 - at_;
        if (last) return read;
        if (16 > bytes_.size() - at_ - read) throw ends_early();
        read += 16;
      }
    }
    if (type == "preview") {
      if (rest < 8) throw ends_early();
      const std::uint64_t pixels = std::uint64_t{Word(at_)} * Word(at_ + 4);
      if (pixels > (rest - 8) / 4) throw ends_early();
      return 8 + static_cast<std::size_t>(pixels) * 4;
    }
    if (type == "stringvector") {
      // Strings, each its length and its characters, while the size lasts.
      while (read < size) {
        if (rest - read < 4) throw ends_early();
        const std::uint32_t length = Word(at_ + read);
        read += 4;
        if (length > rest - read) throw ends_early();
        read += length;
      }
      return read;
    }
    if (type == "floatvector") return size - size % 4;
    return size;  // strings, ID manifests and types the library does not know
  }

  // Where the zero-terminated name at `from` ends, at most 255 characters on.
  std::size_t NameEnd(std::size_t from) const {
    for (std::size_t at = from; at < bytes_.size(); ++at) {
      if (bytes_[at] == 0) return at;
      if (at - from == 255) throw FileError("a channel's name in the header is too long");
    }
    throw FileError("the header ends early");
  }

  // The facts that size memory, taken as the library takes them: a value of
  // its own types is read whole whatever size the attribute states.
  void Remember(PartFacts& facts, const std::string& name, const std::string& type,
                std::uint32_t size) const {
    if (name == "dataWindow" && type == "box2i") {
      std::array<std::int32_t, 4> box{};
      for (std::size_t i = 0; i < 4; ++i) box[i] = static_cast<std::int32_t>(Word(at_ + 4 * i));
      facts.data_window = box;
    } else if (name == "tiles" && type == "tiledesc") {
      facts.tile_size = std::array<std::uint32_t, 2>{Word(at_), Word(at_ + 4)};
    } else if (name == "compression" && type == "compression") {
      facts.compression = static_cast<unsigned char>(bytes_[at_]);
    } else if (name == "type" && type == "string") {
      facts.type.assign(bytes_.data() + at_, size);
    } else if (name == "chunkCount" && type == "int") {
      facts.chunk_count = Word(at_);
    }
  }

  const std::vector<char>& bytes_;
  std::uint64_t max_pixels_;
  std::size_t at_ = 0;
  bool multi_part_ = false;
  bool single_part_tiled_ = false;
};

// The file's bytes in memory, as OpenEXR reads them. Copied out rather than
// lent as memory mapped: the library's raw tile copy reads a mapped stream
// into a buffer it never made.
class MemoryStream : public Imf::IStream {
 public:
  explicit MemoryStream(const std::vector<char>& bytes) : Imf::IStream(""), bytes_(bytes) {}

  bool read(char c[], int n) override {
    if (n < 0 || at_ > bytes_.size() || static_cast<std::size_t>(n) > bytes_.size() - at_) {
      throw Iex::InputExc("Unexpected end of file.");
    }
    std::memcpy(c, bytes_.data() + at_, static_cast<std::size_t>(n));
    at_ += static_cast<std::size_t>(n);
    return at_ < bytes_.size();
  }
  std::uint64_t tellg() override { return at_; }
  void seekg(std::uint64_t position) override {
    at_ = static_cast<std::size_t>(std::min<std::uint64_t>(position, bytes_.size() + 1));
  }

 private:
  const std::vector<char>& bytes_;
  std::size_t at_ = 0;
};

// OpenEXR's writes into a ByteSink. The library writes the chunk offset
// tables as the file is closed, in a destructor that swallows exceptions, so
// the first failure is kept to be thrown afterwards.
class SinkStream : public Imf::OStream {
 public:
  explicit SinkStream(ByteSink& sink) : Imf::OStream(""), sink_(sink) {}

  void write(const char c[], int n) override {
    Attempt([&] { sink_.Write(c, static_cast<std::size_t>(n)); });
  }
  std::uint64_t tellp() override {
    std::uint64_t position = 0;
    Attempt([&] { position = sink_.Tell(); });
    return position;
  }
  void seekp(std::uint64_t position) override { Attempt([&] { sink_.Seek(position); }); }

  const std::string& failure() const { return failure_; }

 private:
  template <typename Step>
  void Attempt(const Step& step) {
    if (!failure_.empty()) throw Iex::IoExc(failure_);
    try {
      step();
    } catch (const FileError& error) {
      failure_ = error.what();
      throw Iex::IoExc(failure_);
    }
  }

  ByteSink& sink_;
  std::string failure_;
};

// A library's complaint as one line, without the name of the stream, which
// has none: the caller names the file.
[[noreturn]] void FailWith(const std::exception& error) {
  std::string text = error.what();
  text = text.substr(0, text.find('\n'));
  for (const std::string_view unnamed : {" from image file \"\"", " to image file \"\"",
                                         " image file \"\"", " image stream \"\"", " \"\""}) {
    for (std::size_t at; (at = text.find(unnamed)) != std::string::npos;) text.erase(at, unnamed.size());
  }
  throw FileError(text.empty() ? "the OpenEXR library failed" : text);
}

// Runs `work`, turning the OpenEXR library's exceptions into FileError;
// running out of memory stays std::bad_alloc.
template <typename Work>
auto Guarded(const Work& work) {
  try {
    return work();
  } catch (const FileError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& error) {
    FailWith(error);
  }
}

std::vector<char> ReadBytes(std::FILE* file, std::uint64_t file_size) {
  if (file_size > std::numeric_limits<std::size_t>::max()) throw std::bad_alloc();
  std::vector<char> bytes(static_cast<std::size_t>(file_size));
  if (std::fseek(file, 0, SEEK_SET) != 0 ||
      std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    throw FileError("the file could not be read to its end");
  }
  return bytes;
}

bool IsTiled(const Imf::Header& header) {
  return header.hasType() ? Imf::isTiled(header.type()) : header.hasTileDescription();
}

// The keyed channels, found in the first part that holds them.
struct Keyed {
  std::size_t part = 0;
  std::vector<std::string> colour;
  std::string alpha;
};

std::optional<Keyed> FindRgb(const std::vector<Imf::Header>& headers, const std::string& prefix) {
  for (std::size_t part = 0; part < headers.size(); ++part) {
    const Imf::ChannelList& channels = headers[part].channels();
    const auto has = [&](const char* name) { return channels.findChannel(prefix + name) != nullptr; };
    std::vector<std::string> colour;
    if (has("R") && has("G") && has("B")) {
      colour = {prefix + "R", prefix + "G", prefix + "B"};
    } else if (has("Y") && !has("RY") && !has("BY") && !has("R") && !has("G") && !has("B")) {
      // Luminance alone: written back as R, G and B, which it must not meet.
      colour = {prefix + "Y"};
    } else {
      continue;
    }
    return Keyed{part, colour, has("A") ? prefix + "A" : std::string()};
  }
  return std::nullopt;
}

std::string LayersOf(const std::vector<Imf::Header>& headers) {
  std::set<std::string> layers;
  for (const Imf::Header& header : headers) header.channels().layers(layers);
  std::string text;
  for (const std::string& layer : layers) text += (text.empty() ? "" : ", ") + layer;
  return text;
}

Keyed FindKeyed(const std::vector<Imf::Header>& headers, const std::string& layer) {
  std::optional<Keyed> keyed = FindRgb(headers, layer.empty() ? "" : layer + ".");
  // A single channel of any name is grey.
  if (!keyed && layer.empty()) {
    const Imf::ChannelList& channels = headers.front().channels();
    if (channels.begin() != channels.end() && ++channels.begin() == channels.end()) {
      keyed = Keyed{0, {channels.begin().name()}, {}};
    }
  }
  if (!keyed) {
    const std::string layers = LayersOf(headers);
    const std::string has = layers.empty() ? "; it has no layers" : "; its layers: " + layers;
    if (layer.empty()) throw FileError("the file has no R, G and B channels to key" + has);
    throw FileError("the file has no layer \"" + layer + "\" (" + layer + ".R, " + layer + ".G, " +
                    layer + ".B)" + has);
  }
  const Imf::ChannelList& channels = headers[keyed->part].channels();
  std::vector<std::string> names = keyed->colour;
  if (!keyed->alpha.empty()) names.push_back(keyed->alpha);
  for (const std::string& name : names) {
    const Imf::Channel& channel = *channels.findChannel(name);
    if (channel.xSampling != 1 || channel.ySampling != 1) {
      throw FileError("channel " + name + " is subsampled; only full channels can be keyed");
    }
    if (channel.type == Imf::UINT) {
      throw FileError("channel " + name + " holds unsigned integers, which cannot be keyed");
    }
  }
  const Imf::Header& header = headers[keyed->part];
  if (IsTiled(header) && header.tileDescription().mode != Imf::ONE_LEVEL) {
    throw FileError("mipmapped and ripmapped OpenEXR images are not supported");
  }
  return *keyed;
}

std::size_t TypeSize(Imf::PixelType type) { return type == Imf::HALF ? 2 : 4; }

// The keyed part's other channels, given memory that is taken as the
// library fills it.
std::vector<ExrChannelSamples> PassedChannels(const Imf::Header& header, const Keyed& keyed,
                                              std::uint64_t max_pixels) {
  const Imath::Box2i window = header.dataWindow();
  const auto width = static_cast<std::size_t>(std::int64_t{window.max.x} - window.min.x + 1);
  const auto height = static_cast<std::size_t>(std::int64_t{window.max.y} - window.min.y + 1);
  // At most the bytes of a float RGBA frame at the pixel limit.
  const std::uint64_t budget = max_pixels * 16;
  std::uint64_t held = 0;
  std::vector<ExrChannelSamples> passed;
  for (auto it = header.channels().begin(); it != header.channels().end(); ++it) {
    const std::string name = it.name();
    if (std::find(keyed.colour.begin(), keyed.colour.end(), name) != keyed.colour.end() ||
        name == keyed.alpha) {
      continue;
    }
    const Imf::Channel& channel = it.channel();
    if (channel.xSampling < 1 || channel.ySampling < 1) throw FileError("channel " + name + " has no sampling");
    const std::size_t row_samples = width / static_cast<std::size_t>(channel.xSampling);
    const std::size_t rows = height / static_cast<std::size_t>(channel.ySampling);
    const std::uint64_t bytes = std::uint64_t{row_samples} * rows * TypeSize(channel.type);
    held += bytes;
    if (held > budget) {
      throw FileError("the channels besides the keyed ones hold more than " +
                      std::to_string(budget) + " bytes, the limit for " +
                      std::to_string(max_pixels) + " pixels");
    }
    passed.push_back({name, channel, row_samples,
                      std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(bytes))});
  }
  return passed;
}

Imf::Slice PassedSlice(const ExrChannelSamples& passed, const Imath::Box2i& window) {
  const std::size_t size = TypeSize(passed.channel.type);
  return Imf::Slice::Make(passed.channel.type, passed.samples.get(), window, size,
                          size * passed.row_samples, passed.channel.xSampling,
                          passed.channel.ySampling);
}

Imf::FrameBuffer PassedSlices(const ExrFile& file, const Imath::Box2i& window) {
  Imf::FrameBuffer slices;
  for (const ExrChannelSamples& passed : file.passed) {
    slices.insert(passed.name, PassedSlice(passed, window));
  }
  return slices;
}

// Rows a band holds: a whole number of chunks, or the image's `height`.
std::uint32_t BandRows(const Imf::Header& header, std::size_t row_bytes, std::uint32_t height) {
  const std::uint64_t chunk_rows =
      IsTiled(header) ? header.tileDescription().ySize
                      : static_cast<std::uint64_t>(LinesPerChunk(header.compression()));
  const std::uint64_t chunks = std::max<std::uint64_t>(1, kBandBytes / row_bytes / chunk_rows);
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(chunks * chunk_rows, height));
}

// Rows [first, first + rows) of the frame, at `rows_at`, as the slices of
// `names` (R, G, B, A; an empty name is skipped), in pixels of four samples
// of `type`.
void InsertKeyedSlices(Imf::FrameBuffer& slices, const std::vector<std::string>& names,
                       Imf::PixelType type, std::byte* rows_at, const Imath::Box2i& window,
                       std::uint32_t first, std::uint32_t rows, std::size_t row_bytes) {
  const std::size_t size = TypeSize(type);
  const Imath::Box2i band(Imath::V2i(window.min.x, window.min.y + static_cast<int>(first)),
                          Imath::V2i(window.max.x,
                                     window.min.y + static_cast<int>(first + rows) - 1));
  for (std::size_t c = 0; c < names.size(); ++c) {
    if (names[c].empty()) continue;
    // A missing alpha is filled opaque by the library.
    slices.insert(names[c], Imf::Slice::Make(type, rows_at + c * size, band, 4 * size,
                                             row_bytes, 1, 1, c == 3 ? 1.0 : 0.0));
  }
}

void SpreadGrey(std::byte* rows_at, std::uint32_t rows, std::uint32_t width,
                std::size_t row_bytes) {
  for (std::uint32_t row = 0; row < rows; ++row) {
    std::byte* pixel = rows_at + row * row_bytes;
    for (std::uint32_t x = 0; x < width; ++x, pixel += 4 * sizeof(float)) {
      std::memcpy(pixel + sizeof(float), pixel, sizeof(float));
      std::memcpy(pixel + 2 * sizeof(float), pixel, sizeof(float));
    }
  }
}

void ReadKeyedPart(Imf::MultiPartInputFile& input, ExrFile& file, FrameBuffer& frame) {
  const Imf::Header& header = file.headers[file.keyed_part];
  const Imath::Box2i window = header.dataWindow();
  const auto width = static_cast<std::uint32_t>(window.max.x - window.min.x + 1);
  const auto height = static_cast<std::uint32_t>(window.max.y - window.min.y + 1);
  frame.Reset(SampleType::kFloat, width, height, true);
  const bool grey = file.colour.size() == 1;
  const std::string alpha = file.alpha.empty() ? file.layer_prefix + "A" : file.alpha;
  const std::vector<std::string> names = grey ? std::vector<std::string>{file.colour[0], "", "", alpha}
                                              : std::vector<std::string>{file.colour[0], file.colour[1],
                                                                         file.colour[2], alpha};
  Imf::InputPart part(input, static_cast<int>(file.keyed_part));
  Imf::FrameBuffer slices = PassedSlices(file, window);
  const std::uint32_t band = BandRows(header, frame.row_bytes(), height);
  for (std::uint32_t first = 0; first < height; first += band) {
    const std::uint32_t rows = std::min(band, height - first);
    std::byte* at = frame.Rows(first, rows);
    InsertKeyedSlices(slices, names, Imf::FLOAT, at, window, first, rows, frame.row_bytes());
    part.setFrameBuffer(slices);
    part.readPixels(window.min.y + static_cast<int>(first),
                    window.min.y + static_cast<int>(first + rows) - 1);
    if (grey) SpreadGrey(at, rows, width, frame.row_bytes());
  }
}

// The keyed part's header as written: the keyed channels replaced by
// LAYER R, G, B and A at `type`.
Imf::Header KeyedHeader(const ExrFile& file, Imf::PixelType type) {
  Imf::Header header = file.headers[file.keyed_part];
  Imf::ChannelList channels;
  for (const ExrChannelSamples& passed : file.passed) channels.insert(passed.name, passed.channel);
  for (const char* name : {"R", "G", "B", "A"}) {
    channels.insert(file.layer_prefix + name, Imf::Channel(type));
  }
  header.channels() = channels;
  return header;
}

// Rows of the frame as associated samples of `type`: the frame's own rows
// when it holds them so, else converted into `floats` (and `halves`).
std::byte* KeyedRows(FrameBuffer& frame, std::uint32_t first, std::uint32_t rows,
                     Imf::PixelType type, std::vector<float>& floats, std::vector<half>& halves) {
  std::byte* at = frame.Rows(first, rows);
  const bool associated_floats = frame.type() == SampleType::kFloat && frame.premultiplied();
  if (associated_floats && type == Imf::FLOAT) return at;
  const std::size_t samples = std::size_t{4} * frame.width() * rows;
  floats.resize(samples);
  const float scale = frame.type() == SampleType::kUint8    ? 1.0f / 255.0f
                      : frame.type() == SampleType::kUint16 ? 1.0f / 65535.0f
                                                            : 1.0f;
  for (std::size_t i = 0; i < samples; ++i) {
    switch (frame.type()) {
      case SampleType::kUint8:
        floats[i] = static_cast<float>(std::to_integer<unsigned>(at[i])) * scale;
        break;
      case SampleType::kUint16: {
        std::uint16_t value;
        std::memcpy(&value, at + 2 * i, sizeof value);
        floats[i] = static_cast<float>(value) * scale;
        break;
      }
      case SampleType::kFloat:
        std::memcpy(&floats[i], at + 4 * i, sizeof(float));
        break;
    }
  }
  if (!frame.premultiplied()) {
    for (std::size_t i = 0; i < samples; i += 4) {
      for (std::size_t c = 0; c < 3; ++c) floats[i + c] *= floats[i + 3];
    }
  }
  if (type == Imf::FLOAT) return reinterpret_cast<std::byte*>(floats.data());
  // The library converts types as it reads, not as it writes.
  halves.resize(samples);
  std::copy(floats.begin(), floats.end(), halves.begin());
  return reinterpret_cast<std::byte*>(halves.data());
}

void WriteKeyedPart(Imf::MultiPartOutputFile& output, int part_number, const Imf::Header& header,
                    const ExrFile* file, const std::string& prefix, Imf::PixelType type,
                    FrameBuffer& frame) {
  const Imath::Box2i window = header.dataWindow();
  const std::int64_t width = std::int64_t{window.max.x} - window.min.x + 1;
  const std::int64_t height = std::int64_t{window.max.y} - window.min.y + 1;
  if (width != frame.width() || height != frame.height()) {
    throw FileError("the frame is not the size of the image read");
  }
  const std::vector<std::string> names = {prefix + "R", prefix + "G", prefix + "B", prefix + "A"};
  Imf::FrameBuffer slices = file != nullptr ? PassedSlices(*file, window) : Imf::FrameBuffer();
  const std::size_t row_bytes = std::size_t{4} * TypeSize(type) * frame.width();
  std::vector<float> floats;
  std::vector<half> halves;
  const std::uint32_t band = BandRows(header, row_bytes, frame.height());
  const std::uint32_t bands = (frame.height() + band - 1) / band;
  // A part's rows are written in its line order.
  const bool upwards = header.lineOrder() == Imf::DECREASING_Y;
  const bool tiled = IsTiled(header);
  std::optional<Imf::OutputPart> lines;
  std::optional<Imf::TiledOutputPart> tiles;
  if (tiled) {
    tiles.emplace(output, part_number);
  } else {
    lines.emplace(output, part_number);
  }
  for (std::uint32_t b = 0; b < bands; ++b) {
    const std::uint32_t first = (upwards ? bands - 1 - b : b) * band;
    const std::uint32_t rows = std::min(band, frame.height() - first);
    InsertKeyedSlices(slices, names, type, KeyedRows(frame, first, rows, type, floats, halves),
                      window, first, rows, row_bytes);
    if (tiled) {
      tiles->setFrameBuffer(slices);
      const std::uint32_t tile_height = header.tileDescription().ySize;
      tiles->writeTiles(0, tiles->numXTiles(0) - 1, static_cast<int>(first / tile_height),
                        static_cast<int>((first + rows - 1) / tile_height));
    } else {
      lines->setFrameBuffer(slices);
      lines->writePixels(static_cast<int>(rows));
    }
  }
}

void CopyPart(Imf::MultiPartOutputFile& output, Imf::MultiPartInputFile& input, int part) {
  if (IsTiled(input.header(part))) {
    Imf::TiledInputPart from(input, part);
    Imf::TiledOutputPart(output, part).copyPixels(from);
  } else {
    Imf::InputPart from(input, part);
    Imf::OutputPart(output, part).copyPixels(from);
  }
}

std::string List(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

}  // namespace

bool Sniff(const unsigned char* first_bytes, std::size_t count) {
  return count >= sizeof kMagic && std::memcmp(first_bytes, kMagic, sizeof kMagic) == 0;
}

ImageHeader Read(std::FILE* file, std::uint64_t file_size, const ReadOptions& options,
                 FrameBuffer& frame) {
  auto exr = std::make_shared<ExrFile>();
  exr->bytes = ReadBytes(file, file_size);
  HeaderWalk(exr->bytes, options.max_pixels).Check();
  return Guarded([&] {
    MemoryStream stream(exr->bytes);
    Imf::MultiPartInputFile input(stream, 1);
    for (int part = 0; part < input.parts(); ++part) {
      exr->headers.push_back(input.header(part));
      if (exr->headers.back().hasType() && Imf::isDeepData(exr->headers.back().type())) {
        throw FileError(kDeepRefused);
      }
    }
    const Keyed keyed = FindKeyed(exr->headers, options.layer);
    exr->keyed_part = keyed.part;
    exr->layer_prefix = options.layer.empty() ? "" : options.layer + ".";
    exr->colour = keyed.colour;
    exr->alpha = keyed.alpha;
    const Imf::Header& header = exr->headers[keyed.part];
    exr->passed = PassedChannels(header, keyed, options.max_pixels);
    ReadKeyedPart(input, *exr, frame);

    ImageHeader read;
    read.format = FileFormat::kOpenExr;
    std::vector<std::string> names = keyed.colour;
    if (!keyed.alpha.empty()) names.push_back(keyed.alpha);
    const bool halves = std::all_of(names.begin(), names.end(), [&](const std::string& name) {
      return header.channels()[name].type == Imf::HALF;
    });
    read.stored_type = halves ? OutputType::kHalf : OutputType::kFloat;
    read.bits_per_sample = halves ? 16 : 32;
    read.exr = std::move(exr);
    return read;
  });
}

void Write(ByteSink& sink, const ImageHeader& source, OutputType type, FrameBuffer& frame) {
  const ExrFile* file = source.exr.get();
  const Imf::PixelType pixel_type = type == OutputType::kHalf ? Imf::HALF : Imf::FLOAT;
  std::vector<Imf::Header> headers;
  std::size_t keyed_part = 0;
  std::string prefix;
  if (file != nullptr) {
    headers = file->headers;
    keyed_part = file->keyed_part;
    prefix = file->layer_prefix;
    headers[keyed_part] = KeyedHeader(*file, pixel_type);
  } else {
    Imf::Header header(static_cast<int>(frame.width()), static_cast<int>(frame.height()));
    for (const char* name : {"R", "G", "B", "A"}) header.channels().insert(name, Imf::Channel(pixel_type));
    headers.push_back(header);
  }
  // The writer needs each part's type, which a single-part file may leave
  // to its version field.
  for (Imf::Header& header : headers) {
    if (!header.hasType()) header.setType(IsTiled(header) ? Imf::TILEDIMAGE : Imf::SCANLINEIMAGE);
  }
  SinkStream stream(sink);
  try {
    Guarded([&] {
      // Closed, its chunk offset tables written, before the failure check.
      Imf::MultiPartOutputFile output(stream, headers.data(), static_cast<int>(headers.size()),
                                      false, 1);
      WriteKeyedPart(output, static_cast<int>(keyed_part), headers[keyed_part], file, prefix,
                     pixel_type, frame);
      if (headers.size() > 1) {
        MemoryStream bytes(file->bytes);
        Imf::MultiPartInputFile input(bytes, 1);
        for (std::size_t part = 0; part < headers.size(); ++part) {
          if (part != keyed_part) CopyPart(output, input, static_cast<int>(part));
        }
      }
    });
  } catch (const FileError&) {
    if (!stream.failure().empty()) throw FileError(stream.failure());
    throw;
  }
  if (!stream.failure().empty()) throw FileError(stream.failure());
}

std::string DescribeLeftOut(const ExrFile& file) {
  std::vector<std::string> channels;
  for (const ExrChannelSamples& passed : file.passed) channels.push_back(passed.name);
  std::vector<std::string> parts;
  for (std::size_t part = 0; part < file.headers.size(); ++part) {
    if (part == file.keyed_part) continue;
    const Imf::Header& header = file.headers[part];
    parts.push_back(std::to_string(part + 1) +
                    (header.hasName() ? " \"" + header.name() + "\"" : std::string()));
  }
  std::string text;
  if (!channels.empty()) text = (channels.size() == 1 ? "channel " : "channels ") + List(channels);
  if (!parts.empty()) {
    text += (text.empty() ? "" : "; ") + std::string(parts.size() == 1 ? "part " : "parts ") +
            List(parts);
  }
  return text;
}

}  // namespace huesieve::image::exr
