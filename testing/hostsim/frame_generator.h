// Deterministic test and benchmark frames: the same seed gives the same
// pixels on every machine (no floating-point library calls, only integer
// arithmetic and a fixed generator).
#pragma once

#include <cstdint>

#include "testing/hostsim/world.h"

namespace hostsim {

enum class FrameKind {
  // Like footage: a smooth sky gradient, grassy ground with fine grain, flat
  // rectangles with hard edges and discs with soft edges.
  kNatural,
  // Every slot an independent uniform colour (and alpha): the stress case.
  kNoise,
};

// Fills every slot of `world`, padding included; 16-bit frames use the whole
// 0..32768 scale rather than scaled-up 8-bit values.
void GenerateFrame(World& world, FrameKind kind, std::uint32_t seed);

}  // namespace hostsim
