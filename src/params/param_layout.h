// Where each control lives in the host's parameter array. The host stores
// projects by these identifiers, so the layout never changes.
#pragma once

#include <cstddef>

#include "effect/controls.h"

namespace huesieve {

inline constexpr int kInputLayerSlot = 0;  // supplied by the host
inline constexpr int kEnableEffectSlot = 1;
// An entry's group: its start, its controls the module shows, its end.
inline constexpr int kSlotsPerEntry = CountModuleRows(kEntryControls) + 2;
inline constexpr int kFirstEntrySlot = kEnableEffectSlot + CountModuleRows(kEffectControls);
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

// Stored projects know these slots: the table's rows for the module must
// keep their order.
static_assert(kParamCount == 62);
static_assert(kEffectControls[0].switch_control == &kEnableEffect);
static_assert(kEntryControls[0].switch_control == &kEnableColour &&
              kEntryControls[1].colour == &kColour && kEntryControls[2].slider == &kRange &&
              kEntryControls[3].slider == &kSoftness);
static_assert(EntrySlots(kColourEntryCount - 1).group_end == kParamCount - 1);

}  // namespace huesieve
