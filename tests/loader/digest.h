// A 64-bit FNV-1a digest over values written in a fixed byte order, so the same
// values give the same digest on every platform.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace loader {

class Digest {
 public:
  void Bytes(const void* data, std::size_t size) {
    const auto* byte = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) {
      value_ ^= byte[i];
      value_ *= kPrime;
    }
  }
  void U8(std::uint8_t value) { Bytes(&value, 1); }
  void U16(std::uint16_t value) {
    U8(static_cast<std::uint8_t>(value & 0xFFu));
    U8(static_cast<std::uint8_t>(value >> 8));
  }
  void U32(std::uint32_t value) {
    U16(static_cast<std::uint16_t>(value & 0xFFFFu));
    U16(static_cast<std::uint16_t>(value >> 16));
  }
  void U64(std::uint64_t value) {
    U32(static_cast<std::uint32_t>(value & 0xFFFFFFFFu));
    U32(static_cast<std::uint32_t>(value >> 32));
  }
  void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
  void I16(std::int16_t value) { U16(static_cast<std::uint16_t>(value)); }
  // Floating-point values by their bits: "bit-identical" means exactly that.
  void Float(float value) { U32(std::bit_cast<std::uint32_t>(value)); }
  void Double(double value) { U64(std::bit_cast<std::uint64_t>(value)); }
  // Length first, so that adjacent texts cannot run into each other.
  void Text(std::string_view text) {
    U32(static_cast<std::uint32_t>(text.size()));
    Bytes(text.data(), text.size());
  }

  std::uint64_t value() const { return value_; }
  std::string Hex() const {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex(16, '0');
    for (int i = 0; i < 16; ++i) {
      hex[static_cast<std::size_t>(i)] = kDigits[(value_ >> (60 - 4 * i)) & 0xFu];
    }
    return hex;
  }

 private:
  static constexpr std::uint64_t kOffsetBasis = 0xcbf29ce484222325u;
  static constexpr std::uint64_t kPrime = 0x100000001b3u;
  std::uint64_t value_ = kOffsetBasis;
};

}  // namespace loader
