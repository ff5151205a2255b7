#include "testing/tools/module-render/effect_controls.h"

#include <gtest/gtest.h>

namespace {

using huesieve::module_render::EffectControls;
using huesieve::module_render::FindControls;
using huesieve::module_render::LayoutError;

std::vector<PF_ParamDef> Records(std::initializer_list<PF_ParamType> types) {
  std::vector<PF_ParamDef> records;
  for (PF_ParamType type : types) {
    PF_ParamDef def{};
    def.param_type = type;
    records.push_back(def);
  }
  return records;
}

constexpr PF_ParamType kLayer = PF_Param_LAYER, kCheckbox = PF_Param_CHECKBOX,
                       kColour = PF_Param_COLOR, kSlider = PF_Param_FLOAT_SLIDER,
                       kStart = PF_Param_GROUP_START, kEnd = PF_Param_GROUP_END;

TEST(FindControls, EntriesFollowTheirGroupStartsWhereverTheyLie) {
  // An extra slider ahead of the groups shifts every slot by one.
  const EffectControls controls =
      FindControls(Records({kLayer, kSlider, kCheckbox, kStart, kCheckbox, kColour, kSlider,
                            kSlider, kEnd, kStart, kCheckbox, kColour, kSlider, kSlider, kEnd}));
  EXPECT_EQ(controls.enable_effect, 2);
  ASSERT_EQ(controls.entries.size(), 2u);
  EXPECT_EQ(controls.entries[0].group_start, 3);
  EXPECT_EQ(controls.entries[0].enable, 4);
  EXPECT_EQ(controls.entries[0].colour, 5);
  EXPECT_EQ(controls.entries[0].range, 6);
  EXPECT_EQ(controls.entries[0].softness, 7);
  EXPECT_EQ(controls.entries[1].group_start, 9);
  EXPECT_EQ(controls.entries[1].softness, 13);
}

TEST(FindControls, GroupOfOtherControlsIsRefused) {
  EXPECT_THROW(FindControls(Records(
                   {kLayer, kCheckbox, kStart, kColour, kCheckbox, kSlider, kSlider, kEnd})),
               LayoutError);
  EXPECT_THROW(FindControls(Records({kLayer, kCheckbox, kStart, kCheckbox, kColour, kSlider})),
               LayoutError);
}

TEST(FindControls, MissingMasterSwitchOrEntriesIsRefused) {
  EXPECT_THROW(FindControls(Records({kLayer, kStart, kCheckbox, kColour, kSlider, kSlider, kEnd})),
               LayoutError);
  EXPECT_THROW(FindControls(Records({kLayer, kCheckbox})), LayoutError);
}

}  // namespace
