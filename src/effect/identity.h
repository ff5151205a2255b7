// Who the effect is, whatever the host: its name, maker, menu group, version
// and description. Every host layer, the packages and the build read these
// definitions, and nothing else defines them.
#pragma once

namespace huesieve {

inline constexpr char kEffectName[] = "Huesieve";
// The group the effect is listed under in every host's effects menu.
inline constexpr char kCategory[] = "Quorvel VFX";

// The one definition of the effect's version.
inline constexpr int kMajorVersion = 1;
inline constexpr int kMinorVersion = 0;
inline constexpr int kBugFixVersion = 0;
// "1.0", as hosts show it.
static_assert(kMajorVersion < 10 && kMinorVersion < 10, "the version text holds one digit each");
inline constexpr char kVersionText[] = {static_cast<char>('0' + kMajorVersion), '.',
                                        static_cast<char>('0' + kMinorVersion), '\0'};

// The description After Effects shows under the name in About, after two
// line feeds; other hosts show the text that follows them.
inline constexpr char kDescription[] = "\n\nCopyright 2026 Quorvel VFX.\nhttps://quorvelvfx.com";
inline constexpr const char* kDescriptionText = kDescription + 2;
static_assert(kDescription[0] == '\n' && kDescription[1] == '\n' && kDescription[2] != '\n');

}  // namespace huesieve
