// Differential fuzzing of the colour match rule: the core's scalar rule (as
// MatchPixel applies it) against the plain second implementation in the test
// tree, for any pixel and any entry table at both depths. They must agree on
// the pixel and on whether it was claimed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/pixel_formats.h"
#include "fuzz/fuzz_values.h"
#include "testing/reference/match_pixel.h"
#include "testing/reference/plain_colour_rule.h"

namespace {

using plain_reference::Channels;

// An 8-bit colour value a few steps from a pixel channel.
std::uint8_t NearBy(std::uint16_t channel, bool deep, int offset) {
  const int byte_value = deep ? channel / 128 : channel & 0xFF;
  return static_cast<std::uint8_t>(std::clamp(byte_value + offset, 0, 255));
}

template <typename Format>
Channels ChannelsOf(const typename Format::Pixel& pixel) {
  return {pixel[Format::kAlpha], pixel[Format::kRed], pixel[Format::kGreen], pixel[Format::kBlue]};
}

template <typename Format>
void Compare(const typename Format::Pixel& given, const huesieve::ColourEntryTable& table,
             const plain_reference::Entry* entries, int depth) {
  typename Format::Pixel pixel = given;
  const bool matched = huesieve::MatchPixel<Format>(pixel, table);
  const plain_reference::Verdict expected =
      plain_reference::Judge(ChannelsOf<Format>(given), entries, table.count, depth);
  if (matched == expected.matched && ChannelsOf<Format>(pixel) == expected.pixel) return;

  const Channels before = ChannelsOf<Format>(given);
  const Channels after = ChannelsOf<Format>(pixel);
  std::fprintf(stderr,
               "depth %d pixel %u,%u,%u,%u: MatchPixel gave %u,%u,%u,%u matched %d; "
               "the plain rule gives %u,%u,%u,%u matched %d\n",
               depth, before.alpha, before.red, before.green, before.blue, after.alpha, after.red,
               after.green, after.blue, matched, expected.pixel.alpha, expected.pixel.red,
               expected.pixel.green, expected.pixel.blue, expected.matched);
  for (int k = 0; k < table.count; ++k) {
    std::fprintf(stderr, "  entry %d: enabled %d colour %u,%u,%u range %a softness %a\n", k,
                 entries[k].enabled, entries[k].red, entries[k].green, entries[k].blue,
                 static_cast<double>(entries[k].range), static_cast<double>(entries[k].softness));
  }
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const bool deep = data.ConsumeBool();
  const std::uint16_t channels[4] = {
      data.ConsumeIntegral<std::uint16_t>(), data.ConsumeIntegral<std::uint16_t>(),
      data.ConsumeIntegral<std::uint16_t>(), data.ConsumeIntegral<std::uint16_t>()};

  huesieve::ColourEntryTable table;
  plain_reference::Entry entries[huesieve::kMaxColourEntries];
  table.count = data.ConsumeIntegralInRange<std::int32_t>(0, huesieve::kMaxColourEntries);
  for (std::size_t k = 0; k < static_cast<std::size_t>(table.count); ++k) {
    const bool enabled = data.ConsumeBool();
    data.ConsumeIntegral<std::uint8_t>();  // the alpha of a host's colour, which the rule ignores
    huesieve::Rgb8 colour{data.ConsumeIntegral<std::uint8_t>(),
                          data.ConsumeIntegral<std::uint8_t>(),
                          data.ConsumeIntegral<std::uint8_t>()};
    // Colours near the pixel are where the decisions lie; reach them often.
    if (data.ConsumeBool()) {
      colour.red = NearBy(channels[1], deep, data.ConsumeIntegralInRange<int>(-6, 6));
      colour.green = NearBy(channels[2], deep, data.ConsumeIntegralInRange<int>(-6, 6));
      colour.blue = NearBy(channels[3], deep, data.ConsumeIntegralInRange<int>(-6, 6));
    }
    const float range = huesieve_fuzz::ConsumeFloatValue(data);
    const float softness = huesieve_fuzz::ConsumeFloatValue(data);
    table.enabled[k] = enabled ? 1 : 0;
    table.colours[k] = colour;
    table.ranges[k] = range;
    table.softness[k] = softness;
    entries[k] = {enabled, colour.red, colour.green, colour.blue, range, softness};
  }

  if (deep) {
    Compare<huesieve::Argb16>({channels[0], channels[1], channels[2], channels[3]}, table, entries,
                              16);
  } else {
    Compare<huesieve::Argb8>(
        {static_cast<std::uint8_t>(channels[0]), static_cast<std::uint8_t>(channels[1]),
         static_cast<std::uint8_t>(channels[2]), static_cast<std::uint8_t>(channels[3])},
        table, entries, 8);
  }
  return 0;
}
