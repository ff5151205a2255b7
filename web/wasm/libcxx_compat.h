// Included ahead of every source of the WebAssembly build. The libc++ of
// Debian's emscripten 3.1.6 predates std::bit_cast, which the core uses; its
// compiler has the builtin that the standard function wraps.
#pragma once

#include <bit>
#include <type_traits>

#ifndef __cpp_lib_bit_cast
namespace std {
template <typename To, typename From>
requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> &&
         is_trivially_copyable_v<From>) constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif
