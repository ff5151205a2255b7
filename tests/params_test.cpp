// Params Setup as the host sees it: the calls, their order and every byte of
// every record.
#include <gtest/gtest.h>

#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "effect/controls.h"
#include "entry/effect_main.h"
#include "testing/hostsim/strict_host.h"

namespace {

PF_ParamDef Blank(A_long id, PF_ParamType type, const char* name) {
  PF_ParamDef def;
  std::memset(&def, 0, sizeof def);
  def.uu.id = id;
  def.param_type = type;
  std::strcpy(def.name, name);
  return def;
}

PF_ParamDef Checkbox(A_long id, const char* name) {
  PF_ParamDef def = Blank(id, PF_Param_CHECKBOX, name);
  def.flags = 0x20;
  return def;
}

PF_ParamDef Colour(A_long id) {
  PF_ParamDef def = Blank(id, PF_Param_COLOR, "Color");
  def.u.cd.value = {255, 255, 255, 255};
  def.u.cd.dephault = {255, 255, 255, 255};
  return def;
}

PF_ParamDef Slider(A_long id, const char* name, float min, float max) {
  PF_ParamDef def = Blank(id, PF_Param_FLOAT_SLIDER, name);
  def.u.fs_d.valid_min = min;
  def.u.fs_d.valid_max = max;
  def.u.fs_d.slider_min = min;
  def.u.fs_d.slider_max = max;
  def.u.fs_d.curve_tolerance = 0.05f;
  return def;
}

// Written out here rather than read from the module's own table.
std::vector<PF_ParamDef> ExpectedRecords() {
  const char* group_names[] = {"Color 1", "Color 2", "Color 3", "Color 4", "Color 5",
                               "Color 6", "Color 7", "Color 8", "Color 9", "Color 10"};
  std::vector<PF_ParamDef> records{Checkbox(1, "Enable Effect")};
  for (A_long k = 0; k < 10; ++k) {
    const A_long first = 2 + 6 * k;
    records.push_back(Blank(first, PF_Param_GROUP_START, group_names[k]));
    records.push_back(Checkbox(first + 1, "Enable color"));
    records.push_back(Colour(first + 2));
    records.push_back(Slider(first + 3, "Range", 1.0f, 128.0f));
    records.push_back(Slider(first + 4, "Softness", 0.0f, 100.0f));
    records.push_back(Blank(first + 5, PF_Param_GROUP_END, ""));
  }
  return records;
}

class ParamsSetupTest : public ::testing::Test {
 protected:
  ParamsSetupTest() : host(&EffectMain) { host.out_data.num_params = -7; }
  hostsim::StrictHost host;
};

TEST_F(ParamsSetupTest, AddsSixtyOneParametersAndCountsTheInputLayer) {
  EXPECT_EQ(host.ParamsSetup(), PF_Err_NONE);
  EXPECT_EQ(host.added_params().size(), 61u);
  EXPECT_EQ(host.out_data.num_params, 62);
}

TEST_F(ParamsSetupTest, EveryRecordHoldsExactlyItsMembersAndZeroElsewhere) {
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  const std::vector<PF_ParamDef> expected = ExpectedRecords();
  ASSERT_EQ(host.added_params().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("slot " + std::to_string(i + 1));
    PF_ParamDef actual = host.added_params()[i];
    PF_ParamDef want = expected[i];
    if (want.param_type == PF_Param_CHECKBOX) {
      // The label is the module's empty text, not the checkbox name.
      ASSERT_NE(actual.u.bd.u.nameptr, nullptr);
      EXPECT_STREQ(actual.u.bd.u.nameptr, "");
      want.u.bd.u.nameptr = actual.u.bd.u.nameptr;
    }
    EXPECT_EQ(actual.uu.id, want.uu.id);
    EXPECT_EQ(actual.param_type, want.param_type);
    EXPECT_STREQ(actual.name, want.name);
    EXPECT_EQ(actual.flags, want.flags);
    EXPECT_EQ(std::memcmp(&actual, &want, sizeof actual), 0) << "a member differs or is not zero";
  }
}

// Walking the effect's table of controls, which the other hosts and the tool
// read too, meets each of the module's records in turn: its label, its kind,
// its default and the After Effects limits; the rows not for the module have
// no record.
class ModuleRecordsFromTheTable : public ParamsSetupTest {
 protected:
  void ExpectRecord(const huesieve::ControlRow& row, const PF_ParamDef& def) {
    using huesieve::ControlKind;
    switch (row.kind) {
      case ControlKind::kSwitch:
        EXPECT_EQ(def.param_type, PF_Param_CHECKBOX);
        EXPECT_STREQ(def.name, row.switch_control->label);
        EXPECT_EQ(def.u.bd.value != 0, row.switch_control->default_value);
        break;
      case ControlKind::kColourPicker:
        EXPECT_EQ(def.param_type, PF_Param_COLOR);
        EXPECT_STREQ(def.name, row.colour->label);
        EXPECT_EQ(def.u.cd.value.red, row.colour->default_value.red);
        EXPECT_EQ(def.u.cd.value.green, row.colour->default_value.green);
        EXPECT_EQ(def.u.cd.value.blue, row.colour->default_value.blue);
        break;
      case ControlKind::kSlider:
        EXPECT_EQ(def.param_type, PF_Param_FLOAT_SLIDER);
        EXPECT_STREQ(def.name, row.slider->label);
        EXPECT_EQ(def.u.fs_d.valid_min, static_cast<float>(row.slider->after_effects.min));
        EXPECT_EQ(def.u.fs_d.valid_max, static_cast<float>(row.slider->after_effects.max));
        EXPECT_EQ(def.u.fs_d.value, row.slider->default_value);
        break;
      case ControlKind::kChoice:
        ADD_FAILURE() << row.choice->label << " is not the module's";
        break;
    }
  }
};

TEST_F(ModuleRecordsFromTheTable, EachRowForTheModuleIsItsRecordInOrder) {
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  const std::vector<PF_ParamDef>& records = host.added_params();
  std::size_t next = 0;
  const auto expect_next = [&](const huesieve::ControlRow& row) {
    if (!row.in_module) return;
    ASSERT_LT(next, records.size());
    SCOPED_TRACE("slot " + std::to_string(next + 1));
    ExpectRecord(row, records[next++]);
  };
  for (const huesieve::ControlRow& row : huesieve::kEffectControls) expect_next(row);
  for (int k = 0; k < huesieve::kColourEntryCount; ++k) {
    ASSERT_LT(next, records.size());
    EXPECT_EQ(records[next].param_type, PF_Param_GROUP_START);
    EXPECT_STREQ(records[next++].name, huesieve::kEntryGroup.labels[k]);
    for (const huesieve::ControlRow& row : huesieve::kEntryControls) expect_next(row);
    ASSERT_LT(next, records.size());
    EXPECT_EQ(records[next++].param_type, PF_Param_GROUP_END);
  }
  EXPECT_EQ(next, records.size());
}

TEST(ControlsTable, ChoicesAreTheRowsNotForTheModule) {
  for (const auto& rows : {std::span<const huesieve::ControlRow>(huesieve::kEffectControls),
                           std::span<const huesieve::ControlRow>(huesieve::kEntryControls)}) {
    for (const huesieve::ControlRow& row : rows) {
      EXPECT_EQ(row.in_module, row.kind != huesieve::ControlKind::kChoice);
    }
  }
}

TEST_F(ParamsSetupTest, RangeStartsAtZeroBelowItsMinimum) {
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  const PF_FloatSliderDef& range = host.added_params()[4].u.fs_d;  // slot 5
  EXPECT_EQ(range.value, 0.0);
  EXPECT_EQ(range.dephault, 0.0f);
  EXPECT_EQ(range.valid_min, 1.0f);
}

TEST_F(ParamsSetupTest, SendsTheRecordsInSlotOrderThroughTheHostCalls) {
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  EXPECT_EQ(host.add_param_calls(), 61);
  for (std::size_t i = 0; i < host.added_params().size(); ++i) {
    EXPECT_EQ(host.added_params()[i].uu.id, static_cast<A_long>(i + 1));
  }
}

template <typename Value>
Value At(const PF_ParamDef& def, std::size_t offset) {
  Value value;
  std::memcpy(&value, reinterpret_cast<const unsigned char*>(&def) + offset, sizeof value);
  return value;
}

// The offsets a host reads, written out rather than taken from the module's
// declarations: the record's union starts at 56.
TEST_F(ParamsSetupTest, MembersSitAtTheHostsOffsets) {
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  const PF_ParamDef& checkbox = host.added_params()[0];  // slot 1
  EXPECT_EQ(At<A_long>(checkbox, 0), 1);                 // uu.id
  EXPECT_EQ(At<A_long>(checkbox, 12), PF_Param_CHECKBOX);
  EXPECT_STREQ(reinterpret_cast<const char*>(&checkbox) + 16, "Enable Effect");  // name
  EXPECT_EQ(At<A_long>(checkbox, 48), 0x20);                                     // flags
  EXPECT_STREQ(At<const char*>(checkbox, 64), "");                               // u.bd.u.nameptr

  const PF_ParamDef& colour = host.added_params()[3];             // slot 4
  EXPECT_EQ(At<std::uint64_t>(colour, 56), 0xFFFFFFFFFFFFFFFFu);  // u.cd.value, u.cd.dephault

  const PF_ParamDef& range = host.added_params()[4];  // slot 5
  EXPECT_EQ(At<A_long>(range, 0), 5);
  EXPECT_EQ(At<double>(range, 56), 0.0);     // u.fs_d.value
  EXPECT_EQ(At<float>(range, 104), 1.0f);    // valid_min, after the 32-byte value_desc
  EXPECT_EQ(At<float>(range, 108), 128.0f);  // valid_max
  EXPECT_EQ(At<float>(range, 112), 1.0f);    // slider_min
  EXPECT_EQ(At<float>(range, 116), 128.0f);  // slider_max
  EXPECT_EQ(At<float>(range, 132), 0.05f);   // curve_tolerance
  EXPECT_EQ(At<float>(host.added_params()[5], 116), 100.0f);  // Softness slider_max
}

class RefusedParamTest : public ParamsSetupTest, public ::testing::WithParamInterface<int> {};

TEST_P(RefusedParamTest, StopsAtTheRefusalAndReturnsTheHostsCode) {
  const int refused = GetParam();
  host.faults.refuse_param_number = refused;
  host.faults.param_refusal = PF_Err_OUT_OF_MEMORY;
  EXPECT_EQ(host.ParamsSetup(), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(host.add_param_calls(), refused);
  EXPECT_EQ(host.added_params().size(), static_cast<std::size_t>(refused - 1));
  EXPECT_EQ(host.out_data.num_params, -7);
}

INSTANTIATE_TEST_SUITE_P(FirstMiddleAndLast, RefusedParamTest, ::testing::Values(1, 2, 7, 34, 61));

}  // namespace
