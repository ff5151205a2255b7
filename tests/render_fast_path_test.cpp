// Render through EffectMain and the simulated host gives, pixel for pixel, what
// the plain walk (MatchPixel on every slot), the host's copy and the corner
// markers give, at both depths and with padded and bottom-up strides.
#include <gtest/gtest.h>

#include "entry/effect_main.h"
#include "testing/hostsim/frame_generator.h"
#include "testing/hostsim/strict_host.h"
#include "testing/modulehost/image_record.h"
#include "params/param_layout.h"
#include "testing/reference/plain_selection_pass.h"
#include "core/corner_markers.h"
#include "render/host_image_view.h"
#include "testing/support/colour_entry_params.h"

namespace huesieve {
namespace {

using hostsim::Depth;
using hostsim::FrameKind;
using hostsim::World;

struct RenderCase {
  const char* name;
  Depth depth;
  FrameKind kind;
  A_long extra_bytes;
  bool bottom_up;
};

void PrintTo(const RenderCase& render_case, std::ostream* out) { *out << render_case.name; }

class RenderFastPath : public ::testing::TestWithParam<RenderCase> {};

// Entries that claim parts of the generated frames, one disabled, with
// feather bands, plus defaults (range 0) for the rest.
ColourEntryTable Entries() {
  ColourEntryTable table;
  table.count = kMaxColourEntries;
  table.enabled = {0, 1, 1, 1};
  table.colours[0] = Rgb8{150, 110, 80};
  table.colours[1] = Rgb8{95, 140, 207};
  table.colours[2] = Rgb8{210, 90, 40};
  table.colours[3] = Rgb8{128, 128, 128};
  table.ranges = {20.0f, 100.0f, 60.0f, 128.0f};
  table.softness = {0.0f, 40.0f, 100.0f, 1e-3f};
  return table;
}

template <typename Format>
World Expected(const World& input, const ColourEntryTable& table) {
  World expected_input = input;
  const SelectionBounds bounds = PlainSelectionPass<Format>(
      HostImageView<Format>(expected_input.def(), expected_input.def().data), table);
  World expected(input.depth(), input.def().width, input.def().height, input.def().rowbytes);
  modulehost::CopyImage(expected_input.def(), expected.def());
  DrawCornerMarkers<Format>(HostImageView<Format>(expected.def(), expected.def().data), bounds);
  return expected;
}

TEST_P(RenderFastPath, OutputMatchesPlainRule) {
  const RenderCase& c = GetParam();
  constexpr A_long kWidth = 157;
  constexpr A_long kHeight = 43;
  const A_long pixel_size = c.depth == Depth::k16 ? 8 : 4;
  const A_long rowbytes = (kWidth * pixel_size + c.extra_bytes) * (c.bottom_up ? -1 : 1);
  World input(c.depth, kWidth, kHeight, rowbytes);
  hostsim::GenerateFrame(input, c.kind, 3);
  const ColourEntryTable table = Entries();

  hostsim::StrictHost host(&EffectMain);
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  host.param(kEnableEffectSlot).u.bd.value = 1;
  for (int k = 0; k < kColourEntryCount; ++k) {
    const auto entry = static_cast<std::size_t>(k);
    const Rgb8 colour = table.colours[entry];
    huesieve_test::SetColourEntry(host, k, table.enabled[entry],
                                  PF_Pixel{255, colour.red, colour.green, colour.blue},
                                  table.ranges[entry], table.softness[entry]);
  }
  const World expected =
      c.depth == Depth::k16 ? Expected<Argb16>(input, table) : Expected<Argb8>(input, table);
  World output(c.depth, kWidth, kHeight, rowbytes);
  ASSERT_EQ(host.Render(input, output), PF_Err_NONE);
  EXPECT_TRUE(output.storage() == expected.storage());
}

INSTANTIATE_TEST_SUITE_P(
    Frames, RenderFastPath,
    ::testing::Values(RenderCase{"Natural8", Depth::k8, FrameKind::kNatural, 0, false},
                      RenderCase{"Noise8Padded", Depth::k8, FrameKind::kNoise, 20, false},
                      RenderCase{"Natural16BottomUp", Depth::k16, FrameKind::kNatural, 16, true},
                      RenderCase{"Noise16OddStride", Depth::k16, FrameKind::kNoise, 3, false}),
    [](const ::testing::TestParamInfo<RenderCase>& param_info) {
      return std::string(param_info.param.name);
    });

}  // namespace
}  // namespace huesieve
