// The lane operations in plain code, for the tests: kWidth lanes in arrays and
// masks as bits. Each operation computes what the instruction the AVX-512 type
// wraps computes (render/lane_ops_avx512.h), the bits the contract leaves
// unspecified included, so that the lane kernel instantiated over
// EmulatedLaneOps<16> runs, on any processor, lane for lane as it runs on
// AVX-512; the equivalence tests then judge the kernel's 16-lane logic here.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace huesieve::testing_support {

template <std::size_t kWidth>
struct EmulatedLaneOps {
  static_assert(kWidth >= 1 && kWidth <= 16);
  static constexpr int kLanes = static_cast<int>(kWidth);
  static constexpr int kCheaperBoxes = 3;  // as on AVX-512
  // Lane-by-lane operators, as the GNU vector types of the instruction-set
  // types have them: wrapping integer arithmetic and logical shifts.
  struct U32 {
    std::array<std::uint32_t, kWidth> lane;

    template <typename Op>
    friend U32 Each(const U32& a, const U32& b, Op op) {
      U32 result;
      for (std::size_t i = 0; i < kWidth; ++i) result.lane[i] = op(a.lane[i], b.lane[i]);
      return result;
    }
    friend U32 operator+(const U32& a, const U32& b) {
      return Each(a, b, [](std::uint32_t x, std::uint32_t y) { return x + y; });
    }
    friend U32 operator-(const U32& a, const U32& b) {
      return Each(a, b, [](std::uint32_t x, std::uint32_t y) { return x - y; });
    }
    friend U32 operator*(const U32& a, const U32& b) {
      return Each(a, b, [](std::uint32_t x, std::uint32_t y) { return x * y; });
    }
    friend U32 operator&(const U32& a, const U32& b) {
      return Each(a, b, [](std::uint32_t x, std::uint32_t y) { return x & y; });
    }
    friend U32 operator|(const U32& a, const U32& b) {
      return Each(a, b, [](std::uint32_t x, std::uint32_t y) { return x | y; });
    }
    friend U32 operator>>(const U32& a, int bits) {
      return Each(a, a, [bits](std::uint32_t x, std::uint32_t) { return x >> bits; });
    }
    friend U32 operator<<(const U32& a, int bits) {
      return Each(a, a, [bits](std::uint32_t x, std::uint32_t) { return x << bits; });
    }
  };
  // Each operation rounded once, in single precision (no contraction).
  struct F32 {
    std::array<float, kWidth> lane;

    template <typename Op>
    friend F32 Each(const F32& a, const F32& b, Op op) {
      F32 result;
      for (std::size_t i = 0; i < kWidth; ++i) result.lane[i] = op(a.lane[i], b.lane[i]);
      return result;
    }
    friend F32 operator-(const F32& a, const F32& b) {
      return Each(a, b, [](float x, float y) { return x - y; });
    }
    friend F32 operator*(const F32& a, const F32& b) {
      return Each(a, b, [](float x, float y) { return x * y; });
    }
    friend F32 operator/(const F32& a, const F32& b) {
      return Each(a, b, [](float x, float y) { return x / y; });
    }
  };
  using Mask = std::uint32_t;  // bit i for lane i; the bits from kWidth up stay clear
  using Table32 = std::array<std::uint16_t, 32>;
  struct Slots16 {
    std::array<std::uint64_t, kWidth> slot;  // channels from the low 16 bits, as stored
  };
  struct SlotsFloat {
    std::array<std::array<float, 4>, kWidth> slot;  // channels in order, as stored
  };

  template <typename Lane>
  static U32 Map(Lane lane) {
    U32 result;
    for (std::size_t i = 0; i < kWidth; ++i) result.lane[i] = lane(i);
    return result;
  }
  template <typename Lane>
  static Mask Where(Lane lane) {
    Mask result = 0;
    for (std::size_t i = 0; i < kWidth; ++i) result |= lane(i) ? Mask{1} << i : 0;
    return result;
  }
  static bool In(Mask mask, std::size_t i) { return ((mask >> i) & 1) != 0; }

  static U32 Splat(std::uint32_t value) {
    return Map([=](std::size_t) { return value; });
  }
  static Mask TestAny(U32 a, std::uint32_t bits) {
    return Where([&](std::size_t i) { return (a.lane[i] & bits) != 0; });
  }
  static Mask TestNone(U32 a, std::uint32_t bits) {
    return Where([&](std::size_t i) { return (a.lane[i] & bits) == 0; });
  }
  // An unsigned comparison, as vpcmpud.
  static Mask Less(U32 a, U32 b) {
    return Where([&](std::size_t i) { return a.lane[i] < b.lane[i]; });
  }
  static Mask Equal(U32 a, U32 b) {
    return Where([&](std::size_t i) { return a.lane[i] == b.lane[i]; });
  }
  static std::uint32_t FirstLane(U32 a) { return a.lane[0]; }
  static U32 Select(Mask mask, U32 yes, U32 no) {
    return Map([&](std::size_t i) { return In(mask, i) ? yes.lane[i] : no.lane[i]; });
  }
  // vpsubb (wrapping), then vpsubusb (saturating at 0), byte by byte.
  static U32 OutsideBox(U32 a, U32 low, U32 width) {
    return Map([&](std::size_t i) {
      std::uint32_t lane = 0;
      for (int byte = 0; byte < 32; byte += 8) {
        const std::uint32_t offset = ((a.lane[i] >> byte) - (low.lane[i] >> byte)) & 0xFF;
        const std::uint32_t limit = (width.lane[i] >> byte) & 0xFF;
        lane |= (offset > limit ? offset - limit : 0) << byte;
      }
      return lane;
    });
  }
  static std::uint32_t OrAcross(U32 a, Mask mask) {
    std::uint32_t result = 0;
    for (std::size_t i = 0; i < kWidth; ++i) result |= In(mask, i) ? a.lane[i] : 0;
    return result;
  }
  static void StoreLanes(std::uint32_t* lanes, U32 a) {
    std::memcpy(lanes, a.lane.data(), sizeof a.lane);
  }

  static Table32 LoadTable32(const std::uint16_t* entries) {
    Table32 table;
    std::copy(entries, entries + 32, table.begin());
    return table;
  }
  // vpermw on the shifted lane: each 16-bit half looks up its own low 5 bits.
  template <int kShift>
  static U32 Lookup32(const Table32& table, U32 a) {
    return Map([&](std::size_t i) {
      const std::uint32_t shifted = a.lane[i] >> kShift;
      return std::uint32_t{table[shifted & 31]} | std::uint32_t{table[(shifted >> 16) & 31]} << 16;
    });
  }
  // 32 bits at 2-byte steps from `words`, little-endian; 0 outside the mask.
  static U32 Gather16(const std::uint16_t* words, U32 index, Mask mask) {
    return Map([&](std::size_t i) {
      std::uint32_t value = 0;
      if (In(mask, i)) std::memcpy(&value, words + index.lane[i], sizeof value);
      return value;
    });
  }
  // 32 bits at byte offsets from `from`, little-endian, in every lane.
  static U32 GatherBytes32(const std::byte* from, U32 offsets) {
    return Map([&](std::size_t i) {
      std::uint32_t value = 0;
      std::memcpy(&value, from + offsets.lane[i], sizeof value);
      return value;
    });
  }

  static Mask AllLanes() { return (Mask{1} << kWidth) - 1; }
  static Mask NoLanes() { return 0; }
  static Mask MaskAnd(Mask a, Mask b) { return a & b; }
  static Mask MaskOr(Mask a, Mask b) { return a | b; }
  static Mask MaskAndNot(Mask a, Mask b) { return a & ~b; }
  static Mask MaskNot(Mask a) { return ~a & AllLanes(); }
  static std::uint32_t Bits(Mask a) { return a; }

  static F32 MapFloat(auto lane) {
    F32 result;
    for (std::size_t i = 0; i < kWidth; ++i) result.lane[i] = lane(i);
    return result;
  }
  static F32 SplatFloat(float value) {
    return MapFloat([=](std::size_t) { return value; });
  }
  static F32 AsFloat(U32 a) {
    return MapFloat([&](std::size_t i) { return std::bit_cast<float>(a.lane[i]); });
  }
  static U32 AsBits(F32 a) {
    return Map([&](std::size_t i) { return std::bit_cast<std::uint32_t>(a.lane[i]); });
  }
  // vcvtdq2ps: the lane as a signed integer, rounded to nearest.
  static F32 ToFloat(U32 a) {
    return MapFloat(
        [&](std::size_t i) { return static_cast<float>(static_cast<std::int32_t>(a.lane[i])); });
  }
  static F32 Sqrt(F32 a) {
    return MapFloat([&](std::size_t i) { return std::sqrt(a.lane[i]); });
  }
  static Mask Greater(F32 a, F32 b) {
    return Where([&](std::size_t i) { return a.lane[i] > b.lane[i]; });
  }
  static Mask GreaterEqual(F32 a, F32 b) {
    return Where([&](std::size_t i) { return a.lane[i] >= b.lane[i]; });
  }
  // vcvttps2dq: toward zero; NaN and values beyond the 32-bit range give the
  // "integer indefinite" 0x80000000.
  static U32 Truncate(F32 a) {
    return Map([&](std::size_t i) {
      const float value = a.lane[i];
      if (!(value >= -2147483648.0f && value < 2147483648.0f)) return 0x80000000u;
      return static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
    });
  }

  static U32 Load8(const std::byte* at) {
    U32 pixels;
    std::memcpy(pixels.lane.data(), at, sizeof pixels.lane);
    return pixels;
  }
  // Two masked stores, ramped lanes first, as the AVX-512 type does.
  template <int kAlphaAt = 0>
  static void Store8(std::byte* at, U32 pixels, Mask cleared, Mask ramped, U32 alpha) {
    for (std::size_t i = 0; i < kWidth; ++i) {
      if (In(ramped, i)) {
        const std::uint32_t value =
            (pixels.lane[i] & ~(0xFFu << kAlphaAt)) | alpha.lane[i] << kAlphaAt;
        std::memcpy(at + 4 * i, &value, sizeof value);
      }
      if (In(cleared, i)) std::memset(at + 4 * i, 0, 4);
    }
  }

  static Slots16 Load16(const std::byte* at) {
    Slots16 slots;
    std::memcpy(slots.slot.data(), at, sizeof slots.slot);
    return slots;
  }
  // vpminuw with 32767, vpmulhrsw by 255 ((a × b + 2^14) >> 15), vpmovwb
  // (the low byte of each 16-bit result), channel by channel.
  static U32 ToBytes(const Slots16& slots) {
    return Map([&](std::size_t i) {
      std::uint32_t lane = 0;
      for (int channel = 0; channel < 4; ++channel) {
        const auto value = static_cast<std::int32_t>(
            std::min<std::uint64_t>((slots.slot[i] >> (16 * channel)) & 0xFFFF, 32767));
        const std::int32_t rounded = (value * 255 + 0x4000) >> 15;
        lane |= (static_cast<std::uint32_t>(rounded) & 0xFF) << (8 * channel);
      }
      return lane;
    });
  }
  // vpaddusw with 128, then (x - (x >> 8)) >> 8, vpmovwb, channel by channel.
  static U32 ToBytes65535(const Slots16& slots) {
    return Map([&](std::size_t i) {
      std::uint32_t lane = 0;
      for (int channel = 0; channel < 4; ++channel) {
        const auto value = static_cast<std::uint32_t>((slots.slot[i] >> (16 * channel)) & 0xFFFF);
        const std::uint32_t held = std::min<std::uint32_t>(value + 128, 0xFFFF);
        lane |= (((held - (held >> 8)) >> 8) & 0xFF) << (8 * channel);
      }
      return lane;
    });
  }
  template <int kAlphaAt = 0>
  static void Store16(std::byte* at, const Slots16& slots, Mask cleared, Mask ramped, U32 alpha) {
    for (std::size_t i = 0; i < kWidth; ++i) {
      if (In(ramped, i)) {
        const std::uint64_t value = (slots.slot[i] & ~(std::uint64_t{0xFFFF} << kAlphaAt)) |
                                    std::uint64_t{alpha.lane[i]} << kAlphaAt;
        std::memcpy(at + 8 * i, &value, sizeof value);
      }
      if (In(cleared, i)) std::memset(at + 8 * i, 0, 8);
    }
  }

  template <int kChannel>
  static U32 FloatChannel(const SlotsFloat& slots) {
    return Map([&](std::size_t i) {
      return std::bit_cast<std::uint32_t>(slots.slot[i][static_cast<std::size_t>(kChannel)]);
    });
  }
  static SlotsFloat LoadFloat(const std::byte* at) {
    SlotsFloat slots;
    std::memcpy(slots.slot.data(), at, sizeof slots.slot);
    return slots;
  }
  // vcvtps2pd, vmulpd by 255, vaddpd 0.5, vmaxpd with 0 (0 where NaN, the
  // second operand), vminpd with 255, vcvttpd2dq, vpmovdb: channel by channel.
  static U32 ToBytesFloat(const SlotsFloat& slots) {
    return Map([&](std::size_t i) {
      std::uint32_t lane = 0;
      for (std::size_t channel = 0; channel < 4; ++channel) {
        double value = static_cast<double>(slots.slot[i][channel]) * 255.0;
        value = value + 0.5;
        value = value > 0.0 ? value : 0.0;
        value = value < 255.0 ? value : 255.0;
        lane |= static_cast<std::uint32_t>(value) << (8 * channel);
      }
      return lane;
    });
  }
  // Masked stores: a ramped slot's fourth float, then a cleared slot whole.
  static void StoreFloat(std::byte* at, const SlotsFloat&, Mask cleared, Mask ramped, U32 alpha) {
    for (std::size_t i = 0; i < kWidth; ++i) {
      if (In(ramped, i)) std::memcpy(at + 16 * i + 12, &alpha.lane[i], 4);
      if (In(cleared, i)) std::memset(at + 16 * i, 0, 16);
    }
  }
};

}  // namespace huesieve::testing_support
