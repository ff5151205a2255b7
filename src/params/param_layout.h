// Where each control lives in the host's parameter array. The host stores
// projects by these identifiers, so the layout never changes.
#pragma once

#include <cstddef>

#include "effect/controls.h"

namespace huesieve {

inline constexpr int kInputLayerSlot = 0;  // supplied by the host
inline constexpr int kEnableEffectSlot = 1;
inline constexpr int kSlotsPerEntry = 6;
inline constexpr int kFirstEntrySlot = 2;
// The count the host is told, the input layer included.
inline constexpr int kParamCount = kFirstEntrySlot + kColourEntryCount * kSlotsPerEntry;

// The six slots of colour entry k, in the order they are added.
struct ColourEntrySlots {
  int group_start;
  int enable;
  int colour;
  int range;
  int softness;
  int group_end;
};

constexpr ColourEntrySlots EntrySlots(int k) {
  const int first = kFirstEntrySlot + k * kSlotsPerEntry;
  return {first, first + 1, first + 2, first + 3, first + 4, first + 5};
}


static_assert(kParamCount == 62);
static_assert(EntrySlots(kColourEntryCount - 1).group_end == kParamCount - 1);

}  // namespace huesieve
