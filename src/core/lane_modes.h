// The rule's modes (rule_modes.h) in the lane kernel, on straight pixels:
// colours judged sRGB-encoded become decision lanes through the tables of
// srgb_decision.h, read with gathers (a byte a sample at 8 and 16 bits; for
// floats the bucket's word and one compare, after a prefilter on the floats'
// bits that clears most vectors of a frame that claims little without
// them), and a feather band that fades
// scales each ramped lane's own alpha by its ramp as the scalar rule does.
// 16-bit samples, which the slots hold in a per-instruction-set form, are
// gathered again from the vector's pixels, which were just loaded.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core/cell_table.h"
#include "core/lane_layout.h"
#include "core/lane_ops.h"
#include "core/lane_pixel_io.h"
#include "core/lane_target.h"
#include "core/pixel_formats.h"
#include "core/rule_modes.h"
#include "core/srgb_decision.h"
#include "core/srgb_float_reach.h"

namespace huesieve::lanes {

template <typename Format>
inline constexpr bool kEightBit = sizeof(typename Format::Sample) == 1;

// Lane i holds i × kStep + kAdd: the byte offsets of one channel in every
// slot of a vector.
template <LaneOps Ops, std::uint32_t kStep, std::uint32_t kAdd>
[[gnu::always_inline]] inline HUESIEVE_LANES_TARGET typename Ops::U32 SlotOffsets() {
  static constexpr auto kOffsets = [] {
    std::array<std::uint32_t, Ops::kLanes> offsets{};
    for (std::uint32_t i = 0; i < offsets.size(); ++i) offsets[i] = i * kStep + kAdd;
    return offsets;
  }();
  return Ops::Load8(reinterpret_cast<const std::byte*>(kOffsets.data()));
}

// Channel `kChannel` of every slot of the vector at `at`, one a lane: a
// float by its bits. 8-bit and float channels are taken from the slots
// themselves; a 16-bit one is gathered, with the word before it when it is
// not the first, so that no gather reads past its slot.
template <LaneOps Ops, typename Format, int kChannel>
[[gnu::always_inline]] inline HUESIEVE_LANES_TARGET typename Ops::U32 ChannelLanes(
    const std::byte* at, const typename LaneIo<Ops, Format>::Slots& slots) {
  using Sample = typename Format::Sample;
  constexpr std::uint32_t kPixelBytes = sizeof(typename Format::Pixel);
  constexpr std::uint32_t kOffset = kChannel * sizeof(Sample);
  if constexpr (kEightBit<Format>) {
    return (slots >> (8 * kChannel)) & Ops::Splat(0xFF);
  } else if constexpr (std::is_floating_point_v<Sample>) {
    return Ops::template FloatChannel<kChannel>(slots);
  } else if constexpr (kChannel == 0) {
    return Ops::GatherBytes32(at, SlotOffsets<Ops, kPixelBytes, 0>()) & Ops::Splat(0xFFFF);
  } else {
    return Ops::GatherBytes32(at, SlotOffsets<Ops, kPixelBytes, kOffset - 2>()) >> 16;
  }
}

// Float samples' bits held within 0..1: not above 0 (NaN, negatives) is 0,
// and no bits lie above 1's once held (both operands below 2^31).
template <LaneOps Ops>
[[gnu::always_inline]] inline HUESIEVE_LANES_TARGET typename Ops::U32 HeldFloatBits(
    typename Ops::U32 samples) {
  const typename Ops::U32 one = Ops::Splat(SrgbDecisionTables::kFloatOne);
  const typename Ops::U32 held = Ops::Select(
      Ops::Greater(Ops::AsFloat(samples), Ops::SplatFloat(0.0f)), samples, Ops::Splat(0));
  return Ops::Select(Ops::Less(held, one), held, one);
}

// Each sample's sRGB decision value, a lane at a time.
template <LaneOps Ops, typename Format>
[[gnu::always_inline]] inline HUESIEVE_LANES_TARGET typename Ops::U32 SrgbDecisions(
    typename Ops::U32 samples, const SrgbDecisionTables& tables) {
  using U32 = typename Ops::U32;
  if constexpr (std::is_floating_point_v<typename Format::Sample>) {
    const U32 held = HeldFloatBits<Ops>(samples);
    const U32 word = Ops::GatherBytes32(
        reinterpret_cast<const std::byte*>(tables.float_bucket.data()), (held >> 16) << 2);
    const U32 stepped = Ops::Select(Ops::Less(held & Ops::Splat(0xFFFF), word >> 8), Ops::Splat(0),
                                    Ops::Splat(1));
    return (word & Ops::Splat(0xFF)) + stepped;
  } else {
    const std::uint8_t* bytes = kEightBit<Format>                ? tables.byte.data()
                                : std::is_same_v<Format, Argb16> ? tables.host16.data()
                                                                 : tables.short16.data();
    return Ops::GatherBytes32(reinterpret_cast<const std::byte*>(bytes), samples) &
           Ops::Splat(0xFF);
  }
}

// The vector's decision colours in the lane layout, judged sRGB-encoded.
template <LaneOps Ops, typename Format>
[[gnu::always_inline]] inline HUESIEVE_LANES_TARGET typename Ops::U32 SrgbColours(
    const std::byte* at, const typename LaneIo<Ops, Format>::Slots& slots,
    const SrgbDecisionTables& tables) {
  return SrgbDecisions<Ops, Format>(ChannelLanes<Ops, Format, Format::kRed>(at, slots), tables)
             << kRedAt |
         SrgbDecisions<Ops, Format>(ChannelLanes<Ops, Format, Format::kGreen>(at, slots), tables)
             << kGreenAt |
         SrgbDecisions<Ops, Format>(ChannelLanes<Ops, Format, Format::kBlue>(at, slots), tables)
             << kBlueAt;
}

// Float pixels judged sRGB-encoded, ruled out before their decisions are
// gathered: each held channel's key (SrgbFloatKey, left at its place in the
// lane) looks up the entries its floats may reach, as the per-axis reach of
// the decisions would, only coarser. Where no lane is reached on all three
// axes, no entry claims any lane, and the vector is cleared as the rule's
// reach would clear it. Made per row from the frame's cell reach.
template <LaneOps Ops, typename Format>
class SrgbFloatPrefilter {
 public:
  using U32 = typename Ops::U32;

  HUESIEVE_LANES_TARGET SrgbFloatPrefilter(const CellTable& cells,
                                           const SrgbDecisionTables* tables)
      : red_(Ops::LoadTable32(SrgbFloatKeyReach(cells.red_reach(), *tables).data())),
        green_(Ops::LoadTable32(SrgbFloatKeyReach(cells.green_reach(), *tables).data())),
        blue_(Ops::LoadTable32(SrgbFloatKeyReach(cells.blue_reach(), *tables).data())) {}

  [[gnu::always_inline]] HUESIEVE_LANES_TARGET bool NoneReached(
      const typename LaneIo<Ops, Format>::Slots& slots) const {
    const U32 reach = Reach<Format::kRed>(red_, slots) & Reach<Format::kGreen>(green_, slots) &
                      Reach<Format::kBlue>(blue_, slots);
    return Ops::Bits(Ops::TestAny(reach, CellTable::kEntryMask)) == 0;
  }

 private:
  static_assert(SrgbDecisionTables::kFloatKeys == 32);

  template <int kChannel>
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static U32 Reach(
      const typename Ops::Table32& table, const typename LaneIo<Ops, Format>::Slots& slots) {
    const U32 base = Ops::Splat(SrgbDecisionTables::kFloatKeyBase);
    const U32 held = HeldFloatBits<Ops>(Ops::template FloatChannel<kChannel>(slots));
    const U32 key = Ops::Select(Ops::Less(held, base), base, held) - base;
    return Ops::template Lookup32<SrgbDecisionTables::kFloatKeyShift>(table, key);
  }

  typename Ops::Table32 red_;
  typename Ops::Table32 green_;
  typename Ops::Table32 blue_;
};

// The ramped lanes' alpha when a feather band fades: the source alpha times
// the ramp over the format's maximum, to the nearest integer (the maximum is
// odd, or After Effects' 32768, halves up), or the single-precision
// product. Integer divisions by 255 and 65535 as (x + 1 + (x >> s)) >> s,
// which is exact for every x this can meet (below 2^32 - 2^16).
template <LaneOps Ops, typename Format>
[[gnu::always_inline]] inline HUESIEVE_LANES_TARGET typename Ops::U32 FadedAlpha(
    const std::byte* at, const typename LaneIo<Ops, Format>::Slots& slots,
    typename Ops::U32 ramp) {
  using U32 = typename Ops::U32;
  const U32 alpha = ChannelLanes<Ops, Format, Format::kAlpha>(at, slots);
  if constexpr (std::is_floating_point_v<typename Format::Sample>) {
    return Ops::AsBits(Ops::AsFloat(alpha) * Ops::AsFloat(ramp));
  } else {
    constexpr std::uint32_t kMax = Format::kRampMax;
    const U32 x = alpha * ramp + Ops::Splat(kMax / 2);
    if constexpr (kMax == 32768) {
      return x >> 15;
    } else {
      constexpr int kShift = kMax == 255 ? 8 : 16;
      static_assert(kMax == (1u << kShift) - 1);
      return (x + Ops::Splat(1) + (x >> kShift)) >> kShift;
    }
  }
}

// A format's pixels in and out of lanes under the rule's modes: LaneIo's
// Load, the prefilter and decision colours as `kModes` judges them, and its
// Store with a fading band's alpha. `at` is the vector's source pixels.
// The modes without a prefilter: nothing to make, nothing ruled out first.
struct NoPrefilter {
  NoPrefilter(const CellTable&, const SrgbDecisionTables*) {}
};

template <LaneOps Ops, typename Format, RuleModes kModes>
struct ModalIo {
  using Io = LaneIo<Ops, Format>;
  using Slots = typename Io::Slots;
  // Float decisions cost three gathers a vector; most vectors of a frame
  // that claims little are ruled out by their floats' keys first.
  static constexpr bool kPrefiltered = kModes.judge == JudgeColours::kSrgbEncoded &&
                                       std::is_floating_point_v<typename Format::Sample>;
  using Prefilter =
      std::conditional_t<kPrefiltered, SrgbFloatPrefilter<Ops, Format>, NoPrefilter>;

  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static typename Ops::U32 Colours(
      const std::byte* at, const Slots& slots, const SrgbDecisionTables* tables) {
    if constexpr (kModes.judge == JudgeColours::kSrgbEncoded) {
      return SrgbColours<Ops, Format>(at, slots, *tables);
    } else {
      return Io::Colours(slots);
    }
  }

  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static void Store(
      std::byte* to, const std::byte* at, const Slots& slots, typename Ops::Mask cleared,
      typename Ops::Mask ramped, typename Ops::U32 alpha) {
    if constexpr (kModes.feathered == FeatheredAlpha::kFades) {
      if (Ops::Bits(ramped) != 0) alpha = FadedAlpha<Ops, Format>(at, slots, alpha);
    }
    Io::Store(to, slots, cleared, ramped, alpha);
  }
};

}  // namespace huesieve::lanes
