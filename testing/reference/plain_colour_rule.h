// A deliberately plain second implementation of the colour match rule, kept
// apart from the module's so the two can be compared. It is written from the
// description of the rule, not from the module's code: channels are plain
// integers, the distance is worked in doubles (every value in it is a whole
// number well below 2^53, so doubles are exact and floor equals the integer
// shift and division), and the steps that the rule fixes in single precision
// are single precision here too.
#pragma once

#include <cmath>
#include <cstdint>

namespace plain_reference {

struct Channels {
  std::uint32_t alpha = 0;
  std::uint32_t red = 0;
  std::uint32_t green = 0;
  std::uint32_t blue = 0;
  bool operator==(const Channels&) const = default;
};

struct Entry {
  bool enabled = false;
  std::uint32_t red = 0;  // 0..255 at both depths
  std::uint32_t green = 0;
  std::uint32_t blue = 0;
  float range = 0.0f;
  float softness = 0.0f;
};

struct Verdict {
  Channels pixel;
  bool matched = false;
};

// Nearest 8-bit value of a 16-bit channel, halves up, anything past full
// intensity counted as 255.
inline double ToByteScale(double channel) {
  const double scaled = std::floor((channel * 255.0 + 16384.0) / 32768.0);
  return scaled > 255.0 ? 255.0 : scaled;
}

inline double Distance(const Channels& pixel, const Entry& entry, int depth) {
  double r = pixel.red;
  double g = pixel.green;
  double b = pixel.blue;
  if (depth == 16) {
    r = ToByteScale(r);
    g = ToByteScale(g);
    b = ToByteScale(b);
  }
  const double rmean = std::floor((r + entry.red) / 2.0);
  const double dr = r - entry.red;
  const double dg = g - entry.green;
  const double db = b - entry.blue;
  const double red_term = std::floor((rmean + 512.0) * dr * dr / 256.0);
  const double green_term = 4.0 * dg * dg;
  const double blue_term = std::floor((767.0 - rmean) * db * db / 256.0);
  return std::sqrt(red_term + green_term + blue_term);
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

// The ramp as an alpha channel: truncated toward zero, kept within 0 and the
// maximum, and 0 when it is not a number.
inline std::uint32_t RampAlpha(float value, std::uint32_t maximum) {
  if (std::isnan(value) || value <= 0.0f) return 0;
  if (value >= static_cast<float>(maximum)) return maximum;
  return static_cast<std::uint32_t>(std::trunc(value));
}

// The entry that claims a pixel, the first in order whose distance lies below
// its range (-1: none), and whether the pixel lies in that entry's feather
// band and the entry is enabled, so that its alpha ramps.
struct Claim {
  int entry = -1;
  bool ramps = false;
  double distance = 0.0;
};

inline Claim ClaimOf(const Channels& pixel, const Entry* entries, int count, int depth) {
  for (int k = 0; k < count; ++k) {
    const Entry& entry = entries[k];
    const double distance = Distance(pixel, entry, depth);
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

inline Verdict Judge(const Channels& pixel, const Entry* entries, int count, int depth) {
  const std::uint32_t maximum = depth == 16 ? 32768u : 255u;
  const Claim claim = ClaimOf(pixel, entries, count, depth);
  if (claim.entry < 0) return {Channels{}, false};
  const Entry& entry = entries[claim.entry];
  if (!entry.enabled) return {Channels{}, true};
  Channels kept = pixel;
  if (claim.ramps) {
    kept.alpha = RampAlpha(Ramp(static_cast<float>(claim.distance), entry.range, entry.softness,
                                static_cast<float>(maximum)),
                           maximum);
  }
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
