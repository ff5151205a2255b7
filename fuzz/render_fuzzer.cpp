// Drives the Render command through EffectMain with image records and
// parameter values a host could send, hostile ones included, and checks every
// byte of both images and the result against the plain model of a render.
// Each image lives in its own heap block of exactly the bytes its record
// describes, so AddressSanitizer reports any access outside them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "entry/effect_main.h"
#include "testing/hostsim/exact_world.h"
#include "fuzz/fuzz_values.h"
#include "testing/hostsim/strict_host.h"
#include "params/param_layout.h"
#include "testing/reference/plain_render.h"
#include "testing/support/colour_entry_params.h"

namespace {

using hostsim::ExactWorld;
using plain_reference::FrameValues;
using plain_reference::HostBehaviour;

constexpr A_long kMaxSide = 64;

hostsim::StrictHost& LoadedHost() {
  static hostsim::StrictHost* host = [] {
    auto* loaded = new hostsim::StrictHost(&EffectMain);
    if (loaded->ParamsSetup() != PF_Err_NONE) std::abort();
    return loaded;
  }();
  return *host;
}

// A record the host could hand over: any height up to the bound, a stride from
// 0 upwards (padded, not a multiple of the pixel size, or negative), and a
// width that fits in the stride.
ExactWorld ConsumeWorld(FuzzedDataProvider& data, bool deep) {
  const A_long pixel_size = deep ? 8 : 4;
  const A_long height = data.ConsumeIntegralInRange<A_long>(0, kMaxSide);
  A_long stride = 0;
  A_long width = 0;
  if (data.ConsumeBool()) {  // tightly packed or padded by a few bytes
    width = data.ConsumeIntegralInRange<A_long>(0, kMaxSide);
    stride = width * pixel_size + data.ConsumeIntegralInRange<A_long>(0, 2 * pixel_size + 1);
  } else {  // any stride; the width is whatever fits
    stride = data.ConsumeIntegralInRange<A_long>(0, kMaxSide * pixel_size + 2 * pixel_size + 1);
    width = data.ConsumeIntegralInRange<A_long>(0, stride / pixel_size);
  }
  const bool bottom_up = data.ConsumeBool();
  return ExactWorld(deep, width, height, bottom_up ? -stride : stride);
}

void FillBytes(FuzzedDataProvider& data, ExactWorld& world) {
  // A repeating pattern from the input, so that short inputs still give
  // varied pixels; 16-bit channels take any value, above 32768 included.
  const std::vector<std::uint8_t> pattern =
      data.ConsumeBytes<std::uint8_t>(data.ConsumeIntegralInRange<std::size_t>(1, 64));
  for (std::size_t i = 0; i < world.size(); ++i) {
    world.bytes()[i] =
        std::byte{pattern.empty() ? std::uint8_t(0x5A) : pattern[i % pattern.size()]};
  }
}

std::int32_t ConsumeSwitchValue(FuzzedDataProvider& data) {
  switch (data.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return 0;
    case 1:
      return 1;
    default:
      return data.ConsumeIntegral<std::int32_t>();
  }
}

FrameValues ConsumeValues(FuzzedDataProvider& data) {
  FrameValues values;
  values.master = data.ConsumeIntegralInRange<int>(0, 7) == 0 ? ConsumeSwitchValue(data) : 1;
  for (plain_reference::SliderEntry& entry : values.entries) {
    entry.enable = ConsumeSwitchValue(data);
    entry.colour = {data.ConsumeIntegral<std::uint8_t>(), data.ConsumeIntegral<std::uint8_t>(),
                    data.ConsumeIntegral<std::uint8_t>(), data.ConsumeIntegral<std::uint8_t>()};
    entry.range = huesieve_fuzz::ConsumeSliderValue(data);
    entry.softness = huesieve_fuzz::ConsumeSliderValue(data);
  }
  return values;
}

void SendValues(hostsim::Host& host, const FrameValues& values) {
  host.param(huesieve::kEnableEffectSlot).u.bd.value = values.master;
  for (int k = 0; k < huesieve::kColourEntryCount; ++k) {
    const plain_reference::SliderEntry& entry = values.entries[static_cast<std::size_t>(k)];
    huesieve_test::SetColourEntry(host, k, entry.enable, entry.colour, entry.range, entry.softness);
  }
}

void CheckSame(const char* what, const ExactWorld& actual, const std::vector<std::byte>& expected) {
  if (actual.size() == expected.size() &&
      (expected.empty() || std::memcmp(actual.bytes(), expected.data(), expected.size()) == 0)) {
    return;
  }
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (actual.bytes()[i] != expected[i]) {
      std::fprintf(stderr, "%s differs from the model at byte %zu: %d, expected %d\n", what, i,
                   static_cast<int>(actual.bytes()[i]), static_cast<int>(expected[i]));
      break;
    }
  }
  std::abort();
}

std::vector<std::byte> Snapshot(const ExactWorld& world) {
  return {world.bytes(), world.bytes() + world.size()};
}

[[noreturn]] void Violated(const char* invariant) {
  std::fprintf(stderr, "invariant violated: %s\n", invariant);
  std::abort();
}

// Checks that hold whatever the model says, so that a mistake shared by the
// model and the module still shows.
void CheckInvariants(const FrameValues& values, const HostBehaviour& behaviour, PF_Err result,
                     const std::vector<std::byte>& input_before, const ExactWorld& input,
                     const std::vector<std::byte>& output_before, const ExactWorld& output) {
  if (result != PF_Err_NONE && result != behaviour.copy_result &&
      result != PF_Err_BAD_CALLBACK_PARAM) {
    Violated("the result is 0, the copy's refusal or 516");
  }
  const bool input_same = input_before == Snapshot(input);
  if (result == PF_Err_BAD_CALLBACK_PARAM && behaviour.copy_result != result) {
    if (!input_same || output_before != Snapshot(output)) Violated("516 writes nothing");
    return;
  }
  if (values.master != 1) {
    if (!input_same) Violated("the bypass leaves the input alone");
    // Over the area the host copies the output equals the input; elsewhere
    // nothing is written.
    const PF_LayerDef& in = input.def();
    const PF_LayerDef& out = output.def();
    const bool copied = behaviour.copy_result == PF_Err_NONE;
    const std::size_t pixel_size = plain_reference::IsDeep(in) ? 8 : 4;
    for (A_long row = 0; row < out.height; ++row) {
      for (A_long column = 0; column < plain_reference::SlotsPerRow(out); ++column) {
        const std::byte* now = plain_reference::SlotBytes(out, column, row);
        const std::byte* before = output_before.data() + (now - output.bytes());
        const bool in_copy = copied && row < in.height && column < in.width && column < out.width;
        const std::byte* want = in_copy ? plain_reference::SlotBytes(in, column, row) : before;
        if (std::memcmp(now, want, pixel_size) != 0) Violated("the bypass output is the copy");
      }
    }
    return;
  }
  // The rule keeps a slot, rewrites its alpha only, or clears it.
  const bool deep = plain_reference::IsDeep(input.def());
  const PF_LayerDef& in = input.def();
  for (A_long row = 0; row < in.height; ++row) {
    for (A_long column = 0; column < plain_reference::SlotsPerRow(in); ++column) {
      const std::byte* now_bytes = plain_reference::SlotBytes(in, column, row);
      const plain_reference::Channels now = plain_reference::ReadSlot(now_bytes, deep);
      const plain_reference::Channels before =
          plain_reference::ReadSlot(input_before.data() + (now_bytes - input.bytes()), deep);
      const bool cleared = now == plain_reference::Channels{};
      const bool colour_kept =
          now.red == before.red && now.green == before.green && now.blue == before.blue;
      const std::uint32_t maximum = deep ? 32768u : 255u;
      if (!cleared && !(colour_kept && (now.alpha == before.alpha || now.alpha <= maximum))) {
        Violated("a slot is kept, given a ramp alpha or cleared");
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const bool deep = data.ConsumeBool();
  // Now and then the two images differ in depth, which no path can render.
  const bool output_deep = data.ConsumeIntegralInRange<int>(0, 31) == 0 ? !deep : deep;
  HostBehaviour behaviour;
  if (data.ConsumeIntegralInRange<int>(0, 15) == 0) {
    behaviour.copy_result = data.ConsumeBool() ? PF_Err_OUT_OF_MEMORY
                                               : data.ConsumeIntegralInRange<PF_Err>(1, 0x7fffffff);
  }
  behaviour.input_pixels = data.ConsumeIntegralInRange<int>(0, 31) != 0;
  behaviour.output_pixels = data.ConsumeIntegralInRange<int>(0, 31) != 0;
  const FrameValues values = ConsumeValues(data);

  ExactWorld input = ConsumeWorld(data, deep);
  // Mostly the output has the input's shape, as the host usually sends.
  ExactWorld output = data.ConsumeBool() ? ExactWorld(output_deep, input.def().width,
                                                      input.def().height, input.def().rowbytes)
                                         : ConsumeWorld(data, output_deep);
  FillBytes(data, input);
  std::memset(output.bytes(), 0xC3, output.size());

  const std::vector<std::byte> input_before = Snapshot(input);
  const std::vector<std::byte> output_before = Snapshot(output);
  // The model renders into copies of the two blocks.
  std::vector<std::byte> expected_input = Snapshot(input);
  std::vector<std::byte> expected_output = Snapshot(output);
  PF_LayerDef model_input = input.def();
  PF_LayerDef model_output = output.def();
  model_input.data = reinterpret_cast<PF_PixelPtr>(
      expected_input.data() + (reinterpret_cast<std::byte*>(input.def().data) - input.bytes()));
  model_output.data = reinterpret_cast<PF_PixelPtr>(
      expected_output.data() + (reinterpret_cast<std::byte*>(output.def().data) - output.bytes()));
  const PF_Err expected_result =
      plain_reference::ExpectedRender(model_input, model_output, values, behaviour);

  hostsim::StrictHost& host = LoadedHost();
  SendValues(host, values);
  host.faults.copy_result = behaviour.copy_result;
  host.faults.no_input_pixels = !behaviour.input_pixels;
  host.faults.no_output_pixels = !behaviour.output_pixels;
  const PF_Err result = host.Render(input.def(), output.def());

  if (result != expected_result) {
    std::fprintf(stderr, "Render returned %d, expected %d\n", static_cast<int>(result),
                 static_cast<int>(expected_result));
    std::abort();
  }
  CheckInvariants(values, behaviour, result, input_before, input, output_before, output);
  CheckSame("input", input, expected_input);
  CheckSame("output", output, expected_output);
  return 0;
}
