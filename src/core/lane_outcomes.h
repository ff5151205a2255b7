// What becomes of each lane of a vector, and how the colour entries decide it
// in all lanes at once: each entry in order claims the open lanes whose
// squared distance from it lies below its threshold, and the claiming entry's
// feather band ramps the alpha, in the rule's own single-precision steps.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core/entry_thresholds.h"
#include "core/frame_rule.h"
#include "core/lane_layout.h"
#include "core/lane_ops.h"
#include "core/lane_target.h"

namespace huesieve::lanes {

// What becomes of each lane of a vector, as masks.
template <LaneOps Ops>
struct LaneOutcomes {
  using U32 = typename Ops::U32;
  using Mask = typename Ops::Mask;

  Mask cleared;  // to become transparent black
  Mask ramped;   // alpha to become `alpha`
  Mask claimed;  // for the bounds
  U32 alpha;     // in the ramped lanes: the format's alpha sample, within the ramp maximum

  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static LaneOutcomes Of(Mask cleared, Mask claimed) {
    return {cleared, Ops::NoLanes(), claimed, Ops::Splat(0)};
  }
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static LaneOutcomes AllCleared() {
    return Of(Ops::AllLanes(), Ops::NoLanes());
  }
  // No lane decided yet: the entries tried decide them.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static LaneOutcomes Undecided() {
    return Of(Ops::NoLanes(), Ops::NoLanes());
  }
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static LaneOutcomes Uniform(bool cleared,
                                                                           bool claimed) {
    return Of(cleared ? Ops::AllLanes() : Ops::NoLanes(),
              claimed ? Ops::AllLanes() : Ops::NoLanes());
  }
};

// The frame's colour entries as whole vectors, tried in all lanes at once.
// One class for every pixel format (the format enters as its ramp's maximum
// and how the ramp is written), so that no function of it is compiled twice.
template <LaneOps Ops>
class LaneEntries {
 public:
  using U32 = typename Ops::U32;
  using F32 = typename Ops::F32;
  using Mask = typename Ops::Mask;

  template <typename Format>
  HUESIEVE_LANES_TARGET explicit LaneEntries(const FrameRule<Format>& rule)
      : ramp_max_(static_cast<float>(Format::kRampMax)),
        float_alpha_(std::is_floating_point_v<typename Format::Sample>),
        full_alpha_(float_alpha_ ? std::bit_cast<std::uint32_t>(ramp_max_)
                                 : static_cast<std::uint32_t>(Format::kRampMax)) {
    const EntryThresholds& thresholds = rule.thresholds();
    for (std::size_t k = 0; k < static_cast<std::size_t>(thresholds.count); ++k) {
      entries_[k] = {
          Ops::Splat(thresholds.red[k]),
          Ops::Splat(thresholds.red[k] + 1024u),
          Ops::Splat(2u * thresholds.green[k]),
          Ops::Splat(thresholds.blue[k]),
          Ops::Splat(thresholds.claim_below[k]),
          Ops::Splat(thresholds.enabled[k] != 0 ? thresholds.ramp_from[k] : kDisabled),
          Ops::Splat(std::bit_cast<std::uint32_t>(thresholds.range[k])),
          Ops::Splat(std::bit_cast<std::uint32_t>(thresholds.band[k])),
      };
    }
  }

  // The `count` entries `tried`, in order, in the lanes of `tested`, where no
  // other entry may claim; the lanes no entry claims, and those a disabled
  // entry claims, are cleared.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET void Try(U32 pixels, Mask tested,
                                                        const std::uint8_t* tried,
                                                        std::size_t count,
                                                        LaneOutcomes<Ops>& outcomes) const {
    const U32 byte = Ops::Splat(0xFF);
    const Channels pixel{(pixels >> kRedAt) & byte, (pixels >> (kGreenAt - 1)) & Ops::Splat(0x1FE),
                         pixels >> kBlueAt};
    Claiming claiming{tested, Ops::Splat(0), Ops::Splat(0), Ops::Splat(0), Ops::Splat(0)};
    for (std::size_t i = 0; i < count; ++i) TryEntry(pixel, tried[i], claiming);
    const auto& [open, distance_squared, feather_from, range, band] = claiming;
    const Mask claimed = Ops::MaskAndNot(tested, open);
    const Mask enabled = Ops::MaskAnd(claimed, Ops::TestNone(feather_from, kDisabled));
    const Mask ramped = Ops::MaskAndNot(enabled, Ops::Less(distance_squared, feather_from));
    outcomes.claimed = Ops::MaskOr(outcomes.claimed, claimed);
    outcomes.cleared = Ops::MaskOr(outcomes.cleared, Ops::MaskAndNot(tested, enabled));
    if (Ops::Bits(ramped) == 0) return;
    outcomes.ramped = ramped;
    outcomes.alpha = Ramp(distance_squared, Ops::AsFloat(range), Ops::AsFloat(band));
  }

 private:
  // A vector's channels as SquaredDistance takes them: green doubled.
  struct Channels {
    U32 red;
    U32 green2;
    U32 blue;
  };
  // Per entry, what the claim test and the ramp read, as whole vectors: the
  // loop over entries loads them rather than broadcasting each time.
  struct EntryLanes {
    U32 red;
    U32 red_bias;  // red + 1024
    U32 green2;
    U32 blue;
    U32 claim_below;
    // The squared distance from which an enabled entry ramps, or kDisabled,
    // which none reaches and which marks a disabled entry.
    U32 feather_from;
    U32 range;  // float bits
    U32 band;   // float bits
  };
  static constexpr std::uint32_t kDisabled = 1u << 30;
  static_assert(kSquaredDistanceLimit < kDisabled);

  // The open lanes and, in the claimed ones, the claiming entry's squared
  // distance and constants, carried along lane by lane.
  struct Claiming {
    Mask open;
    U32 distance_squared;
    U32 feather_from;
    U32 range;
    U32 band;
  };

  // The squared redmean distance of each lane from an entry, as
  // SquaredRedmeanDistance computes it, in a form with fewer steps that is
  // equal in integers: rmean + 512 is (red + colour red + 1024) >> 1,
  // 767 - rmean is 1279 minus that, and 4 dg^2 is (2 dg)^2. Every
  // intermediate lies below 2^26.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET static U32 SquaredDistance(const Channels& pixel,
                                                                          const EntryLanes& entry) {
    const U32 weight_red = (pixel.red + entry.red_bias) >> 1;
    const U32 dr = pixel.red - entry.red;
    const U32 dg2 = pixel.green2 - entry.green2;
    const U32 db = pixel.blue - entry.blue;
    const U32 red_term = (weight_red * (dr * dr)) >> 8;
    const U32 green_term = dg2 * dg2;
    const U32 blue_term = ((Ops::Splat(1279) - weight_red) * (db * db)) >> 8;
    return red_term + green_term + blue_term;
  }

  // Entry k claims the open lanes whose squared distance lies below its
  // threshold.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET void TryEntry(const Channels& pixel, std::size_t k,
                                                             Claiming& claiming) const {
    const EntryLanes& entry = entries_[k];
    const U32 s = SquaredDistance(pixel, entry);
    // Squared distances and thresholds lie below 2^21.
    const Mask claims = Ops::MaskAnd(claiming.open, Ops::Less(s, entry.claim_below));
    claiming.distance_squared = Ops::Select(claims, s, claiming.distance_squared);
    claiming.feather_from = Ops::Select(claims, entry.feather_from, claiming.feather_from);
    claiming.range = Ops::Select(claims, entry.range, claiming.range);
    claiming.band = Ops::Select(claims, entry.band, claiming.band);
    claiming.open = Ops::MaskAndNot(claiming.open, claims);
  }

  // RampInBand and AlphaFromRamp in every lane, step for step in single
  // precision, so each lane gets the scalar rule's bits. The distance is
  // float(sqrt(double(s))), which for whole s below 2^24 is sqrt(float(s)):
  // float(s) is exact, and a square root rounded to double and then to float
  // rounds as the float square root does, double carrying more than twice
  // float's 24 bits plus two.
  [[gnu::always_inline]] HUESIEVE_LANES_TARGET U32 Ramp(U32 distance_squared, F32 range,
                                                        F32 band) const {
    const F32 distance = Ops::Sqrt(Ops::ToFloat(distance_squared));
    const F32 hundred = Ops::SplatFloat(100.0f);
    const F32 maximum = Ops::SplatFloat(ramp_max_);
    F32 value = (range - distance) / band;
    value = value * hundred;
    value = value / hundred;
    value = value * maximum;
    // Not above 0 (NaN included) gives 0, the maximum or more the maximum;
    // a float alpha is the value itself, an integer one truncated.
    const Mask positive = Ops::Greater(value, Ops::SplatFloat(0.0f));
    const Mask full = Ops::GreaterEqual(value, maximum);
    const U32 inside = float_alpha_ ? Ops::AsBits(value) : Ops::Truncate(value);
    return Ops::Select(full, Ops::Splat(full_alpha_), Ops::Select(positive, inside, Ops::Splat(0)));
  }

  std::array<EntryLanes, kMaxColourEntries> entries_;
  float ramp_max_;
  bool float_alpha_;          // the alpha is the ramp itself, not truncated
  std::uint32_t full_alpha_;  // the alpha at the ramp maximum, as the lanes hold it
};

}  // namespace huesieve::lanes
