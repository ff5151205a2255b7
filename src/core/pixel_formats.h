// The pixel formats the core renders, as data: one traits struct a format,
// saying where its channels lie, how a pixel's colour comes to the 8-bit scale
// the rule decides on, and how the ramp becomes its alpha. The rule, the pass,
// the markers and the kernels are written once over these.
#pragma once

#include <array>
#include <cstdint>

namespace huesieve {

// 0 below 0 (and for NaN), 255 above 255, otherwise truncated toward zero.
constexpr std::int32_t ClampToByte(double value) {
  if (!(value >= 0.0)) return 0;
  if (value > 255.0) return 255;
  return static_cast<std::int32_t>(value);
}

// A channel on the 0..1 scale (a float pixel's, a colour control's) on the
// 8-bit scale: rounded half up and held within it, in double precision (exact
// for a float channel); NaN counts as 0, infinities as the ends.
constexpr std::int32_t UnitChannelToByteScale(double channel) {
  return ClampToByte(channel * 255.0 + 0.5);
}

// Channel positions within a pixel.
struct ArgbOrder {
  static constexpr int kAlpha = 0;
  static constexpr int kRed = 1;
  static constexpr int kGreen = 2;
  static constexpr int kBlue = 3;
};

struct RgbaOrder {
  static constexpr int kRed = 0;
  static constexpr int kGreen = 1;
  static constexpr int kBlue = 2;
  static constexpr int kAlpha = 3;
};

// Four channels of `SampleType`. Each format names its full intensity,
// `kRampMax`: the alpha a ramp reaches at its feather band's inner edge.
template <typename SampleType>
struct Samples {
  using Sample = SampleType;
  using Pixel = std::array<Sample, 4>;
};

// After Effects' 8-bit pixels: alpha, red, green, blue.
struct Argb8 : ArgbOrder, Samples<std::uint8_t> {
  static constexpr Sample kRampMax = 255;
  static constexpr std::int32_t ToByteScale(Sample channel) { return channel; }
};

// After Effects' 16-bit pixels: full intensity is 32768, not 65535. A
// channel comes to the nearest 8-bit value, halves up; anything past full
// intensity counts as 255.
struct Argb16 : ArgbOrder, Samples<std::uint16_t> {
  static constexpr Sample kRampMax = 32768;
  static constexpr std::int32_t ToByteScale(Sample channel) {
    const std::int32_t value = (std::int32_t{channel} * 255 + 16384) / 32768;
    return value > 255 ? 255 : value;
  }
};

// 8-bit red, green, blue, alpha, as OpenFX hosts, PNG files and browsers hold
// them: After Effects' 8-bit rule in another order.
struct Rgba8 : RgbaOrder, Samples<std::uint8_t> {
  static constexpr Sample kRampMax = 255;
  static constexpr std::int32_t ToByteScale(Sample channel) { return channel; }
};

// 16-bit red, green, blue, alpha over the whole 16-bit scale, full at 65535,
// as OpenFX hosts hold them. A channel comes to the nearest 8-bit value of
// c × 255 / 65535; no channel lies halfway between two.
struct Rgba16 : RgbaOrder, Samples<std::uint16_t> {
  static constexpr Sample kRampMax = 65535;
  static constexpr std::int32_t ToByteScale(Sample channel) {
    return (std::int32_t{channel} + 128) / 257;
  }
};

// 32-bit float red, green, blue, alpha, full at 1, as OpenFX hosts hold them.
// A channel comes to the 8-bit scale as UnitChannelToByteScale says. The ramp
// is written as the alpha itself, not truncated.
struct RgbaFloat : RgbaOrder, Samples<float> {
  static constexpr Sample kRampMax = 1.0f;
  static constexpr std::int32_t ToByteScale(Sample channel) {
    return UnitChannelToByteScale(static_cast<double>(channel));
  }
};

template <typename Format>
constexpr typename Format::Pixel MakePixel(typename Format::Sample alpha,
                                           typename Format::Sample red,
                                           typename Format::Sample green,
                                           typename Format::Sample blue) {
  typename Format::Pixel pixel{};
  pixel[Format::kAlpha] = alpha;
  pixel[Format::kRed] = red;
  pixel[Format::kGreen] = green;
  pixel[Format::kBlue] = blue;
  return pixel;
}

template <typename Format>
inline constexpr typename Format::Pixel kTransparentBlack{};

// The corner marker: opaque red.
template <typename Format>
inline constexpr typename Format::Pixel kMarker =
    MakePixel<Format>(Format::kRampMax, Format::kRampMax, 0, 0);

}  // namespace huesieve
