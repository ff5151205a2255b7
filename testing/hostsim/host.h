// The simulated host the tests, the fuzzers and the benchmark drive the module
// through: the lean host of testing/modulehost/host.h, rendering the simulator's own
// images.
#pragma once

#include "testing/hostsim/world.h"
#include "testing/modulehost/host.h"

namespace hostsim {

using modulehost::Command;
using modulehost::CommandRecords;
using modulehost::EffectMainFn;

class Host : public modulehost::Host {
 public:
  using modulehost::Host::Host;
  using modulehost::Host::Render;

  // Renders `input` into `output` with the current parameter values.
  PF_Err Render(World& input, World& output) const { return Render(input.def(), output.def()); }
};

}  // namespace hostsim
