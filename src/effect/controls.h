// The effect's controls as a user sees them in any host: a master switch and
// ten colour entries, each an on/off switch, a colour, a Range and a Softness,
// with their names, limits and defaults.
#pragma once

namespace huesieve {

inline constexpr int kColourEntryCount = 10;

inline constexpr char kEnableEffectName[] = "Enable Effect";
inline constexpr char kEnableColourName[] = "Enable color";
inline constexpr char kColourName[] = "Color";
inline constexpr char kRangeName[] = "Range";
inline constexpr char kSoftnessName[] = "Softness";

// Entry k's group is named "Color k+1".
inline constexpr const char* kGroupNames[kColourEntryCount] = {
    "Color 1", "Color 2", "Color 3", "Color 4", "Color 5",
    "Color 6", "Color 7", "Color 8", "Color 9", "Color 10",
};

// A Range of 0, every entry's default, claims nothing; from 1 to 128 it is
// the redmean distance an entry reaches. Softness is a percentage.
inline constexpr double kRangeMax = 128.0;
inline constexpr double kSoftnessMax = 100.0;

}  // namespace huesieve
