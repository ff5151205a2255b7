// Included ahead of every source of the WebAssembly build. The libc++ of
// Debian's emscripten 3.1.6 predates std::bit_cast, which the core uses (its
// compiler has the builtin that the standard function wraps), and
// std::make_unique_for_overwrite, which the OpenEXR codec uses.
#pragma once

#include <bit>
#include <cstddef>
#include <memory>
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

#ifndef __cpp_lib_smart_ptr_for_overwrite
namespace std {
template <typename T>
requires is_unbounded_array_v<T> unique_ptr<T> make_unique_for_overwrite(size_t size) {
  return unique_ptr<T>(new remove_extent_t<T>[size]);
}
}  // namespace std
#endif
