// Shared ways of turning fuzz bytes into the values a host may send: slider
// values that are ordinary, tiny, huge or not finite.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cstdint>
#include <limits>

namespace huesieve_fuzz {

// A slider value as the host might store it: mostly near the control's range
// (where the rule's decisions are made), sometimes any bit pattern at all.
inline double ConsumeSliderValue(FuzzedDataProvider& data) {
  switch (data.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:  // whole values, as typed into the control
      return data.ConsumeIntegralInRange<int>(-2, 130);
    case 1:  // hundredths across the control's range
      return data.ConsumeIntegralInRange<int>(0, 13000) / 100.0;
    case 2:  // a small fraction of a percent, where the feather band cancels
      return data.ConsumeIntegralInRange<int>(1, 100000) * 1e-9;
    case 3: {  // special values
      constexpr double kSpecial[] = {std::numeric_limits<double>::quiet_NaN(),
                                     std::numeric_limits<double>::infinity(),
                                     -std::numeric_limits<double>::infinity(),
                                     1e300,
                                     -1e300,
                                     3.4028235677973366e38,
                                     3.5e38,
                                     std::numeric_limits<double>::denorm_min(),
                                     1e-40,
                                     -0.0,
                                     100.0,
                                     128.0};
      return kSpecial[data.ConsumeIntegralInRange<std::size_t>(0, std::size(kSpecial) - 1)];
    }
    case 4:
      return static_cast<double>(data.ConsumeFloatingPoint<float>());
    default:
      return std::bit_cast<double>(data.ConsumeIntegral<std::uint64_t>());
  }
}

inline float ConsumeFloatValue(FuzzedDataProvider& data) {
  if (data.ConsumeBool()) return std::bit_cast<float>(data.ConsumeIntegral<std::uint32_t>());
  const double value = ConsumeSliderValue(data);
  // Stay within float range here; narrowing is the render fuzzer's business.
  if (value != value) return std::numeric_limits<float>::quiet_NaN();
  if (!(value < 1e38 && value > -1e38)) return std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

}  // namespace huesieve_fuzz
