// Who the plug-in is to OpenFX hosts, which store the identifier in their
// projects; the bundle's Info.plist is generated from the same definition.
#pragma once

namespace huesieve::ofx {

inline constexpr char kPluginIdentifier[] = "com.quorvelvfx.Huesieve";

}  // namespace huesieve::ofx
