// What the plug-in tells a host about itself: its identity, its contexts and
// depths, its clips and its forty-one parameters, as the host stores them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect/controls.h"
#include "tests/ofx/plugin/plugin_fixture.h"

namespace huesieve_ofx_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

using DescriptionTest = PluginTest;

TEST_F(DescriptionTest, ThePlugInIsHuesieveVersionOneOfTheImageEffectApi) {
  const OfxPlugin& plugin = plugin_->ofx_plugin();
  EXPECT_STREQ(plugin.pluginApi, "OfxImageEffectPluginAPI");
  EXPECT_EQ(plugin.apiVersion, 1);
  EXPECT_STREQ(plugin.pluginIdentifier, "com.quorvelvfx.Huesieve");
  EXPECT_EQ(plugin.pluginVersionMajor, 1u);
  EXPECT_EQ(plugin.pluginVersionMinor, 0u);
}

TEST_F(DescriptionTest, TheEffectDescribesItselfAsTheModuleDoes) {
  const auto& properties = plugin_->descriptor().properties();
  EXPECT_EQ(properties.String(kOfxPropLabel), "Huesieve");
  EXPECT_EQ(properties.String(kOfxImageEffectPluginPropGrouping), "Quorvel VFX");
  EXPECT_EQ(properties.String(kOfxPropPluginDescription),
            "Copyright 2026 Quorvel VFX.\nhttps://quorvelvfx.com");
  EXPECT_THAT(properties.Ints(kOfxPropVersion), ElementsAre(1, 0));
  EXPECT_THAT(properties.Strings(kOfxImageEffectPropSupportedContexts),
              UnorderedElementsAre(kOfxImageEffectContextFilter, kOfxImageEffectContextGeneral));
  EXPECT_THAT(properties.Strings(kOfxImageEffectPropSupportedPixelDepths),
              UnorderedElementsAre(kOfxBitDepthByte, kOfxBitDepthShort, kOfxBitDepthFloat));
  EXPECT_EQ(properties.Int(kOfxImageEffectPropSupportsTiles), 0);
  EXPECT_EQ(properties.Int(kOfxImageEffectPropSupportsMultiResolution), 0);
  EXPECT_EQ(properties.Int(kOfxImageEffectPluginPropFieldRenderTwiceAlways), 0);
  EXPECT_EQ(properties.Int(kOfxImageEffectPropSupportsMultipleClipDepths), 0);
  EXPECT_EQ(properties.String(kOfxImageEffectPluginRenderThreadSafety),
            kOfxImageEffectRenderFullySafe);
  EXPECT_THAT(host_.complaints(), IsEmpty());
}

// Hosts on the OpenFX host support library read tiles from the instance.
TEST_F(DescriptionTest, AnInstanceSaysNoTilesAgain) {
  auto instance = MakeInstance();
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(instance->effect().properties().Int(kOfxImageEffectPropSupportsTiles), 0);
  EXPECT_THAT(host_.complaints(), IsEmpty());
}

class ContextTest : public PluginTest, public ::testing::WithParamInterface<const char*> {
 protected:
  const hostsim::ofx::Effect& Described() {
    OfxStatus status = kOfxStatFailed;
    const hostsim::ofx::Effect* effect = plugin_->DescribeInContext(GetParam(), &status);
    EXPECT_EQ(status, kOfxStatOK);
    return *effect;
  }
};

TEST_P(ContextTest, SourceAndOutputTakeWholeRgbaFrames) {
  const hostsim::ofx::Effect& effect = Described();
  std::vector<std::string> names;
  for (const auto& clip : effect.clips()) {
    names.push_back(clip->name());
    EXPECT_THAT(clip->properties().Strings(kOfxImageEffectPropSupportedComponents),
                ElementsAre(kOfxImageComponentRGBA))
        << clip->name();
    EXPECT_EQ(clip->properties().Int(kOfxImageEffectPropSupportsTiles), 0) << clip->name();
  }
  EXPECT_THAT(names, UnorderedElementsAre("Source", "Output"));
}

TEST_P(ContextTest, TheSwitchAndTenColourEntriesInGroups) {
  const hostsim::ofx::Effect& effect = Described();
  const auto& params = effect.params().params();
  ASSERT_EQ(params.size(), 1u + 10u * 5u + 2u);
  const auto& master = *params[0];
  EXPECT_EQ(master.name(), "enable");
  EXPECT_EQ(master.properties().String(kOfxParamPropType), kOfxParamTypeBoolean);
  EXPECT_EQ(master.properties().String(kOfxPropLabel), "Enable Effect");
  EXPECT_EQ(master.properties().Int(kOfxParamPropDefault), 0);
  for (int k = 0; k < 10; ++k) {
    SCOPED_TRACE(std::string("entry ") + std::to_string(k + 1));
    const auto& group = *params[static_cast<std::size_t>(1 + 5 * k)];
    const auto& enable = *params[static_cast<std::size_t>(2 + 5 * k)];
    const auto& colour = *params[static_cast<std::size_t>(3 + 5 * k)];
    const auto& range = *params[static_cast<std::size_t>(4 + 5 * k)];
    const auto& softness = *params[static_cast<std::size_t>(5 + 5 * k)];
    EXPECT_EQ(group.name(), Name("entry", k));
    EXPECT_EQ(group.properties().String(kOfxParamPropType), kOfxParamTypeGroup);
    EXPECT_EQ(group.properties().String(kOfxPropLabel),
              std::string("Color ") + std::to_string(k + 1));
    EXPECT_EQ(enable.name(), Name("enable", k));
    EXPECT_EQ(enable.properties().String(kOfxParamPropType), kOfxParamTypeBoolean);
    EXPECT_EQ(enable.properties().String(kOfxPropLabel), "Enable color");
    EXPECT_EQ(enable.properties().Int(kOfxParamPropDefault), 0);
    EXPECT_EQ(colour.name(), Name("color", k));
    EXPECT_EQ(colour.properties().String(kOfxParamPropType), kOfxParamTypeRGB);
    EXPECT_EQ(colour.properties().String(kOfxPropLabel), "Color");
    EXPECT_THAT(colour.properties().Doubles(kOfxParamPropDefault), ElementsAre(1.0, 1.0, 1.0));
    EXPECT_EQ(range.name(), Name("range", k));
    EXPECT_EQ(range.properties().String(kOfxParamPropType), kOfxParamTypeDouble);
    EXPECT_EQ(range.properties().String(kOfxPropLabel), "Range");
    EXPECT_EQ(range.properties().Double(kOfxParamPropDefault), 0.0);
    EXPECT_EQ(range.properties().Double(kOfxParamPropMin), 0.0);
    EXPECT_EQ(range.properties().Double(kOfxParamPropMax), 128.0);
    EXPECT_EQ(softness.name(), Name("softness", k));
    EXPECT_EQ(softness.properties().String(kOfxParamPropType), kOfxParamTypeDouble);
    EXPECT_EQ(softness.properties().String(kOfxPropLabel), "Softness");
    EXPECT_EQ(softness.properties().Double(kOfxParamPropDefault), 0.0);
    EXPECT_EQ(softness.properties().Double(kOfxParamPropMin), 0.0);
    EXPECT_EQ(softness.properties().Double(kOfxParamPropMax), 100.0);
    for (const auto* member : {&enable, &colour, &range, &softness}) {
      EXPECT_EQ(member->properties().String(kOfxParamPropParent), Name("entry", k))
          << member->name();
    }
  }
  EXPECT_THAT(host_.complaints(), IsEmpty());
}

// Each entry's parameters are the table's entry rows in order: their OpenFX
// names and labels, and for a slider its default and OpenFX limits. The
// table is the one the other hosts and the tool read too.
TEST_P(ContextTest, EntryParametersAreTheControlsTablesRows) {
  const auto& params = Described().params().params();
  const std::size_t per_entry = 1 + huesieve::kEntryControls.size();
  ASSERT_EQ(params.size(), 1u + 10u * per_entry + 2u);
  for (int k = 0; k < 10; ++k) {
    std::size_t at = 2 + static_cast<std::size_t>(k) * per_entry;
    for (const huesieve::ControlRow& row : huesieve::kEntryControls) {
      const auto& param = *params[at++];
      const char* name = row.switch_control != nullptr ? row.switch_control->openfx_name
                         : row.colour != nullptr       ? row.colour->openfx_name
                                                       : row.slider->openfx_name;
      const char* label = row.switch_control != nullptr ? row.switch_control->label
                          : row.colour != nullptr       ? row.colour->label
                                                        : row.slider->label;
      EXPECT_EQ(param.name(), Name(name, k));
      EXPECT_EQ(param.properties().String(kOfxPropLabel), label);
      if (row.slider == nullptr) continue;
      EXPECT_EQ(param.properties().Double(kOfxParamPropDefault), row.slider->default_value);
      EXPECT_EQ(param.properties().Double(kOfxParamPropMin), row.slider->openfx.min);
      EXPECT_EQ(param.properties().Double(kOfxParamPropMax), row.slider->openfx.max);
    }
  }
}

// After the entries, outside their groups, the two choices: a menu of the
// table's labels, its default and its help as the hint.
TEST_P(ContextTest, TheChoicesAreTheControlsTablesMenus) {
  const auto& params = Described().params().params();
  ASSERT_EQ(params.size(), 1u + 10u * 5u + 2u);
  for (std::size_t c = 0; c < huesieve::kChoiceControls.size(); ++c) {
    const huesieve::ChoiceControl& choice = *huesieve::kChoiceControls[c];
    const auto& param = *params[51 + c];
    EXPECT_EQ(param.name(), choice.openfx_name);
    EXPECT_EQ(param.properties().String(kOfxParamPropType), kOfxParamTypeChoice);
    EXPECT_EQ(param.properties().String(kOfxPropLabel), choice.label);
    EXPECT_THAT(param.properties().Strings(kOfxParamPropChoiceOption),
                ElementsAre(choice.value_labels[0], choice.value_labels[1]));
    EXPECT_EQ(param.properties().Int(kOfxParamPropDefault), choice.default_value);
    EXPECT_EQ(param.properties().String(kOfxParamPropHint), choice.help);
    EXPECT_EQ(param.properties().String(kOfxParamPropParent), "");
  }
  EXPECT_EQ(params[51]->name(), "judgeColours");
  EXPECT_EQ(params[52]->name(), "featheredAlpha");
}

INSTANTIATE_TEST_SUITE_P(
    Contexts, ContextTest,
    ::testing::Values(kOfxImageEffectContextFilter, kOfxImageEffectContextGeneral),
    [](const ::testing::TestParamInfo<const char*>& context) {
      return std::string(context.param).substr(std::string("OfxImageEffectContext").size());
    });

}  // namespace
}  // namespace huesieve_ofx_test
