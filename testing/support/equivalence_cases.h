// Entry tables chosen to break the prepared rule's walk, the frames that hold
// every 8-bit colour or the 16-bit conversion boundaries, and the comparison
// of the effect on a forced walk (forced_walk.h) with the plain walk that
// applies MatchPixel to every pixel.
// Standard library only: the gtest suite and the standalone checker share it.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <iterator>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/colour_entry_table.h"
#include "core/effect.h"
#include "core/effect_walk.h"
#include "core/image_view.h"
#include "core/pixel_formats.h"
#include "core/srgb_decision.h"
#include "testing/reference/plain_colour_rule.h"
#include "testing/reference/plain_selection_pass.h"
#include "testing/support/forced_walk.h"

namespace huesieve::equivalence {

struct TableCase {
  std::string name;
  ColourEntryTable table;
};

inline ColourEntryTable RandomTable(std::uint32_t seed, std::int32_t count) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_real_distribution<float> range(0.0f, 130.0f);
  std::uniform_real_distribution<float> softness(0.0f, 100.0f);
  ColourEntryTable table;
  table.count = count;
  for (std::size_t k = 0; k < kMaxColourEntries; ++k) {
    table.enabled[k] = byte(random) < 192 ? 1 : 0;
    byte(random);  // the alpha a host's colour control carries, which the rule ignores
    table.colours[k] = Rgb8{static_cast<std::uint8_t>(byte(random)),
                            static_cast<std::uint8_t>(byte(random)),
                            static_cast<std::uint8_t>(byte(random))};
    table.ranges[k] = range(random);
    table.softness[k] = softness(random);
  }
  return table;
}

// Colours spread over the cube, so each entry meets colours at every distance.
inline Rgb8 SpreadColour(std::size_t k) {
  return Rgb8{static_cast<std::uint8_t>((k * 97 + 13) % 256),
              static_cast<std::uint8_t>((k * 59 + 200) % 256),
              static_cast<std::uint8_t>((k * 151 + 77) % 256)};
}

// Ranges at the square root of whole redmean sums (exact when the sum is a
// square), and the floats just below and above them: the claim test sits on
// its edge there.
inline ColourEntryTable SquareRootRanges(int nudge) {
  constexpr double kSums[kMaxColourEntries] = {1,    2,    100,  257,   1000,
                                               2500, 4096, 7777, 12000, 16384};
  ColourEntryTable table;
  table.count = kMaxColourEntries;
  for (std::size_t k = 0; k < kMaxColourEntries; ++k) {
    float range = static_cast<float>(std::sqrt(kSums[k]));
    if (nudge < 0) range = std::nextafter(range, 0.0f);
    if (nudge > 0) range = std::nextafter(range, 1000.0f);
    table.enabled[k] = 1;
    table.colours[k] = SpreadColour(k);
    table.ranges[k] = range;
    table.softness[k] = static_cast<float>(k * 11);
  }
  return table;
}

// Ranges that are the float rounded up from the square root of a whole sum,
// with a Softness so small that the band cancels to 0: a pixel at that sum is
// claimed, its ratio rounds to 100 so it ramps, and the ramp is 0 over 0, a
// NaN that must become alpha 0 in every lane as in the rule.
inline ColourEntryTable CancelledBands() {
  ColourEntryTable table;
  table.count = kMaxColourEntries;
  constexpr std::uint32_t kFrom[kMaxColourEntries] = {2,    12,   60,   250,   900,
                                                      2000, 4000, 7000, 11000, 15000};
  for (std::size_t k = 0; k < kMaxColourEntries; ++k) {
    for (std::uint32_t sum = kFrom[k];; ++sum) {
      const double root = std::sqrt(static_cast<double>(sum));
      const float range = static_cast<float>(root);
      if (!(static_cast<double>(range) > root)) continue;
      if (static_cast<float>(root / static_cast<double>(range) * 100.0) < 100.0f) continue;
      table.enabled[k] = 1;
      table.colours[k] = SpreadColour(k);
      table.ranges[k] = range;
      table.softness[k] = 1e-30f;
      break;
    }
  }
  return table;
}

inline ColourEntryTable FromColumns(std::vector<std::uint8_t> enabled, std::vector<float> ranges,
                                    std::vector<float> softness) {
  ColourEntryTable table;
  table.count = static_cast<std::int32_t>(ranges.size());
  for (std::size_t k = 0; k < ranges.size(); ++k) {
    table.enabled[k] = enabled[k];
    table.colours[k] = SpreadColour(k);
    table.ranges[k] = ranges[k];
    table.softness[k] = softness[k];
  }
  return table;
}

// Small ranges about colours whose channels decide at the ends of the float
// keys' decision spans (srgb_decision.h): judged sRGB-encoded, a float's key
// just reaches such an entry or just misses it, so the kernels' float
// prefilter lets vectors through and rules others out at its edges.
inline ColourEntryTable SrgbKeyEdges() {
  const SrgbDecisionTables& tables = SrgbTables();
  constexpr std::size_t kKeys[][3] = {{1, 12, 30}, {5, 20, 29}, {9, 16, 31}, {25, 3, 14}};
  ColourEntryTable table = FromColumns({1, 1, 1, 1}, {2, 6, 12, 3}, {0, 50, 100, 20});
  for (std::size_t k = 0; k < std::size(kKeys); ++k) {
    const auto& ends = k % 2 == 0 ? tables.float_key_highest : tables.float_key_lowest;
    table.colours[k] = Rgb8{ends[kKeys[k][0]], ends[kKeys[k][1]], ends[kKeys[k][2]]};
  }
  return table;
}

inline std::vector<TableCase> HostileTables() {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  constexpr float kInf = std::numeric_limits<float>::infinity();
  std::vector<TableCase> cases;
  for (std::uint32_t seed = 1; seed <= 4; ++seed) {
    cases.push_back({"random" + std::to_string(seed), RandomTable(seed, kMaxColourEntries)});
  }
  cases.push_back({"random_count1", RandomTable(11, 1)});
  cases.push_back({"random_count3", RandomTable(12, 3)});
  cases.push_back({"count0", RandomTable(13, 0)});
  cases.push_back({"sqrt_sums", SquareRootRanges(0)});
  cases.push_back({"sqrt_sums_down", SquareRootRanges(-1)});
  cases.push_back({"sqrt_sums_up", SquareRootRanges(+1)});
  cases.push_back({"cancelled_bands", CancelledBands()});
  cases.push_back({"range_0_and_128", FromColumns({1, 1, 0, 1, 1, 1, 0, 1, 1, 1},
                                                  {0, 128, 128, 0, 128, 0, 128, 128, 0, 128},
                                                  {0, 100, 50, 100, 1e-3f, 0, 0, 25, 100, 1e-6f})});
  cases.push_back(
      {"softness_extremes",
       FromColumns({1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {40, 60, 80, 100, 120, 30, 50, 70, 90, 110},
                   {0, 100, 1e-6f, 1e-3f, 99, 100, 1e-6f, 1e-3f, 0.5f, 99.999f})});
  cases.push_back(
      {"tiny_softness_wide", FromColumns({1, 1, 1}, {128, 128, 128}, {1e-6f, 1e-3f, 1e-5f})});
  cases.push_back({"disabled_in_front", FromColumns({0, 0, 0, 0, 0, 1, 1, 1, 1, 1},
                                                    {30, 45, 60, 75, 90, 128, 128, 128, 128, 128},
                                                    {50, 50, 50, 50, 50, 60, 70, 80, 90, 100})});
  cases.push_back({"hostile_ranges",
                   FromColumns({1, 1, 1, 1, 1, 0, 1, 1, 1, 1},
                               {kNaN, -kInf, -5, -0.0f, FLT_TRUE_MIN, 1e30f, FLT_MAX, 3, kInf, 20},
                               {50, 50, 50, 50, 50, 50, 50, 50, 50, 50})});
  cases.push_back(
      {"hostile_softness",
       FromColumns({1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {50, 60, 70, 80, 90, 100, 110, 120, 25, kInf},
                   {kNaN, kInf, -kInf, -10, 1000, FLT_TRUE_MIN, FLT_MAX, 100, 1e-30f, 50})});
  // One colour, nested ranges: the first entry decides even where a later one
  // is closer to its inner part.
  ColourEntryTable nested =
      FromColumns({1, 0, 1, 1, 0, 1, 1, 0, 1, 1}, {10, 20, 30, 40, 50, 60, 70, 80, 90, 128},
                  {100, 0, 50, 0, 100, 1e-3f, 99, 0, 30, 70});
  for (std::size_t k = 0; k < kMaxColourEntries; ++k)
    nested.colours[k] = Rgb8{128, 128, 128};
  cases.push_back({"nested_one_colour", nested});
  cases.push_back({"srgb_key_edges", SrgbKeyEdges()});
  return cases;
}

// How many colours the checks use: all 2^24, or the sample that the
// environment variable or, failing it, the compile definition
// HUESIEVE_EQUIVALENCE_SAMPLE asks for, for slow builds such as the sanitizer one.
inline std::size_t SampleFromEnvironment(std::size_t all) {
  const char* text = std::getenv("HUESIEVE_EQUIVALENCE_SAMPLE");
#ifdef HUESIEVE_EQUIVALENCE_SAMPLE
#define HUESIEVE_STRINGIFY_VALUE(value) #value
#define HUESIEVE_STRINGIFY(value) HUESIEVE_STRINGIFY_VALUE(value)
  if (text == nullptr || *text == '\0') text = HUESIEVE_STRINGIFY(HUESIEVE_EQUIVALENCE_SAMPLE);
#endif
  if (text == nullptr || *text == '\0') return all;
  const unsigned long long sample = std::strtoull(text, nullptr, 10);
  return sample == 0 || sample > all ? all : static_cast<std::size_t>(sample);
}

// Colours in cell-major order: the 8 × 8 × 8 cells one after another, red,
// green and blue coordinates from the top, and within each cell its 512
// colours, red, green and blue offsets from the top. Independent of the
// module's own cell index.
inline std::uint32_t CellMajorColour(std::uint32_t place) {
  const std::uint32_t cell = place >> 9;
  const std::uint32_t within = place & 511;
  const std::uint32_t red = ((cell >> 10) & 31) << 3 | within >> 6;
  const std::uint32_t green = ((cell >> 5) & 31) << 3 | ((within >> 3) & 7);
  const std::uint32_t blue = (cell & 31) << 3 | (within & 7);
  return red << 16 | green << 8 | blue;
}

// The colour of a slot in blocks of 16: an even block holds 16 colours of one
// cell, so that every vector of 8 or 16 slots in it lies in one cell; an odd
// block holds colours of 16 different cells, its place within the block
// (bits 0..3) swapped with cell bits (15..18). Over 2^24 slots every colour
// comes once.
inline std::uint32_t BlockColour(std::uint32_t slot) {
  std::uint32_t place = slot;
  if ((slot & 16) != 0) {
    const std::uint32_t within_block = slot & 15;
    const std::uint32_t cell_bits = (slot >> 15) & 15;
    place = (slot & ~(15u | 15u << 15)) | within_block << 15 | cell_bits;
  }
  return CellMajorColour(place);
}

// A frame 4096 slots wide holding the colours: every 8-bit colour once when
// `sample` is 2^24, otherwise `sample` colours from blocks picked at random;
// alphas vary.
inline std::vector<Argb8::Pixel> ColourFrame8(std::size_t sample) {
  constexpr std::size_t kAll = std::size_t{1} << 24;
  std::vector<Argb8::Pixel> pixels(sample);
  std::mt19937 random(2024);
  std::uint32_t block = 0;
  for (std::size_t i = 0; i < sample; ++i) {
    if (i % 16 == 0) block = sample == kAll ? static_cast<std::uint32_t>(i) : random() & 0xFFFFF0u;
    const std::uint32_t colour = BlockColour(block | static_cast<std::uint32_t>(i % 16));
    pixels[i] = MakePixel<Argb8>(static_cast<std::uint8_t>((colour * 2654435761u) >> 24),
                                 static_cast<std::uint8_t>(colour >> 16),
                                 static_cast<std::uint8_t>(colour >> 8),
                                 static_cast<std::uint8_t>(colour));
  }
  return pixels;
}

// How the plain reference reads a format's channels.
template <typename Format>
constexpr plain_reference::Scale kPlainScale = plain_reference::Scale::kByte;
template <>
inline constexpr plain_reference::Scale kPlainScale<Argb16> = plain_reference::Scale::kHost16;
template <>
inline constexpr plain_reference::Scale kPlainScale<Rgba16> = plain_reference::Scale::kShort;
template <>
inline constexpr plain_reference::Scale kPlainScale<RgbaFloat> = plain_reference::Scale::kFloat;

// A channel on the 8-bit scale, as the plain reference converts it.
template <typename Format>
int PlainByte(typename Format::Sample channel) {
  return static_cast<int>(
      plain_reference::ToByte(static_cast<double>(channel), kPlainScale<Format>));
}

// 16-bit channel values around every step of the conversion to 8 bits (the
// last value of each step and the first of the next), and the top of the
// format's scale and beyond.
template <typename Format>
std::vector<std::uint16_t> ConversionBoundaries() {
  std::vector<std::uint16_t> values;
  int previous = 0;
  for (int c = 1; c <= 65535; ++c) {
    const int converted = PlainByte<Format>(static_cast<std::uint16_t>(c));
    if (converted != previous) {
      values.push_back(static_cast<std::uint16_t>(c - 1));
      values.push_back(static_cast<std::uint16_t>(c));
      previous = converted;
    }
  }
  const int full = Format::kRampMax;
  for (int c : {0, full - 2, full - 1, full, std::min(full + 1, 65535), 40000, 65534, 65535}) {
    values.push_back(static_cast<std::uint16_t>(c));
  }
  return values;
}

// In blocks of 16 pixels of a 16-bit format. An even block lies in one cell
// after conversion: each channel of each pixel is a random 16-bit value (the
// first, the last, or any) of those converting to a random 8-bit value of the
// block's cell. In an odd block half the pixels take the boundary values and
// half are uniform over the 16-bit range (mostly within the format's scale).
// Alphas over the whole 16-bit range.
template <typename Format>
std::vector<typename Format::Pixel> ColourFrame16(std::size_t sample) {
  const std::vector<std::uint16_t> boundaries = ConversionBoundaries<Format>();
  // The 16-bit values converting to each 8-bit value: first[v] to first[v + 1] - 1.
  std::array<int, 257> first{};
  for (int c = 65535; c >= 0; --c)
    first[static_cast<std::size_t>(PlainByte<Format>(static_cast<std::uint16_t>(c)))] = c;
  first[256] = 65536;
  std::mt19937 random(16);
  std::uniform_int_distribution<std::size_t> pick(0, boundaries.size() - 1);
  std::uniform_int_distribution<int> any(0, 65535);
  std::uniform_int_distribution<int> scale(0, Format::kRampMax);
  std::uniform_int_distribution<int> coordinate(0, 31);
  std::uniform_int_distribution<int> offset(0, 7);
  std::array<int, 3> cell{};
  const auto in_cell = [&](int axis) {
    const auto value =
        static_cast<std::size_t>(cell[static_cast<std::size_t>(axis)] * 8 + offset(random));
    const int low = first[value];
    const int high = first[value + 1] - 1;
    const int choice = offset(random) % 3;
    return static_cast<std::uint16_t>(choice == 0 ? low
                                  : choice == 1
                                      ? high
                                      : std::uniform_int_distribution<int>(low, high)(random));
  };
  std::vector<typename Format::Pixel> pixels(sample);
  for (std::size_t i = 0; i < sample; ++i) {
    typename Format::Pixel& pixel = pixels[i];
    std::uint16_t& red = pixel[Format::kRed];
    std::uint16_t& green = pixel[Format::kGreen];
    std::uint16_t& blue = pixel[Format::kBlue];
    pixel[Format::kAlpha] = static_cast<std::uint16_t>(any(random));
    if (i % 32 < 16) {
      if (i % 16 == 0) cell = {coordinate(random), coordinate(random), coordinate(random)};
      red = in_cell(0);
      green = in_cell(1);
      blue = in_cell(2);
    } else if (i % 2 == 0) {
      red = boundaries[pick(random)];
      green = boundaries[pick(random)];
      blue = boundaries[pick(random)];
    } else {
      const bool wide = i % 16 == 1;
      red = static_cast<std::uint16_t>(wide ? any(random) : scale(random));
      green = static_cast<std::uint16_t>(wide ? any(random) : scale(random));
      blue = static_cast<std::uint16_t>(wide ? any(random) : scale(random));
    }
  }
  return pixels;
}

// The float channel values around every step of the conversion to 8 bits:
// for each 8-bit value v, the least float converting to v (edge[v]) and the
// float below it; edge[256] lies past the scale.
inline std::array<float, 257> FloatEdges() {
  std::array<float, 257> edge{};
  for (int v = 0; v <= 256; ++v) {
    float f = (static_cast<float>(v) - 0.5f) / 255.0f;
    while (PlainByte<RgbaFloat>(f) >= v && v > 0) f = std::nextafter(f, -1.0f);
    while (PlainByte<RgbaFloat>(f) < v && v < 256) f = std::nextafter(f, 2.0f);
    edge[static_cast<std::size_t>(v)] = v == 256 ? 1.0f : f;
  }
  edge[0] = 0.0f;
  return edge;
}

// The same for the sRGB decision: the least float deciding each value v,
// by bisection over the bits of the floats in 0..1 with the plain encoding.
inline std::array<float, 257> SrgbFloatEdges() {
  std::array<float, 257> edge{};
  for (int v = 1; v <= 255; ++v) {
    std::uint32_t low = 0;
    std::uint32_t high = std::bit_cast<std::uint32_t>(1.0f);
    while (high - low > 1) {
      const std::uint32_t middle = low + (high - low) / 2;
      const float f = std::bit_cast<float>(middle);
      (plain_reference::SrgbToByte(f, plain_reference::Scale::kFloat) >= v ? high : low) = middle;
    }
    edge[static_cast<std::size_t>(v)] = std::bit_cast<float>(high);
  }
  edge[256] = 1.0f;
  return edge;
}

// Float pixels in blocks of 16, as ColourFrame16 makes them: even blocks in
// one cell (each channel the first, the last or any float converting to an
// 8-bit value of the cell), or, every other one, in one float key of the
// sRGB prefilter each channel (its first or last float or any between); in
// odd blocks half the pixels on the edges between two 8-bit values and half
// anything: NaN, infinities, negatives, past full, or random bits. Alphas
// random, special ones included.
inline std::vector<RgbaFloat::Pixel> ColourFrameFloat(std::size_t sample) {
  const std::array<float, 257> edge = FloatEdges();
  std::mt19937 random(32);
  std::uniform_int_distribution<int> coordinate(0, 31);
  std::uniform_int_distribution<int> offset(0, 7);
  std::uniform_int_distribution<std::size_t> value(0, 255);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  constexpr float kSpecial[] = {NAN, -NAN, INFINITY, -INFINITY, -0.0f, -0.5f, 1.0f, 1.001f, 7.5f,
                                1e30f, -1e-30f, 1e-40f};
  std::array<int, 3> cell{};
  const auto in_cell = [&](int axis) {
    const auto v =
        static_cast<std::size_t>(cell[static_cast<std::size_t>(axis)] * 8 + offset(random));
    const float low = edge[v];
    const float high = std::nextafter(edge[v + 1], -1.0f);
    const int choice = offset(random) % 3;
    return choice == 0 ? low : choice == 1 ? high : low + (high - low) * unit(random);
  };
  const auto anything = [&] {
    const std::uint32_t choice = random() % 4;
    if (choice == 0) return kSpecial[random() % std::size(kSpecial)];
    if (choice == 1) return std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    return unit(random) * 1.2f - 0.1f;
  };
  std::uniform_int_distribution<std::uint32_t> key_of(0, SrgbDecisionTables::kFloatKeys - 1);
  std::array<std::uint32_t, 3> keys{};
  const auto in_key = [&](int axis) {
    const std::uint32_t key = keys[static_cast<std::size_t>(axis)];
    const std::uint32_t first = SrgbDecisionTables::kFloatKeyBase +
                                (key << SrgbDecisionTables::kFloatKeyShift);
    const std::uint32_t last =
        key + 1 == SrgbDecisionTables::kFloatKeys
            ? first
            : first + (std::uint32_t{1} << SrgbDecisionTables::kFloatKeyShift) - 1;
    const int choice = offset(random) % 4;
    const auto between = static_cast<std::uint32_t>(random());
    const std::uint32_t bits = choice == 0   ? first
                               : choice == 1 ? last
                               : key == 0    ? between % last
                                             : first + between % (last - first + 1);
    return std::bit_cast<float>(bits);
  };
  const std::array<float, 257> srgb_edge = SrgbFloatEdges();
  const auto on_edge = [&] {
    const std::array<float, 257>& edges = random() % 2 == 0 ? edge : srgb_edge;
    const float at = edges[value(random) + 1];
    return random() % 2 == 0 ? at : std::nextafter(at, -1.0f);
  };
  std::vector<RgbaFloat::Pixel> pixels(sample);
  for (std::size_t i = 0; i < sample; ++i) {
    RgbaFloat::Pixel& pixel = pixels[i];
    pixel[RgbaFloat::kAlpha] = random() % 8 == 0 ? anything() : unit(random);
    if (i % 32 < 16) {
      const bool by_key = i % 64 >= 32;
      if (i % 16 == 0) {
        cell = {coordinate(random), coordinate(random), coordinate(random)};
        keys = {key_of(random), key_of(random), key_of(random)};
      }
      for (int axis = 0; axis < 3; ++axis) {
        pixel[static_cast<std::size_t>(axis)] = by_key ? in_key(axis) : in_cell(axis);
      }
    } else {
      for (int axis = 0; axis < 3; ++axis) {
        pixel[static_cast<std::size_t>(axis)] = i % 2 == 0 ? on_edge() : anything();
      }
    }
  }
  return pixels;
}

// A frame of one format in another's channel order.
template <typename To, typename From>
std::vector<typename To::Pixel> Reordered(const std::vector<typename From::Pixel>& frame) {
  std::vector<typename To::Pixel> reordered(frame.size());
  for (std::size_t i = 0; i < frame.size(); ++i) {
    reordered[i] = MakePixel<To>(frame[i][From::kAlpha], frame[i][From::kRed],
                                 frame[i][From::kGreen], frame[i][From::kBlue]);
  }
  return reordered;
}

// The rule as it always was, and each of its modes.
inline constexpr RuleModes kEveryModes[] = {
    {JudgeColours::kAsStored, FeatheredAlpha::kReplaces},
    {JudgeColours::kSrgbEncoded, FeatheredAlpha::kReplaces},
    {JudgeColours::kAsStored, FeatheredAlpha::kFades},
    {JudgeColours::kSrgbEncoded, FeatheredAlpha::kFades},
};

inline std::string ModesName(const RuleModes& modes) {
  return std::string(modes.judge == JudgeColours::kSrgbEncoded ? "sRGB" : "stored") +
         (modes.feathered == FeatheredAlpha::kFades ? " fades" : " replaces");
}

// The plain walk's result over `frame` laid out `row_stride` bytes apart
// (negative: bottom-up), the corner markers drawn where its bounds say,
// against which the effect in place on each forced walk is compared.
template <typename Format>
class ReferenceRun {
 public:
  using Pixel = typename Format::Pixel;

  ReferenceRun(const std::vector<Pixel>& frame, std::int64_t width, std::int64_t row_stride,
               const ColourEntryTable& table, const RuleModes& modes = {})
      : row_stride_(row_stride), table_(table), modes_(modes) {
    height_ = static_cast<std::int64_t>(frame.size()) / width;
    const std::int64_t stride = row_stride < 0 ? -row_stride : row_stride;
    input_.assign(static_cast<std::size_t>(stride * height_), std::byte{0x5A});
    first_ = row_stride < 0 ? static_cast<std::size_t>((height_ - 1) * stride) : 0;
    for (std::int64_t row = 0; row < height_; ++row) {
      std::memcpy(input_.data() + first_ + row * row_stride, frame.data() + row * width,
                  static_cast<std::size_t>(width) * sizeof(Pixel));
    }
    expected_ = input_;
    bounds_ = PlainSelectionPass<Format>(View(expected_), table_, modes);
    const ImageView marked = View(expected_);
    for (const std::int64_t column : {std::int64_t{bounds_.left}, std::int64_t{bounds_.right}}) {
      for (const std::int64_t row : {std::int64_t{bounds_.top}, std::int64_t{bounds_.bottom}}) {
        if (column >= marked.pixels_per_row || row >= marked.rows) continue;
        StorePixel<Format>(PixelAt<Format>(marked, column, row),
                           MakePixel<Format>(Format::kRampMax, Format::kRampMax, 0, 0));
      }
    }
  }

  // The first difference of the effect on `walk` from the plain walk, in
  // pixels or bounds; empty when everything agrees.
  std::string Compare(const FrameWalk<Format>& walk) const {
    std::vector<std::byte> actual = input_;
    const ImageView view = View(actual);
    const SelectionBounds bounds =
        RenderEffect<Format>(walk, view, view, EffectSettings{true, table_, modes_}).bounds;
    std::ostringstream difference;
    if (bounds != bounds_) {
      difference << "bounds differ: expected " << bounds_.left << ',' << bounds_.top << ','
                 << bounds_.right << ',' << bounds_.bottom << " got " << bounds.left << ','
                 << bounds.top << ',' << bounds.right << ',' << bounds.bottom << "; ";
    }
    if (actual != expected_) {
      std::size_t at = 0;
      while (expected_[at] == actual[at]) ++at;
      const std::size_t slot_at = at - (at - first_ % sizeof(Pixel)) % sizeof(Pixel);
      difference << "byte " << at << ": input " << Describe(input_, slot_at) << ", expected "
                 << Describe(expected_, slot_at) << ", got " << Describe(actual, slot_at);
    }
    return difference.str();
  }

  SelectionBounds bounds() const { return bounds_; }

 private:
  // Every pixel the stride holds, as After Effects' module walks them.
  ImageView View(std::vector<std::byte>& storage) const {
    const std::int64_t stride = row_stride_ < 0 ? -row_stride_ : row_stride_;
    return ImageView{storage.data() + first_, row_stride_,
                     stride / static_cast<std::int64_t>(sizeof(Pixel)), height_};
  }

  static std::string Describe(const std::vector<std::byte>& storage, std::size_t slot_at) {
    slot_at = std::min(slot_at, storage.size() - sizeof(Pixel));
    const Pixel pixel = LoadPixel<Format>(storage.data() + slot_at);
    std::ostringstream text;
    text << "argb(" << +pixel[Format::kAlpha] << ' ' << +pixel[Format::kRed] << ' '
         << +pixel[Format::kGreen] << ' ' << +pixel[Format::kBlue] << ')';
    return text.str();
  }

  std::int64_t row_stride_;
  const ColourEntryTable& table_;
  RuleModes modes_;
  std::int64_t height_ = 0;
  std::size_t first_ = 0;
  std::vector<std::byte> input_;
  std::vector<std::byte> expected_;
  SelectionBounds bounds_{};
};

}  // namespace huesieve::equivalence
