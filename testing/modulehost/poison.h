// The pattern the host leaves in every byte of its records that the
// module has no reason to read: a pointer made of it is not an address, an
// integer is hugely negative, and a misplaced read shows up as a wrong result
// or a fault rather than as a plausible zero.
#pragma once

#include <cstring>
#include <type_traits>

namespace modulehost {

inline constexpr unsigned char kPoisonByte = 0xA5;

template <typename Record>
void Poison(Record& record) {
  static_assert(std::is_trivially_copyable_v<Record>);
  std::memset(&record, kPoisonByte, sizeof record);
}

template <typename Record>
Record Poisoned() {
  Record record;
  Poison(record);
  return record;
}

}  // namespace modulehost
