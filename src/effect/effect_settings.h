// The controls' values as the core's one effect call takes them.
#pragma once

#include "core/effect.h"
#include "effect/controls.h"

namespace huesieve {

inline EffectSettings ToEffectSettings(const ControlSettings& controls) {
  EffectSettings settings;
  settings.enabled = controls.enable_effect;
  settings.modes = ModesOf(controls);
  ColourEntryTable& table = settings.entries;
  table.count = kColourEntryCount;
  for (std::size_t k = 0; k < controls.entries.size(); ++k) {
    const EntrySettings& entry = controls.entries[k];
    table.enabled[k] = entry.enabled ? 1 : 0;
    table.colours[k] = entry.colour;
    table.ranges[k] = NarrowToFloat(entry.range);
    table.softness[k] = NarrowToFloat(entry.softness);
  }
  return settings;
}

}  // namespace huesieve
