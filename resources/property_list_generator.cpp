// Writes the module's property list: the bytes the host reads from resource
// PiPL 16000 to learn what the module is before it runs any of its code.
// Everything it states comes from the effect's identity, which Global Setup
// reports too, so the two cannot drift apart.
//
// Usage: huesieve_property_list_generator OUTPUT_FILE
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

#include "entry/effect_identity.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kListFormatVersion = 1;
constexpr std::uint32_t kListReserved = 0;
constexpr std::uint32_t kPropertyId = 0;

// A four-character code as the host's 32-bit value: written little-endian,
// 'kind' is stored as the bytes "dnik".
constexpr std::uint32_t FourCharCode(const char (&code)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[3]));
}

constexpr std::uint32_t kVendor = FourCharCode("8BIM");

void PutU16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
  out.push_back(static_cast<std::uint8_t>(value >> 8 & 0xFFu));
}

void PutU32(Bytes& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFFu);
  PutU16(out, value >> 16);
}

void FillToFour(Bytes& data) {
  while (data.size() % 4 != 0) data.push_back(0);
}

Bytes Word(std::uint32_t value) {
  Bytes data;
  PutU32(data, value);
  return data;
}

Bytes HalfWords(std::uint32_t first, std::uint32_t second) {
  Bytes data;
  PutU16(data, first);
  PutU16(data, second);
  return data;
}

Bytes HalfWord(std::uint32_t value) {
  Bytes data;
  PutU16(data, value);
  return data;
}

// One length byte, then the text; the fill belongs to the data.
Bytes LengthPrefixed(std::string_view text) {
  Bytes data{static_cast<std::uint8_t>(text.size())};
  for (const char c : text) data.push_back(static_cast<std::uint8_t>(c));
  FillToFour(data);
  return data;
}

// The terminated text and its fill; "EffectMain" takes 12 bytes.
Bytes Terminated(std::string_view text) {
  Bytes data;
  for (const char c : text) data.push_back(static_cast<std::uint8_t>(c));
  data.push_back(0);
  FillToFour(data);
  return data;
}

static_assert(std::string_view(huesieve::kEffectName).size() < 256 &&
                  std::string_view(huesieve::kCategory).size() < 256 &&
                  std::string_view(huesieve::kMatchName).size() < 256,
              "a length-prefixed string holds at most 255 characters");

struct Property {
  std::uint32_t key;
  Bytes data;  // its size is the stored length; fill past it is not counted
};

std::vector<Property> Properties() {
  using namespace huesieve;
  return {
      {FourCharCode("kind"), Word(kEffectKind)},
      {FourCharCode("name"), LengthPrefixed(kEffectName)},
      {FourCharCode("catg"), LengthPrefixed(kCategory)},
      {FourCharCode("8664"), Terminated(kEntryPointName)},
      {FourCharCode("ePVR"), HalfWords(kPropertyListMajor, kPropertyListMinor)},
      {FourCharCode("eSVR"), HalfWords(kHostApiMajor, kHostApiMinor)},
      {FourCharCode("eVER"), Word(kEffectVersion)},
      {FourCharCode("eINF"), HalfWord(kInfoFlags)},
      {FourCharCode("eGLO"), Word(kOutFlags)},
      {FourCharCode("eGL2"), Word(kOutFlags2)},
      {FourCharCode("eMNA"), LengthPrefixed(kMatchName)},
      {FourCharCode("aeFL"), Word(kPropertyListReservedInfo)},
  };
}

Bytes PropertyList() {
  const std::vector<Property> properties = Properties();
  Bytes out;
  PutU16(out, kListFormatVersion);
  PutU32(out, kListReserved);
  PutU32(out, static_cast<std::uint32_t>(properties.size()));
  for (const Property& property : properties) {
    PutU32(out, kVendor);
    PutU32(out, property.key);
    PutU32(out, kPropertyId);
    PutU32(out, static_cast<std::uint32_t>(property.data.size()));
    out.insert(out.end(), property.data.begin(), property.data.end());
    for (std::size_t filled = property.data.size(); filled % 4 != 0; ++filled) out.push_back(0);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FILE\n", argv[0]);
    return 2;
  }
  const Bytes bytes = PropertyList();
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
