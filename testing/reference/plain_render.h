// A plain model of one Render command, for comparing the module against:
// what the two images must hold afterwards and what the command returns, for
// any image records and parameter values the host may send. The host's part
// (the copy) is the simulated host's own; the module's part is written out
// here from the description, slot by slot.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "host/pf_types.h"
#include "testing/reference/plain_colour_rule.h"
#include "testing/hostsim/world.h"
#include "testing/modulehost/image_record.h"

namespace plain_reference {

struct SliderEntry {
  std::int32_t enable = 0;
  PF_Pixel colour{};
  double range = 0.0;
  double softness = 0.0;
};

struct FrameValues {
  std::int32_t master = 0;
  std::array<SliderEntry, 10> entries{};
};

struct HostBehaviour {
  PF_Err copy_result = PF_Err_NONE;
  bool input_pixels = true;   // the host gives access to the input's pixels
  bool output_pixels = true;  // ... and to the output's
};

inline bool IsDeep(const PF_LayerDef& world) {
  return (world.world_flags & PF_WorldFlag_DEEP) != 0;
}

// Byte address of the slot at (column, row): rows lie rowbytes apart, which may
// be negative, and slots lie one pixel size apart within a row.
inline std::byte* SlotBytes(const PF_LayerDef& world, std::int64_t column, std::int64_t row) {
  const std::int64_t size = IsDeep(world) ? 8 : 4;
  return reinterpret_cast<std::byte*>(world.data) + row * std::int64_t{world.rowbytes} +
         column * size;
}

inline std::int64_t SlotsPerRow(const PF_LayerDef& world) {
  const std::int64_t stride = world.rowbytes < 0 ? -std::int64_t{world.rowbytes} : world.rowbytes;
  return stride / (IsDeep(world) ? 8 : 4);
}

inline Channels ReadSlot(const std::byte* bytes, bool deep) {
  if (!deep) {
    std::uint8_t c[4];
    std::memcpy(c, bytes, 4);
    return {c[0], c[1], c[2], c[3]};
  }
  std::uint16_t c[4];
  std::memcpy(c, bytes, 8);
  return {c[0], c[1], c[2], c[3]};
}

inline void WriteSlot(std::byte* bytes, bool deep, const Channels& pixel) {
  if (!deep) {
    const std::uint8_t c[4] = {
        static_cast<std::uint8_t>(pixel.alpha), static_cast<std::uint8_t>(pixel.red),
        static_cast<std::uint8_t>(pixel.green), static_cast<std::uint8_t>(pixel.blue)};
    std::memcpy(bytes, c, 4);
    return;
  }
  const std::uint16_t c[4] = {
      static_cast<std::uint16_t>(pixel.alpha), static_cast<std::uint16_t>(pixel.red),
      static_cast<std::uint16_t>(pixel.green), static_cast<std::uint16_t>(pixel.blue)};
  std::memcpy(bytes, c, 8);
}

// Applies one Render to the pixels the two records point at, as the module
// must, and returns the command's expected result.
inline PF_Err ExpectedRender(const PF_LayerDef& input, PF_LayerDef& output,
                             const FrameValues& values, const HostBehaviour& host) {
  if (!host.input_pixels || !host.output_pixels || IsDeep(input) != IsDeep(output)) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  const auto host_copy = [&] {
    if (host.copy_result == PF_Err_NONE) modulehost::CopyImage(input, output);
    return host.copy_result;
  };
  if (values.master != 1) return host_copy();

  const bool deep = IsDeep(input);
  const int depth = deep ? 16 : 8;
  std::array<Entry, 10> entries{};
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const SliderEntry& given = values.entries[k];
    entries[k] = {given.enable != 0, given.colour.red,          given.colour.green,
                  given.colour.blue, NearestFloat(given.range), NearestFloat(given.softness)};
  }

  bool any = false;
  std::int64_t left = 0, top = 0, right = 0, bottom = 0;
  for (std::int64_t row = 0; row < input.height; ++row) {
    for (std::int64_t column = 0; column < SlotsPerRow(input); ++column) {
      std::byte* bytes = SlotBytes(input, column, row);
      const Verdict verdict =
          Judge(ReadSlot(bytes, deep), entries.data(), static_cast<int>(entries.size()), depth);
      WriteSlot(bytes, deep, verdict.pixel);
      if (!verdict.matched) continue;
      if (!any) {
        left = right = column;
        top = bottom = row;
        any = true;
      }
      left = std::min(left, column);
      right = std::max(right, column);
      bottom = row;
    }
  }
  // One past the last claimed column and row; (0, 0)-(1, 1) when nothing is.
  right += 1;
  bottom += 1;

  const PF_Err copy_result = host_copy();
  const Channels marker = deep ? Channels{32768, 32768, 0, 0} : Channels{255, 255, 0, 0};
  const std::int64_t corners[4][2] = {{left, top}, {left, bottom}, {right, top}, {right, bottom}};
  for (const auto& corner : corners) {
    const bool inside = corner[0] >= 0 && corner[0] < SlotsPerRow(output) && corner[1] >= 0 &&
                        corner[1] < output.height;
    if (inside) WriteSlot(SlotBytes(output, corner[0], corner[1]), deep, marker);
  }
  return copy_result;
}

}  // namespace plain_reference
