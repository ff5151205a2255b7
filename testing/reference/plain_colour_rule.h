// A deliberately plain second implementation of the colour match rule, kept
// apart from the core's so the two can be compared. It is written from the
// description of the rule, not from the core's code: channels are plain
// numbers, the distance is worked in doubles (every value in it is a whole
// number well below 2^53, so doubles are exact and floor equals the integer
// shift and division), and the steps that the rule fixes in single precision
// are single precision here too.
#pragma once

#include <cmath>
#include <cstdint>

namespace plain_reference {

// How a pixel's channels are stored, which fixes how they come to the 8-bit
// scale the rule decides on, the full intensity the ramp reaches, and how the
// ramp is written as alpha.
enum class Scale {
  kByte,    // 0 to 255
  kHost16,  // After Effects' 16-bit: 0 to 32768
  kShort,   // 0 to 65535
  kFloat,   // 0 to 1
};

// A pixel at any scale: doubles hold every 8-bit, 16-bit and float value
// exactly.
struct Pixel {
  double alpha = 0;
  double red = 0;
  double green = 0;
  double blue = 0;
};

struct Channels {
  std::uint32_t alpha = 0;
  std::uint32_t red = 0;
  std::uint32_t green = 0;
  std::uint32_t blue = 0;
  bool operator==(const Channels&) const = default;
};

struct Entry {
  bool enabled = false;
  std::uint32_t red = 0;  // 0..255 at every scale
  std::uint32_t green = 0;
  std::uint32_t blue = 0;
  float range = 0.0f;
  float softness = 0.0f;
};

struct Verdict {
  Channels pixel;
  bool matched = false;
};

// Nearest 8-bit value of a first-host 16-bit channel, halves up, anything
// past full intensity counted as 255.
inline double ToByteScale(double channel) {
  const double scaled = std::floor((channel * 255.0 + 16384.0) / 32768.0);
  return scaled > 255.0 ? 255.0 : scaled;
}

inline double ToByte(double channel, Scale scale) {
  switch (scale) {
    case Scale::kByte:
      return channel;
    case Scale::kHost16:
      return ToByteScale(channel);
    case Scale::kShort:
      // The nearest of channel × 255 / 65535; no channel lies halfway.
      return std::floor((channel + 128.0) / 257.0);
    case Scale::kFloat: {
      // Rounded half up and held within the scale; NaN is 0. Exact in
      // double wherever the result is not held.
      const double scaled = channel * 255.0 + 0.5;
      if (!(scaled >= 0.0)) return 0.0;
      return scaled > 255.0 ? 255.0 : std::floor(scaled);
    }
  }
  return 0.0;
}

// How a channel becomes the 8-bit value the rule decides on.
enum class Judged {
  kAsStored,  // ToByte
  kSrgb,      // SrgbToByte
};

inline double Maximum(Scale scale);

// A channel on its format's scale brought to 0..1 (a float held within it,
// NaN as 0), sRGB-encoded, and rounded half up on the 8-bit scale.
inline double SrgbToByte(double channel, Scale scale) {
  double unit = channel / Maximum(scale);
  if (!(unit > 0.0)) unit = 0.0;
  if (unit > 1.0) unit = 1.0;
  const double encoded =
      unit <= 0.0031308 ? unit * 12.92 : 1.055 * std::pow(unit, 1.0 / 2.4) - 0.055;
  return std::floor(encoded * 255.0 + 0.5);
}

inline double JudgedByte(double channel, Scale scale, Judged judged) {
  return judged == Judged::kSrgb ? SrgbToByte(channel, scale) : ToByte(channel, scale);
}

inline double Maximum(Scale scale) {
  switch (scale) {
    case Scale::kByte:
      return 255.0;
    case Scale::kHost16:
      return 32768.0;
    case Scale::kShort:
      return 65535.0;
    case Scale::kFloat:
      return 1.0;
  }
  return 0.0;
}

// The distance of a colour on the 8-bit scale from an entry's colour.
inline double ByteDistance(double r, double g, double b, const Entry& entry) {
  const double rmean = std::floor((r + entry.red) / 2.0);
  const double dr = r - entry.red;
  const double dg = g - entry.green;
  const double db = b - entry.blue;
  const double red_term = std::floor((rmean + 512.0) * dr * dr / 256.0);
  const double green_term = 4.0 * dg * dg;
  const double blue_term = std::floor((767.0 - rmean) * db * db / 256.0);
  return std::sqrt(red_term + green_term + blue_term);
}

inline double DistanceAt(const Pixel& pixel, const Entry& entry, Scale scale,
                         Judged judged = Judged::kAsStored) {
  return ByteDistance(JudgedByte(pixel.red, scale, judged), JudgedByte(pixel.green, scale, judged),
                      JudgedByte(pixel.blue, scale, judged), entry);
}

inline double Distance(const Channels& pixel, const Entry& entry, int depth) {
  return DistanceAt({0, double(pixel.red), double(pixel.green), double(pixel.blue)}, entry,
                    depth == 16 ? Scale::kHost16 : Scale::kByte);
}

// Each line is one single-precision operation, in the order the rule gives.
inline float Ramp(float distance, float range, float softness, float maximum) {
  const float fraction = softness / 100.0f;
  const float part = fraction * range;
  const float inner = range - part;
  const float band = range - inner;
  const float above_range = range - distance;
  const float ratio = above_range / band;
  const float scaled_up = ratio * 100.0f;
  const float scaled_back = scaled_up / 100.0f;
  return scaled_back * maximum;
}

// The ramp as an integer alpha channel: truncated toward zero, kept within 0
// and the maximum, and 0 when it is not a number.
inline std::uint32_t RampAlpha(float value, std::uint32_t maximum) {
  if (std::isnan(value) || value <= 0.0f) return 0;
  if (value >= static_cast<float>(maximum)) return maximum;
  return static_cast<std::uint32_t>(std::trunc(value));
}

// The ramp as an alpha at any scale: a float alpha is the value itself, kept
// within 0 and 1, and 0 when it is not a number.
inline double RampAlphaAt(float value, Scale scale) {
  if (scale != Scale::kFloat) {
    return RampAlpha(value, static_cast<std::uint32_t>(Maximum(scale)));
  }
  if (std::isnan(value) || value <= 0.0f) return 0.0;
  return value >= 1.0f ? 1.0 : static_cast<double>(value);
}

// The entry that claims a pixel, the first in order whose distance lies below
// its range (-1: none), and whether the pixel lies in that entry's feather
// band and the entry is enabled, so that its alpha ramps.
struct Claim {
  int entry = -1;
  bool ramps = false;
  double distance = 0.0;
};

inline Claim ClaimAt(const Pixel& pixel, const Entry* entries, int count, Scale scale,
                     Judged judged = Judged::kAsStored) {
  for (int k = 0; k < count; ++k) {
    const Entry& entry = entries[k];
    const double distance = DistanceAt(pixel, entry, scale, judged);
    if (!(distance < static_cast<double>(entry.range))) continue;
    bool ramps = false;
    if (entry.enabled && entry.softness > 0.0f) {
      const float ratio = static_cast<float>(distance / static_cast<double>(entry.range) * 100.0);
      const float inner_edge = 100.0f - entry.softness;
      ramps = ratio >= inner_edge;
    }
    return {k, ramps, distance};
  }
  return {};
}

// What becomes of a pixel: cleared to transparent black, or kept with its
// alpha replaced (ramped) or not.
struct Outcome {
  bool matched = false;
  bool cleared = true;
  bool ramped = false;
  double alpha = 0.0;  // when ramped
};

inline Outcome JudgeAt(const Pixel& pixel, const Entry* entries, int count, Scale scale,
                       Judged judged = Judged::kAsStored) {
  const Claim claim = ClaimAt(pixel, entries, count, scale, judged);
  if (claim.entry < 0) return {};
  const Entry& entry = entries[claim.entry];
  if (!entry.enabled) return {.matched = true};
  if (!claim.ramps) return {.matched = true, .cleared = false};
  return {true, false, true,
          RampAlphaAt(Ramp(static_cast<float>(claim.distance), entry.range, entry.softness,
                           static_cast<float>(Maximum(scale))),
                      scale)};
}

// After Effects' depths: 8, or 16 for its 16-bit scale.
inline Pixel PixelOf(const Channels& channels) {
  return {double(channels.alpha), double(channels.red), double(channels.green),
          double(channels.blue)};
}

inline Claim ClaimOf(const Channels& pixel, const Entry* entries, int count, int depth) {
  return ClaimAt(PixelOf(pixel), entries, count, depth == 16 ? Scale::kHost16 : Scale::kByte);
}

inline Verdict Judge(const Channels& pixel, const Entry* entries, int count, int depth) {
  const Outcome outcome =
      JudgeAt(PixelOf(pixel), entries, count, depth == 16 ? Scale::kHost16 : Scale::kByte);
  if (outcome.cleared) return {Channels{}, outcome.matched};
  Channels kept = pixel;
  if (outcome.ramped) kept.alpha = static_cast<std::uint32_t>(outcome.alpha);
  return {kept, true};
}

// The nearest float to a double, ties to even, as a slider value is narrowed.
// Past 2^127 the value is halved first, which keeps the conversion in range
// (halving is exact there, and rounding at half the size rounds the same way);
// a doubled result of 2^128 is infinity.
inline float NearestFloat(double value) {
  if (!(std::fabs(value) > 0x1p127)) return static_cast<float>(value);
  if (std::fabs(value) >= 0x1p128) return value < 0 ? -INFINITY : INFINITY;
  return static_cast<float>(value * 0.5) * 2.0f;
}

}  // namespace plain_reference
