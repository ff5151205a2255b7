// What differs between the 8-bit and the 16-bit path, in one place.
#pragma once

#include "host/pf_types.h"

namespace huesieve {

template <typename Pixel>
struct PixelTraits;

template <>
struct PixelTraits<PF_Pixel> {
  using Channel = A_u_char;
  static constexpr A_long kDepth = 8;
  static constexpr Channel kRampMax = 255;
  static constexpr PF_Pixel kTransparentBlack{0, 0, 0, 0};
  static constexpr PF_Pixel kMarker{255, 255, 0, 0};  // opaque red
};

// 16-bit channels reach full intensity at 32768, not 65535.
template <>
struct PixelTraits<PF_Pixel16> {
  using Channel = A_u_short;
  static constexpr A_long kDepth = 16;
  static constexpr Channel kRampMax = 32768;
  static constexpr PF_Pixel16 kTransparentBlack{0, 0, 0, 0};
  static constexpr PF_Pixel16 kMarker{32768, 32768, 0, 0};
};

}  // namespace huesieve
