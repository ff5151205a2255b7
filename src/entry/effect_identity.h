// Who the effect is to After Effects, which learns it twice: from the
// property list it reads out of the module file, and from Global Setup at run
// time. A host compares the two, so both read these definitions.
#pragma once

#include <cstdint>

#include "effect/identity.h"
#include "host/pf_types.h"

namespace huesieve {

// The host's PF_VERSION packing: build in bits 0-8, stage 9-10, bug-fix level
// 11-14, minor 15-18, major's low three bits 19-21 and its high bits 26-29.
constexpr std::uint32_t PackVersion(std::uint32_t major, std::uint32_t minor, std::uint32_t bug,
                                    std::uint32_t stage, std::uint32_t build) {
  return ((major >> 3) & 0xFu) << 26 | (major & 0x7u) << 19 | (minor & 0xFu) << 15 |
         (bug & 0xFu) << 11 | (stage & 0x3u) << 9 | (build & 0x1FFu);
}

// The effect's version packed as the host reads it; Global Setup, the
// property list, About and the command-line tool all read it.
inline constexpr int kBuildNumber = 1;
inline constexpr std::uint32_t kEffectVersion =
    PackVersion(kMajorVersion, kMinorVersion, kBugFixVersion, PF_Stage_DEVELOP, kBuildNumber);
inline constexpr std::uint32_t kOutFlags =
    PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_I_WRITE_INPUT_BUFFER;
inline constexpr std::uint32_t kOutFlags2 = PF_OutFlag2_SUPPORTS_THREADED_RENDERING;

static_assert(kEffectVersion == 0x00080001);
static_assert(kOutFlags == 0x02000800);
static_assert(kOutFlags2 == 0x08000000);

// The stable identity the host stores in projects, and the entry point.
inline constexpr char kMatchName[] = "Quorvel VFX Huesieve";
inline constexpr char kEntryPointName[] = "EffectMain";

// The host API the module was built against, and the property-list format.
inline constexpr int kHostApiMajor = 13;
inline constexpr int kHostApiMinor = 27;
inline constexpr int kPropertyListMajor = 2;
inline constexpr int kPropertyListMinor = 0;

// What the host loads: an effect, the four characters 'eFKT'.
inline constexpr std::uint32_t kEffectKind = 0x65464B54;
// Info flags and reserved info, as the property list states them.
inline constexpr std::uint16_t kInfoFlags = 0;
inline constexpr std::uint32_t kPropertyListReservedInfo = 0;
// The reserved info a host expects when the module registers itself.
inline constexpr int kRegistrationReservedInfo = 8;

}  // namespace huesieve
