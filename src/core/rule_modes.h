// Two ways a host may ask the rule to work besides its own: judging colours
// as sRGB-encoded display values, and a feather band that fades a pixel's
// alpha rather than replacing it. The defaults are the rule as it always was.
#pragma once

#include <cstdint>

namespace huesieve {

// What the rule's 8-bit decision values are made from.
enum class JudgeColours : std::uint8_t {
  kAsStored,     // the sample on the 8-bit scale, as pixel_formats.h says
  kSrgbEncoded,  // the sample's sRGB encoding (srgb_decision.h)
};

// What a ramp does to the alpha of a pixel in a feather band.
enum class FeatheredAlpha : std::uint8_t {
  kReplaces,  // the ramp becomes the alpha
  kFades,     // the alpha is scaled by the ramp, never raised
};

struct RuleModes {
  JudgeColours judge = JudgeColours::kAsStored;
  FeatheredAlpha feathered = FeatheredAlpha::kReplaces;
  bool operator==(const RuleModes&) const = default;
};

// The rule as it always was: its own kernels' path, untouched.
constexpr bool IsPlainRule(const RuleModes& modes) { return modes == RuleModes{}; }

}  // namespace huesieve
