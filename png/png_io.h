// Left only for tools/huesieve-render/host_pixels.cpp, which leaves the tool
// with the --module driver; the scale itself is testing/support/host_scale.h.
#pragma once

#include "testing/support/host_scale.h"

namespace huesieve::png {
using host_scale::FromHost16;
using host_scale::ToHost16;
}  // namespace huesieve::png
