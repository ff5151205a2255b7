// Loads the effect module as the host does and drives it through every command
// it handles: reads the property list and the manifest, registers the module,
// then sends Global Setup, About, Params Setup and Render of fixed 8-bit and
// 16-bit frames through the in-memory host. It checks what a host relies on,
// prints what it saw and a digest of all of it.
//
// Built for Windows it loads Huesieve.aex (run under Wine by the tests); built
// for Linux it loads Huesieve.so. Both print the same text, digest included,
// when the two builds behave bit for bit alike.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/loader/digest.h"
#include "testing/hostsim/strict_host.h"
#include "host/pf_registration.h"
#include "tests/loader/module_access.h"
#include "testing/hostsim/registration.h"

namespace loader {
namespace {

using PluginDataEntryFn = PF_Err (*)(PF_PluginDataPtr, PF_PluginDataCB, SPBasicSuite*, const char*,
                                     const char*);

// Everything the loader prints goes through here, so a failure can be told
// from a digest at a glance.
void Say(const std::string& line) { std::fputs((line + "\n").c_str(), stdout); }

[[noreturn]] void Fail(const std::string& what) {
  std::fflush(stdout);
  std::fputs(("FAILED: " + what + "\n").c_str(), stderr);
  std::exit(1);
}

void Expect(bool condition, const std::string& what) {
  if (!condition) Fail(what);
}

std::string Hex32(std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex = "0x00000000";
  for (int i = 0; i < 8; ++i)
    hex[static_cast<std::size_t>(2 + i)] = kDigits[(value >> (28 - 4 * i)) & 0xFu];
  return hex;
}

// Control characters shown escaped, so the text prints on one line.
std::string Escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

// --- The property list, read the way a host reads it ------------------------

struct Property {
  std::string key;  // the four characters in reading order, e.g. "kind"
  std::vector<std::uint8_t> data;
};

std::uint32_t ReadU32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t ReadU16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::string FourChars(std::uint32_t code) {
  return {static_cast<char>(code >> 24), static_cast<char>(code >> 16 & 0xFF),
          static_cast<char>(code >> 8 & 0xFF), static_cast<char>(code & 0xFF)};
}

std::vector<Property> ParsePropertyList(const std::vector<std::uint8_t>& bytes) {
  Expect(bytes.size() >= 10, "property list shorter than its header");
  Expect(ReadU16(bytes, 0) == 1, "property list format version is not 1");
  const std::uint32_t count = ReadU32(bytes, 6);
  std::vector<Property> properties;
  std::size_t at = 10;
  for (std::uint32_t i = 0; i < count; ++i) {
    Expect(at + 16 <= bytes.size(), "property record head past the end");
    Expect(FourChars(ReadU32(bytes, at)) == "8BIM", "property vendor is not 8BIM");
    Property property{FourChars(ReadU32(bytes, at + 4)), {}};
    const std::size_t length = ReadU32(bytes, at + 12);
    at += 16;
    Expect(at + length <= bytes.size(), "property data past the end");
    property.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                         bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
    at += (length + 3) / 4 * 4;
    properties.push_back(property);
  }
  Expect(at == bytes.size(), "property list has bytes past its last record");
  return properties;
}

const Property& Find(const std::vector<Property>& properties, std::string_view key) {
  for (const Property& property : properties) {
    if (property.key == key) return property;
  }
  Fail("property list has no '" + std::string(key) + "'");
}

std::uint32_t WordOf(const std::vector<Property>& properties, std::string_view key) {
  const Property& property = Find(properties, key);
  Expect(property.data.size() == 4, "'" + std::string(key) + "' is not four bytes");
  return ReadU32(property.data, 0);
}

std::string LengthPrefixedOf(const std::vector<Property>& properties, std::string_view key) {
  const std::vector<std::uint8_t>& data = Find(properties, key).data;
  Expect(!data.empty() && data[0] + 1u <= data.size(), "'" + std::string(key) + "' is malformed");
  return std::string(data.begin() + 1, data.begin() + 1 + data[0]);
}

std::string TerminatedOf(const std::vector<Property>& properties, std::string_view key) {
  const std::vector<std::uint8_t>& data = Find(properties, key).data;
  std::string text;
  for (const std::uint8_t byte : data) {
    if (byte == 0) return text;
    text += static_cast<char>(byte);
  }
  Fail("'" + std::string(key) + "' is not terminated");
}

// --- Frames -------------------------------------------------------------------

// A deterministic pattern with integer arithmetic only: gradients across the
// frame, a scramble on top, and exact copies of the chosen colours dotted in.
std::uint32_t Scramble(std::uint32_t x, std::uint32_t y) {
  std::uint32_t h = x * 0x9E3779B1u ^ (y + 0x7F4A7C15u) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0xC2B2AE3Du;
  return h ^ h >> 13;
}

constexpr PF_Pixel kChosen[] = {
    {255, 220, 40, 30}, {255, 30, 200, 60}, {255, 40, 60, 230}, {255, 128, 128, 128}};

PF_Pixel Pattern8(A_long column, A_long row, A_long width, A_long height) {
  const auto x = static_cast<std::uint32_t>(column);
  const auto y = static_cast<std::uint32_t>(row);
  const std::uint32_t noise = Scramble(x, y);
  if (noise % 11 == 0) return kChosen[noise / 11 % 4];
  return {static_cast<A_u_char>(255 - (noise >> 8 & 0x3F)),
          static_cast<A_u_char>(x * 255 / static_cast<std::uint32_t>(width + 4)),
          static_cast<A_u_char>(y * 255 / static_cast<std::uint32_t>(height)),
          static_cast<A_u_char>((x + y) * 37 + (noise & 0x1F))};
}

A_u_short Deepen(A_u_char channel, std::uint32_t jitter) {
  const std::uint32_t deep = channel * 32768u / 255u;
  return static_cast<A_u_short>(deep + jitter <= 32768u ? deep + jitter : 32768u);
}

PF_Pixel16 Pattern16(A_long column, A_long row, A_long width, A_long height) {
  const PF_Pixel base = Pattern8(column, row, width, height);
  const std::uint32_t noise =
      Scramble(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column));
  return {Deepen(base.alpha, noise & 0x7F), Deepen(base.red, noise >> 7 & 0x7F),
          Deepen(base.green, noise >> 14 & 0x7F), Deepen(base.blue, noise >> 21 & 0x7F)};
}

template <typename Pixel, typename PatternFn>
void Paint(hostsim::World& world, PatternFn pattern) {
  const PF_LayerDef& def = world.def();
  for (A_long row = 0; row < def.height; ++row) {
    for (A_long column = 0; column < world.slots_per_row(); ++column) {
      world.Set<Pixel>(column, row, pattern(column, row, def.width, def.height));
    }
  }
}

// Several enabled entries with softness, two disabled entries that clear what
// they claim, one enabled entry whose range claims nothing; the rest as added.
void SetColourEntries(hostsim::Host& host) {
  struct EntryValues {
    int entry;
    A_long enabled;
    PF_Pixel colour;
    double range;
    double softness;
  };
  constexpr EntryValues kEntries[] = {
      {0, 1, kChosen[0], 60.0, 40.0},          {1, 0, kChosen[1], 50.0, 0.0},
      {2, 1, kChosen[2], 90.5, 100.0},         {3, 1, kChosen[3], 20.25, 10.0},
      {4, 0, {255, 250, 250, 250}, 35.0, 5.0}, {6, 1, {255, 0, 0, 0}, 0.0, 50.0},
      {8, 1, {0, 10, 250, 10}, 127.75, 66.6},
  };
  host.param(1).u.bd.value = 1;
  for (const EntryValues& values : kEntries) {
    const int first = 2 + 6 * values.entry;
    host.param(first + 1).u.bd.value = values.enabled;
    host.param(first + 2).u.cd.value = values.colour;
    host.param(first + 3).u.fs_d.value = values.range;
    host.param(first + 4).u.fs_d.value = values.softness;
  }
}

void AddWorld(Digest& digest, const hostsim::World& world) {
  digest.I32(world.def().width);
  digest.I32(world.def().height);
  digest.I32(world.def().rowbytes);
  digest.Bytes(world.storage().data(), world.storage().size());
}

// Renders one frame: input and output padded by different amounts, the output
// prefilled so that what the module leaves alone is fixed too.
template <typename Pixel, typename PatternFn>
std::string RenderFrame(hostsim::Host& host, hostsim::Depth depth, A_long width, A_long height,
                        A_long input_padding, A_long output_padding, PatternFn pattern) {
  const auto pixel_size = static_cast<A_long>(sizeof(Pixel));
  hostsim::World input(depth, width, height, (width + input_padding) * pixel_size);
  hostsim::World output(depth, width, height, (width + output_padding) * pixel_size);
  Paint<Pixel>(input, pattern);
  Pixel filler;
  std::memset(&filler, 0x5A, sizeof filler);
  output.Fill(filler);

  const PF_Err err = host.Render(input, output);
  Expect(err == PF_Err_NONE, "Render returned " + std::to_string(err));
  int kept = 0;
  for (A_long row = 0; row < height; ++row) {
    for (A_long column = 0; column < width; ++column) {
      const Pixel pixel = output.Get<Pixel>(column, row);
      kept += pixel.alpha != 0 || pixel.red != 0 || pixel.green != 0 || pixel.blue != 0 ? 1 : 0;
    }
  }
  Say("render " + std::to_string(sizeof(Pixel) * 2) + "-bit " + std::to_string(width) + "x" +
      std::to_string(height) + ": " + std::to_string(kept) + " pixels not transparent black");
  Digest digest;
  AddWorld(digest, input);
  AddWorld(digest, output);
  return digest.Hex();
}

// --- The run ------------------------------------------------------------------

int Run(const std::vector<std::string>& args) {
  UseBinaryOutput();
  ModuleAccess module(args);
  if (!module.loaded()) {
    std::fprintf(stderr, "usage: %s\n", ModuleAccess::Usage());
    Fail("cannot load the module: " + module.Error());
  }
  Digest total;
  auto section = [&total](const std::string& name, const std::string& hex) {
    total.Text(name);
    total.Text(hex);
    Say(name + " " + hex);
  };

  // The resources, as the host reads them before running any code.
  ModuleResources resources;
  Expect(module.ReadResources(resources), module.Error());
  Expect(resources.property_list.size() == 294,
         "property list is " + std::to_string(resources.property_list.size()) + " bytes, not 294");
  const std::vector<Property> properties = ParsePropertyList(resources.property_list);
  Expect(properties.size() == 12, "property list does not hold 12 properties");
  Expect(resources.manifest.find("level=\"asInvoker\"") != std::string::npos,
         "manifest does not request asInvoker");
  Expect(resources.manifest.find("uiAccess=\"false\"") != std::string::npos,
         "manifest does not decline UI access");
  {
    Digest digest;
    digest.Bytes(resources.property_list.data(), resources.property_list.size());
    section("property-list", digest.Hex());
    Digest manifest;
    manifest.Text(resources.manifest);
    section("manifest", manifest.Hex());
  }
  const std::string entry_point = TerminatedOf(properties, "8664");
  Say("property list: " + LengthPrefixedOf(properties, "name") + " / " +
      LengthPrefixedOf(properties, "catg") + " / " + LengthPrefixedOf(properties, "eMNA") +
      ", entry point " + entry_point + ", kind " + FourChars(WordOf(properties, "kind")));

  // The exports: the entry point by the name the property list gives.
  const auto effect_main =
      reinterpret_cast<hostsim::EffectMainFn>(module.Export(entry_point.c_str()));
  const auto plugin_data_entry =
      reinterpret_cast<PluginDataEntryFn>(module.Export("PluginDataEntryFunction"));
  Expect(effect_main != nullptr, "no export " + entry_point);
  Expect(plugin_data_entry != nullptr, "no export PluginDataEntryFunction");

  // Registration: once succeeding, once with the host refusing.
  int host_token = 0;
  const PF_Err registered = plugin_data_entry(&host_token, &hostsim::RecordRegistration, nullptr,
                                              "Huesieve loader", "1.0");
  const hostsim::Registration first = hostsim::RecordedRegistration();
  hostsim::RegistrationResult() = PF_Err_OUT_OF_MEMORY;
  const PF_Err refused = plugin_data_entry(&host_token, &hostsim::RecordRegistration, nullptr,
                                           "Huesieve loader", "1.0");
  Expect(registered == PF_Err_NONE, "registration did not return the callback's 0");
  Expect(refused == PF_Err_OUT_OF_MEMORY, "registration did not return the callback's refusal");
  Expect(first.calls == 1 && hostsim::RecordedRegistration().calls == 2,
         "the callback was not called once per call");
  Expect(first.host_pointer == &host_token, "the host's pointer did not come back unchanged");
  Expect(first.node_name == LengthPrefixedOf(properties, "name") &&
             first.category == LengthPrefixedOf(properties, "catg") &&
             first.match_name == LengthPrefixedOf(properties, "eMNA") &&
             first.entry_point == entry_point,
         "registration names differ from the property list's");
  Expect(static_cast<std::uint32_t>(first.kind) == WordOf(properties, "kind"),
         "registration kind differs from the property list's");
  const std::uint32_t api_version = WordOf(properties, "eSVR");
  Expect(static_cast<std::uint32_t>(first.major) == (api_version & 0xFFFFu) &&
             static_cast<std::uint32_t>(first.minor) == api_version >> 16,
         "registration API version differs from the property list's");
  {
    Digest digest;
    for (const hostsim::Registration* call :
         {&first, &std::as_const(hostsim::RecordedRegistration())}) {
      digest.U8(call->host_pointer == &host_token ? 1 : 0);
      digest.Text(call->node_name);
      digest.Text(call->match_name);
      digest.Text(call->category);
      digest.Text(call->entry_point);
      digest.I32(call->kind);
      digest.I32(call->major);
      digest.I32(call->minor);
      digest.I32(call->reserved);
    }
    digest.I32(registered);
    digest.I32(refused);
    Say("registration: " + first.node_name + " / " + first.match_name + " / " + first.category +
        " / " + first.entry_point + ", kind " + Hex32(static_cast<std::uint32_t>(first.kind)) +
        ", API " + std::to_string(first.major) + "." + std::to_string(first.minor) + ", reserved " +
        std::to_string(first.reserved) + ", results " + std::to_string(registered) + " " +
        std::to_string(refused));
    section("registration", digest.Hex());
  }

  hostsim::StrictHost host(effect_main);

  // Global Setup agrees with the property list.
  Expect(host.GlobalSetup() == PF_Err_NONE, "Global Setup failed");
  const PF_OutData& out = host.out_data;
  Expect(out.my_version == WordOf(properties, "eVER"), "version differs from the property list's");
  Expect(static_cast<std::uint32_t>(out.out_flags) == WordOf(properties, "eGLO"),
         "flags differ from the property list's");
  Expect(static_cast<std::uint32_t>(out.out_flags2) == WordOf(properties, "eGL2"),
         "second flags differ from the property list's");
  {
    Digest digest;
    digest.U32(out.my_version);
    digest.I32(out.out_flags);
    digest.I32(out.out_flags2);
    Say("global setup: version " + Hex32(out.my_version) + ", flags " +
        Hex32(static_cast<std::uint32_t>(out.out_flags)) + " " +
        Hex32(static_cast<std::uint32_t>(out.out_flags2)));
    section("global-setup", digest.Hex());
  }

  // About, through the host's ANSI suite, obtained and handed back.
  Expect(host.About() == PF_Err_NONE, "About failed");
  {
    Digest digest;
    digest.Bytes(out.return_msg, sizeof out.return_msg);
    for (const hostsim::BrokerCall& call : host.broker_log()) {
      digest.U8(call.kind == hostsim::BrokerCall::Kind::kAcquire ? 1 : 2);
      digest.Text(call.name);
      digest.I32(call.version);
    }
    Say("about: \"" + Escaped(out.return_msg) + "\", " + std::to_string(host.broker_log().size()) +
        " broker calls");
    section("about", digest.Hex());
  }

  // Params Setup: all 176 bytes of each of the 61 records, the checkbox label
  // by its text rather than its address.
  Expect(host.ParamsSetup() == PF_Err_NONE, "Params Setup failed");
  Expect(host.added_params().size() == 61, "Params Setup did not add 61 parameters");
  {
    Digest digest;
    digest.I32(out.num_params);
    for (PF_ParamDef def : host.added_params()) {
      if (def.param_type == PF_Param_CHECKBOX) {
        digest.Text(def.u.bd.u.nameptr != nullptr ? def.u.bd.u.nameptr : "(null)");
        def.u.bd.u.nameptr = nullptr;
      }
      digest.Bytes(&def, sizeof def);
    }
    Say("params setup: " + std::to_string(host.added_params().size()) + " added, " +
        std::to_string(out.num_params) + " in all");
    section("params-setup", digest.Hex());
  }

  // Render: the master switch off copies through; on, the entries select.
  section("render-8-bypass",
          RenderFrame<PF_Pixel>(host, hostsim::Depth::k8, 23, 9, 3, 1, Pattern8));
  SetColourEntries(host);
  section("render-8", RenderFrame<PF_Pixel>(host, hostsim::Depth::k8, 41, 29, 3, 5, Pattern8));
  section("render-16", RenderFrame<PF_Pixel16>(host, hostsim::Depth::k16, 33, 21, 2, 4, Pattern16));

  Say("digest " + total.Hex());
  return 0;
}

}  // namespace
}  // namespace loader

int main(int argc, char** argv) {
  return loader::Run(std::vector<std::string>(argv + 1, argv + argc));
}
