// The module against the host's records at their published layout: each
// command writes exactly its own members, at the host's offsets, and nothing
// else; and the simulated host catches a module that strays, by a call through
// a slot it has no business calling (the driver's traps, which the tool keeps)
// or a write outside its own members (the strict host's audit).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "entry/effect_main.h"
#include "testing/hostsim/strict_host.h"
#include "testing/modulehost/poison.h"
#include "testing/support/colour_entry_params.h"

namespace {

using hostsim::ChangedBytes;
using hostsim::Depth;
using hostsim::World;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// "Huesieve v1.0\r\n\nCopyright 2026 Quorvel VFX.\nhttps://quorvelvfx.com"
constexpr std::size_t kAboutTextLength = 66;

ChangedBytes OutData(std::size_t offset, std::size_t length) {
  return {"PF_OutData", offset, length};
}

class HostRecordsTest : public ::testing::Test {
 protected:
  HostRecordsTest() : host(&EffectMain) {}

  // The changes of the next command only, whatever happened before.
  void Collect() {
    changes.clear();
    host.record_changes = &changes;
  }

  hostsim::StrictHost host;
  std::vector<ChangedBytes> changes;
};

TEST_F(HostRecordsTest, GlobalSetupWritesVersionAndBothFlagWordsOnly) {
  Collect();
  ASSERT_EQ(host.GlobalSetup(), PF_Err_NONE);
  EXPECT_THAT(changes, ElementsAre(OutData(0, 4), OutData(96, 4), OutData(400, 4)));
}

TEST_F(HostRecordsTest, AboutWritesTheMessageAndItsTerminatorOnly) {
  Collect();
  ASSERT_EQ(host.About(), PF_Err_NONE);
  EXPECT_THAT(changes, ElementsAre(OutData(100, kAboutTextLength + 1)));
}

TEST_F(HostRecordsTest, ParamsSetupWritesTheParameterCountOnly) {
  Collect();
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  EXPECT_THAT(changes, ElementsAre(OutData(48, 4)));
}

TEST_F(HostRecordsTest, UnhandledCommandWritesNothing) {
  Collect();
  ASSERT_EQ(host.Send(PF_Cmd_RENDER + 1), PF_Err_NONE);
  EXPECT_THAT(changes, IsEmpty());
}

struct RenderCase {
  const char* name;
  Depth depth;
  PF_ParamValue master;
};
std::ostream& operator<<(std::ostream& out, const RenderCase& render) { return out << render.name; }

class RenderRecordsTest : public HostRecordsTest,
                          public ::testing::WithParamInterface<RenderCase> {};

// Render rewrites pixels, never a record: not the input data, the output data,
// any parameter (the input layer's image record included) or the output's
// image record.
TEST_P(RenderRecordsTest, RenderWritesNoRecordAtAll) {
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  huesieve_test::SetColourEntry(host, 0, 1, PF_Pixel{255, 200, 40, 40}, 80.0, 50.0);
  huesieve_test::SetColourEntry(host, 3, 0, PF_Pixel{255, 10, 10, 200}, 40.0, 0.0);
  host.param(1).u.bd.value = GetParam().master;
  const A_long padded_stride = GetParam().depth == Depth::k16 ? 9 * 8 : 9 * 4;
  World input(GetParam().depth, 7, 5, padded_stride);
  if (GetParam().depth == Depth::k16) {
    input.Fill(PF_Pixel16{30000, 25000, 5000, 5000});
  } else {
    input.Fill(PF_Pixel{230, 195, 40, 40});
  }
  World output(GetParam().depth, 7, 5);

  Collect();
  EXPECT_EQ(host.Render(input, output), PF_Err_NONE);
  EXPECT_THAT(changes, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(BothDepthsOnAndBypassed, RenderRecordsTest,
                         ::testing::Values(RenderCase{"Render8", Depth::k8, 1},
                                           RenderCase{"Render16", Depth::k16, 1},
                                           RenderCase{"Bypass8", Depth::k8, 0},
                                           RenderCase{"Bypass16", Depth::k16, 0}),
                         [](const auto& test) { return std::string(test.param.name); });

// --- The simulated host's guards, against modules that stray -----------------

// What a spy module saw of the records it was handed.
struct Seen {
  std::vector<unsigned char> in_data;
  std::vector<unsigned char> master_switch;
  std::vector<unsigned char> group_start;
  std::vector<unsigned char> output;
};
Seen seen;

template <typename Record>
std::vector<unsigned char> BytesOf(const Record& record) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
  return {bytes, bytes + sizeof record};
}

// Huesieve itself, but for Render.
PF_Err SpyModule(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                 PF_LayerDef* output, void* extra) {
  if (cmd != PF_Cmd_RENDER) return EffectMain(cmd, in_data, out_data, params, output, extra);
  seen = {BytesOf(*in_data), BytesOf(*params[1]), BytesOf(*params[2]), BytesOf(*output)};
  return PF_Err_NONE;
}

bool Poisoned(const std::vector<unsigned char>& bytes, std::size_t offset, std::size_t length) {
  for (std::size_t at = offset; at < offset + length; ++at) {
    if (bytes.at(at) != modulehost::kPoisonByte) return false;
  }
  return true;
}

// The driver the tool links poisons and traps on its own; the strict host
// keeps both.
template <typename SimulatedHost>
class SimulatedHostTest : public ::testing::Test {};
using HostLayers = ::testing::Types<hostsim::Host, hostsim::StrictHost>;
TYPED_TEST_SUITE(SimulatedHostTest, HostLayers);

TYPED_TEST(SimulatedHostTest, HandsRenderRecordsPoisonedBeyondWhatTheModuleReads) {
  TypeParam host(&SpyModule);
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  host.param(1).u.bd.value = 1;
  World input(Depth::k8, 2, 2);
  World output(Depth::k8, 2, 2);
  ASSERT_EQ(host.Render(input, output), PF_Err_NONE);

  ASSERT_EQ(seen.in_data.size(), 408u);
  EXPECT_TRUE(Poisoned(seen.in_data, 192, 192)) << "quality to src_snd";
  EXPECT_TRUE(Poisoned(seen.in_data, 392, 16)) << "past pica_basicP";
  ASSERT_EQ(seen.master_switch.size(), 176u);
  EXPECT_TRUE(Poisoned(seen.master_switch, 0, 56)) << "everything ahead of u";
  EXPECT_EQ(seen.master_switch[56], 1) << "u.bd.value";
  EXPECT_TRUE(Poisoned(seen.master_switch, 60, 116)) << "everything after u.bd.value";
  EXPECT_TRUE(Poisoned(seen.group_start, 0, 176));
  ASSERT_EQ(seen.output.size(), 120u);
  EXPECT_TRUE(Poisoned(seen.output, 0, 16)) << "reserved0, reserved1";
  EXPECT_TRUE(Poisoned(seen.output, 44, 76)) << "extent_hint to dephault";
}

PF_Err CallsFillDuringRender(PF_Cmd cmd, PF_InData* in_data, PF_OutData*, PF_ParamDef*[],
                             PF_LayerDef*, void*) {
  if (cmd == PF_Cmd_RENDER) in_data->utils->fill();
  return PF_Err_NONE;
}

PF_Err CallsAddParamDuringRender(PF_Cmd cmd, PF_InData* in_data, PF_OutData*, PF_ParamDef*[],
                                 PF_LayerDef*, void*) {
  PF_ParamDef def{};
  if (cmd == PF_Cmd_RENDER) in_data->inter.add_param(in_data->effect_ref, -1, &def);
  return PF_Err_NONE;
}

// The fault of a packed layout: About calling the suite's first slot, atan,
// for sprintf.
PF_Err CallsTheFirstAnsiSlot(PF_Cmd cmd, PF_InData* in_data, PF_OutData*, PF_ParamDef*[],
                             PF_LayerDef*, void*) {
  const void* suite = nullptr;
  if (cmd == PF_Cmd_ABOUT && in_data->pica_basicP->AcquireSuite("PF ANSI Suite", 1, &suite) == 0) {
    static_cast<const PF_ANSICallbacksSuite1*>(suite)->atan();
  }
  return PF_Err_NONE;
}

PF_Err WritesTheOutDataName(PF_Cmd cmd, PF_InData*, PF_OutData* out_data, PF_ParamDef*[],
                            PF_LayerDef*, void*) {
  if (cmd == PF_Cmd_GLOBAL_SETUP) std::memset(out_data->name, 0, 8);
  return PF_Err_NONE;
}

PF_Err WritesAParameterDuringRender(PF_Cmd cmd, PF_InData*, PF_OutData*, PF_ParamDef* params[],
                                    PF_LayerDef*, void*) {
  if (cmd == PF_Cmd_RENDER) params[0]->u.fs_d.phase = 0.0;  // the input layer's reserved1
  return PF_Err_NONE;
}

PF_Err WritesTheOutputRecord(PF_Cmd cmd, PF_InData*, PF_OutData*, PF_ParamDef*[],
                             PF_LayerDef* output, void*) {
  if (cmd == PF_Cmd_RENDER) output->extent_hint = PF_Rect{0, 0, 1, 1};
  return PF_Err_NONE;
}

struct StrayCase {
  const char* name;
  hostsim::EffectMainFn module;
  PF_Cmd cmd;
  const char* message;
};
std::ostream& operator<<(std::ostream& out, const StrayCase& stray) { return out << stray.name; }

template <typename SimulatedHost>
void SendAsStray(const StrayCase& stray) {
  SimulatedHost host(stray.module);
  if (stray.cmd == PF_Cmd_RENDER) {
    World input(Depth::k8, 2, 2);
    World output(Depth::k8, 2, 2);
    host.Render(input, output);
  } else {
    host.Send(stray.cmd);
  }
}

class StrayModuleDeathTest : public ::testing::TestWithParam<StrayCase> {};

TEST_P(StrayModuleDeathTest, StrictHostAbortsNamingWhatWasTouched) {
  EXPECT_DEATH(SendAsStray<hostsim::StrictHost>(GetParam()), GetParam().message);
}

const StrayCase kStrayCalls[] = {
    {"UtilSlot", &CallsFillDuringRender, PF_Cmd_RENDER,
     "during Render the module called the slot at offset 72 of PF_UtilCallbacks"},
    {"AddParamOutsideParamsSetup", &CallsAddParamDuringRender, PF_Cmd_RENDER,
     "offset 16 of PF_InteractCallbacks"},
    {"AnsiSuiteSlot", &CallsTheFirstAnsiSlot, PF_Cmd_ABOUT,
     "during About the module called the slot at offset 0 of PF_ANSICallbacksSuite1"},
};

const StrayCase kStrayWrites[] = {
    {"OutDataName", &WritesTheOutDataName, PF_Cmd_GLOBAL_SETUP,
     "during Global Setup the module wrote PF_OutData bytes 4 to 11"},
    {"ParameterRecord", &WritesAParameterDuringRender, PF_Cmd_RENDER,
     "during Render the module wrote params\\[0\\] bytes 64 to 71"},
    {"OutputRecord", &WritesTheOutputRecord, PF_Cmd_RENDER,
     "during Render the module wrote output bytes 44 to 59"},
};

const auto kStrayName = [](const auto& test) { return std::string(test.param.name); };

INSTANTIATE_TEST_SUITE_P(Calls, StrayModuleDeathTest, ::testing::ValuesIn(kStrayCalls), kStrayName);
INSTANTIATE_TEST_SUITE_P(Writes, StrayModuleDeathTest, ::testing::ValuesIn(kStrayWrites),
                         kStrayName);

// The traps are the driver's own: the tool aborts on a stray call as the tests do.
class StrayCallDeathTest : public ::testing::TestWithParam<StrayCase> {};

TEST_P(StrayCallDeathTest, DriverAloneAbortsNamingTheSlot) {
  EXPECT_DEATH(SendAsStray<hostsim::Host>(GetParam()), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Calls, StrayCallDeathTest, ::testing::ValuesIn(kStrayCalls), kStrayName);

}  // namespace
