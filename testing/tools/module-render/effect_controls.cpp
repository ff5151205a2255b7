#include "testing/tools/module-render/effect_controls.h"

#include <string>

namespace huesieve::module_render {

EffectControls FindControls(const std::vector<PF_ParamDef>& params) {
  EffectControls controls;
  const int count = static_cast<int>(params.size());
  auto type_at = [&](int slot) {
    return slot < count ? params[static_cast<std::size_t>(slot)].param_type : -1;
  };

  controls.enable_effect = -1;
  for (int slot = 1; slot < count; ++slot) {
    const PF_ParamType type = type_at(slot);
    if (type == PF_Param_CHECKBOX && controls.entries.empty() && controls.enable_effect < 0) {
      controls.enable_effect = slot;
    }
    if (type != PF_Param_GROUP_START) continue;
    const EntryControls entry{slot, slot + 1, slot + 2, slot + 3, slot + 4};
    if (type_at(entry.enable) != PF_Param_CHECKBOX || type_at(entry.colour) != PF_Param_COLOR ||
        type_at(entry.range) != PF_Param_FLOAT_SLIDER ||
        type_at(entry.softness) != PF_Param_FLOAT_SLIDER) {
      throw LayoutError("group " + std::to_string(controls.entries.size() + 1) + " at slot " +
                        std::to_string(slot) + " is not a checkbox, a colour and two sliders");
    }
    controls.entries.push_back(entry);
  }
  if (controls.enable_effect < 0) throw LayoutError("no \"Enable Effect\" checkbox");
  if (controls.entries.empty()) throw LayoutError("no colour entries");
  return controls;
}

}  // namespace huesieve::module_render
