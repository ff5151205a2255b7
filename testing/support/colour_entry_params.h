// Sets a colour entry's controls in the parameters the simulated host sends
// with Render, by the module's slot layout.
#pragma once

#include "params/param_layout.h"
#include "testing/hostsim/host.h"

namespace huesieve_test {

inline void SetColourEntry(hostsim::Host& host, int k, PF_ParamValue enable, PF_Pixel colour,
                           double range, double softness) {
  const huesieve::ColourEntrySlots slots = huesieve::EntrySlots(k);
  host.param(slots.enable).u.bd.value = enable;
  host.param(slots.colour).u.cd.value = colour;
  host.param(slots.range).u.fs_d.value = range;
  host.param(slots.softness).u.fs_d.value = softness;
}

}  // namespace huesieve_test
