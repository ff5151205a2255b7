// A plain model of the whole effect on one picture, written from the
// description of the effect (docs/openfx.md, "Its pixels" and "Premultiplied
// sources"), not from the core's code: the switch, the rule on straight or
// premultiplied pixels, a render window and the corner markers. Pictures are
// plain pixels in doubles, rows from the top.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "testing/reference/plain_colour_rule.h"

namespace plain_reference {

// Which channels of a pixel the effect passed through from the source as
// they were, so that a caller can keep their bits (a float that is not a
// number does not survive a trip through double unchanged).
enum Passed : std::uint8_t { kNonePassed = 0, kColourPassed = 1, kAlphaPassed = 2 };

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<Pixel> pixels;         // row by row from the top
  std::vector<std::uint8_t> passed;  // Passed bits, pixel by pixel

  Picture(int w, int h)
      : width(w),
        height(h),
        pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h)),
        passed(pixels.size(), kNonePassed) {}
  std::size_t Index(int column, int row) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(column);
  }
  Pixel& At(int column, int row) { return pixels[Index(column, row)]; }
  const Pixel& At(int column, int row) const { return pixels[Index(column, row)]; }
};

// Columns from `left` up to `right`, rows from `top` up to `bottom`.
struct Window {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Holds(int column, int row) const {
    return column >= left && column < right && row >= top && row < bottom;
  }
};

struct EffectModel {
  bool enabled = false;
  const Entry* entries = nullptr;
  int count = 0;
  Scale scale = Scale::kByte;
  bool premultiplied = false;
  Judged judged = Judged::kAsStored;
  bool fades = false;  // a feather band scales the alpha rather than replacing it
};

inline bool PartialAlpha(double alpha, double full) { return alpha > 0.0 && alpha < full; }

// The straight colour of a premultiplied channel: rounded to the nearest
// integer sample and held within the scale, or divided in single precision.
inline double StraightSample(double sample, double alpha, double full, bool floats) {
  if (floats) return static_cast<float>(sample) / static_cast<float>(alpha);
  return std::min(full, std::floor(sample * full / alpha + 0.5));
}

// A straight channel premultiplied: rounded to the nearest integer sample,
// or the single-precision product itself.
inline double PremultipliedSample(double straight, double alpha, double full, bool floats) {
  if (floats) return static_cast<float>(straight) * static_cast<float>(alpha);
  return std::floor(straight * alpha / full + 0.5);
}

// One pixel as the effect leaves it, whether an entry claimed it, and what
// of it is the source's.
inline Pixel EffectOnPixel(const Pixel& given, const EffectModel& model, bool& claimed,
                           std::uint8_t& passed) {
  const double full = Maximum(model.scale);
  const bool floats = model.scale == Scale::kFloat;
  Pixel straight = given;
  if (model.premultiplied && PartialAlpha(given.alpha, full)) {
    straight.red = StraightSample(given.red, given.alpha, full, floats);
    straight.green = StraightSample(given.green, given.alpha, full, floats);
    straight.blue = StraightSample(given.blue, given.alpha, full, floats);
  }
  const Outcome outcome = JudgeAt(straight, model.entries, model.count, model.scale, model.judged);
  claimed = outcome.matched;
  passed = kNonePassed;
  if (outcome.cleared) return Pixel{};
  passed = kColourPassed | kAlphaPassed;
  if (!outcome.ramped) return given;
  if (model.fades) {
    // The source times ramp / full: its alpha, and a premultiplied colour.
    const auto fade = [&](double sample) {
      if (floats)
        return static_cast<double>(static_cast<float>(sample) * static_cast<float>(outcome.alpha));
      return std::floor(sample * outcome.alpha / full + 0.5);
    };
    passed = model.premultiplied ? kNonePassed : kColourPassed;
    if (!model.premultiplied) return {fade(given.alpha), given.red, given.green, given.blue};
    return {fade(given.alpha), fade(given.red), fade(given.green), fade(given.blue)};
  }
  passed = kColourPassed;
  if (!model.premultiplied) return {outcome.alpha, given.red, given.green, given.blue};
  // A ramp to the pixel's own alpha leaves it as it came.
  passed = kColourPassed | kAlphaPassed;
  if (outcome.alpha == given.alpha) return given;
  passed = kNonePassed;
  return {outcome.alpha, PremultipliedSample(straight.red, outcome.alpha, full, floats),
          PremultipliedSample(straight.green, outcome.alpha, full, floats),
          PremultipliedSample(straight.blue, outcome.alpha, full, floats)};
}

// What `target` holds after the effect renders `source` into it: inside the
// window, the source when switched off, else every pixel judged and the four
// corner markers of the rectangle of claimed pixels of the whole source
// (nothing claimed: the rectangle (0, 0, 1, 1)); outside it, what it held.
inline void ApplyEffect(const Picture& source, Picture& target, const EffectModel& model,
                        const Window& window) {
  bool any = false;
  int left = 0, top = 0, right = 0, bottom = 0;
  for (int row = 0; row < source.height; ++row) {
    for (int column = 0; column < source.width; ++column) {
      const Pixel& given = source.At(column, row);
      bool claimed = false;
      std::uint8_t passed = kColourPassed | kAlphaPassed;
      const Pixel result = model.enabled ? EffectOnPixel(given, model, claimed, passed) : given;
      if (window.Holds(column, row)) {
        target.At(column, row) = result;
        target.passed[target.Index(column, row)] = passed;
      }
      if (!claimed) continue;
      if (!any) {
        left = right = column;
        top = row;
        any = true;
      }
      left = std::min(left, column);
      right = std::max(right, column);
      bottom = row;
    }
  }
  if (!model.enabled) return;
  const double full = Maximum(model.scale);
  const int corners[4][2] = {
      {left, top}, {left, bottom + 1}, {right + 1, top}, {right + 1, bottom + 1}};
  for (const auto& [column, row] : corners) {
    if (column >= source.width || row >= source.height || !window.Holds(column, row)) continue;
    target.At(column, row) = Pixel{full, full, 0.0, 0.0};
    target.passed[target.Index(column, row)] = kNonePassed;
  }
}

}  // namespace plain_reference
