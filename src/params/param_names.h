// The names the host shows for the effect's controls. The string table serves
// them to the host by row; Params Setup copies them into each record.
#pragma once

#include "params/param_layout.h"

namespace huesieve {

inline constexpr char kEnableEffectName[] = "Enable Effect";
inline constexpr char kEnableColourName[] = "Enable color";
inline constexpr char kColourName[] = "Color";
inline constexpr char kRangeName[] = "Range";
inline constexpr char kSoftnessName[] = "Softness";

// Group k is named "Color k+1".
inline constexpr const char* kGroupNames[kColourEntryCount] = {
    "Color 1", "Color 2", "Color 3", "Color 4", "Color 5",
    "Color 6", "Color 7", "Color 8", "Color 9", "Color 10",
};

}  // namespace huesieve
