// Every pixel format the core is compiled for. The templates built in .cpp
// files are instantiated for each through this list, so adding a format here
// (and its traits in pixel_formats.h) builds the whole core for it.
#pragma once

#include "core/pixel_formats.h"

#define HUESIEVE_FOR_EACH_PIXEL_FORMAT(X) \
  X(::huesieve::Argb8)                    \
  X(::huesieve::Argb16)                   \
  X(::huesieve::Rgba8)                    \
  X(::huesieve::Rgba16)                   \
  X(::huesieve::RgbaFloat)
