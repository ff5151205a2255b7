// A property set refuses what a strict host refuses, with the status real
// hosts give, and logs every refusal.
#include "testing/hostsim/ofx/property_set.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "testing/hostsim/ofx/property_tables.h"
#include "ofx/api/ofx_image_effect.h"

namespace {

using hostsim::ofx::ComplaintKind;
using hostsim::ofx::ComplaintLog;
using hostsim::ofx::PropertyRow;
using hostsim::ofx::PropertySet;
using hostsim::ofx::PropertyType;
using hostsim::ofx::Writer;

constexpr PropertyRow kRows[] = {
    {"Count", PropertyType::kInt, 1, Writer::kPlugin, "7"},
    {"Bounds", PropertyType::kInt, 4, Writer::kHost, "0"},
    {"Scale", PropertyType::kDouble, 2, Writer::kPlugin, "1"},
    {"Names", PropertyType::kString, hostsim::ofx::kVariableDimension, Writer::kPlugin, ""},
};

class PropertySetTest : public ::testing::Test {
 protected:
  ComplaintLog log_;
  PropertySet set_{"a test set", log_, kRows};
};

// One refused call: what the plug-in did, the status it must get back.
struct Refusal {
  const char* name;
  OfxStatus (*call)(PropertySet&);
  OfxStatus status;
};

std::ostream& operator<<(std::ostream& out, const Refusal& refusal) { return out << refusal.name; }

class PropertyRefusalTest : public PropertySetTest,
                            public ::testing::WithParamInterface<Refusal> {};

TEST_P(PropertyRefusalTest, IsRefusedWithTheHostsStatusAndLogged) {
  EXPECT_EQ(GetParam().call(set_), GetParam().status);
  const auto complaints = log_.Entries();
  ASSERT_EQ(complaints.size(), 1u);
  EXPECT_EQ(complaints[0].kind, ComplaintKind::kRefusal);
  EXPECT_THAT(complaints[0].what, ::testing::HasSubstr("a test set"));
}

int ignored_int;
double ignored_double;
char* ignored_text;

INSTANTIATE_TEST_SUITE_P(
    Cases, PropertyRefusalTest,
    ::testing::Values(
        Refusal{
            "UnknownName",
            [](PropertySet& s) { return s.PluginGetInt("propGetInt", "Nope", 0, &ignored_int); },
            kOfxStatErrUnknown},
        Refusal{"IntReadAsDouble",
                [](PropertySet& s) {
                  return s.PluginGetDouble("propGetDouble", "Count", 0, &ignored_double);
                },
                kOfxStatErrUnknown},
        Refusal{"DoubleSetAsInt",
                [](PropertySet& s) { return s.PluginSetInt("propSetInt", "Scale", 0, 2); },
                kOfxStatErrUnknown},
        Refusal{
            "IndexPastTheDimension",
            [](PropertySet& s) { return s.PluginGetInt("propGetInt", "Bounds", 4, &ignored_int); },
            kOfxStatErrBadIndex},
        Refusal{"NegativeIndex",
                [](PropertySet& s) {
                  return s.PluginGetDouble("propGetDouble", "Scale", -1, &ignored_double);
                },
                kOfxStatErrBadIndex},
        Refusal{"CountPastTheDimension",
                [](PropertySet& s) {
                  double values[3];
                  return s.PluginGetDoubleN("propGetDoubleN", "Scale", 3, values);
                },
                kOfxStatErrBadIndex},
        Refusal{"SettingAPropertyOnlyTheHostSets",
                [](PropertySet& s) { return s.PluginSetInt("propSetInt", "Bounds", 0, 1); },
                kOfxStatErrValue},
        Refusal{"ResettingAPropertyOnlyTheHostSets",
                [](PropertySet& s) { return s.PluginReset("propReset", "Bounds"); },
                kOfxStatErrValue},
        Refusal{"SkippingAnIndexOfAVariableDimension",
                [](PropertySet& s) { return s.PluginSetString("propSetString", "Names", 1, "b"); },
                kOfxStatErrBadIndex},
        Refusal{"ReadingAnEmptyVariableDimension",
                [](PropertySet& s) {
                  return s.PluginGetString("propGetString", "Names", 0, &ignored_text);
                },
                kOfxStatErrBadIndex},
        Refusal{"NullValuePointer",
                [](PropertySet& s) { return s.PluginGetInt("propGetInt", "Count", 0, nullptr); },
                kOfxStatErrValue}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

TEST_F(PropertySetTest, AVariableDimensionGrowsByAppendingAndShrinksBySettingFewer) {
  const char* const three[] = {"a", "b", "c"};
  EXPECT_EQ(set_.PluginSetStringN("propSetStringN", "Names", 3, three), kOfxStatOK);
  EXPECT_EQ(set_.PluginSetString("propSetString", "Names", 3, "d"), kOfxStatOK);
  int dimension = 0;
  EXPECT_EQ(set_.PluginGetDimension("propGetDimension", "Names", &dimension), kOfxStatOK);
  EXPECT_EQ(dimension, 4);
  EXPECT_EQ(set_.PluginSetStringN("propSetStringN", "Names", 1, three), kOfxStatOK);
  EXPECT_THAT(set_.Strings("Names"), ::testing::ElementsAre("a"));
  EXPECT_THAT(log_.Entries(), ::testing::IsEmpty());
}

TEST_F(PropertySetTest, AResetBringsBackTheDefaults) {
  ASSERT_EQ(set_.PluginSetInt("propSetInt", "Count", 0, 3), kOfxStatOK);
  ASSERT_EQ(set_.PluginReset("propReset", "Count"), kOfxStatOK);
  int count = 0;
  EXPECT_EQ(set_.PluginGetInt("propGetInt", "Count", 0, &count), kOfxStatOK);
  EXPECT_EQ(count, 7);
}

TEST_F(PropertySetTest, AStringStaysWhereItIsUntilItChanges) {
  set_.SetStrings("Names", {"first"});
  char* text = nullptr;
  ASSERT_EQ(set_.PluginGetString("propGetString", "Names", 0, &text), kOfxStatOK);
  EXPECT_STREQ(text, "first");
}

TEST_F(PropertySetTest, ReadsThatMissFallThroughToTheChainedSetButWritesDoNot) {
  PropertySet instance("an instance", log_, {});
  instance.Chain(&set_);
  int count = 0;
  EXPECT_EQ(instance.PluginGetInt("propGetInt", "Count", 0, &count), kOfxStatOK);
  EXPECT_EQ(count, 7);
  EXPECT_EQ(instance.PluginSetInt("propSetInt", "Count", 0, 1), kOfxStatErrUnknown);
}

TEST(PropertyTablesTest, AnImageCarriesEveryPropertyOfTheImageReference) {
  ComplaintLog log;
  const PropertySet image("an image", log, hostsim::ofx::ImageProperties());
  for (const char* name :
       {kOfxPropType, kOfxImagePropData, kOfxImagePropRowBytes, kOfxImagePropBounds,
        kOfxImagePropRegionOfDefinition, kOfxImageEffectPropPixelDepth,
        kOfxImageEffectPropComponents, kOfxImageEffectPropPreMultiplication,
        kOfxImagePropPixelAspectRatio, kOfxImagePropField, kOfxImagePropUniqueIdentifier,
        kOfxImageEffectPropRenderScale}) {
    EXPECT_TRUE(image.Has(name)) << name;
  }
  EXPECT_EQ(image.Dimension(kOfxImagePropBounds), 4);
  EXPECT_EQ(image.TypeOf(kOfxImagePropRowBytes), PropertyType::kInt);
}

}  // namespace
