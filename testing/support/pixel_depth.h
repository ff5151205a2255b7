// What a typed test needs to know of each pixel type: the simulated host's
// depth for it, its full channel value, and pixels built from channel values.
#pragma once

#include <cmath>

#include "host/pf_types.h"
#include "testing/hostsim/world.h"

namespace huesieve_test {

template <typename Pixel>
struct DepthOf;

template <>
struct DepthOf<PF_Pixel> {
  static constexpr hostsim::Depth kDepth = hostsim::Depth::k8;
  static constexpr A_u_char kFull = 255;
  static A_u_char Channel(int eight_bit) { return static_cast<A_u_char>(eight_bit); }
};

template <>
struct DepthOf<PF_Pixel16> {
  static constexpr hostsim::Depth kDepth = hostsim::Depth::k16;
  static constexpr A_u_short kFull = 32768;
  // The 16-bit value nearest to an 8-bit one; it converts back exactly.
  static A_u_short Channel(int eight_bit) {
    return static_cast<A_u_short>(std::lround(eight_bit * 32768.0 / 255.0));
  }
};

// Channel values at the pixel's own scale.
template <typename Pixel>
Pixel MakePixel(int alpha, int red, int green, int blue) {
  using Channel = decltype(Pixel{}.alpha);
  return Pixel{static_cast<Channel>(alpha), static_cast<Channel>(red), static_cast<Channel>(green),
               static_cast<Channel>(blue)};
}

}  // namespace huesieve_test
