# Sanitizer and fuzzing instrumentation, applied to every target so the
# module's code, the simulated host and the tests are all checked.
#
# HUESIEVE_SANITIZE: a comma-separated -fsanitize= list, e.g.
#   "address,undefined" or "thread"; empty for none.
# HUESIEVE_BUILD_FUZZERS: build the libFuzzer harnesses under fuzz/ (clang),
#   with coverage instrumentation on the code they drive.

set(HUESIEVE_SANITIZE "" CACHE STRING "Comma-separated sanitizers to build with")
option(HUESIEVE_BUILD_FUZZERS "Build the libFuzzer harnesses (clang)" OFF)

include(CheckCXXSourceCompiles)

if(HUESIEVE_SANITIZE)
  set(huesieve_sanitize_list "${HUESIEVE_SANITIZE}")
  if(HUESIEVE_SANITIZE MATCHES "undefined")
    # GCC leaves float-to-integer overflow out of "undefined"; the colour rule
    # narrows doubles and floats, so ask for it wherever the compiler has it.
    set(CMAKE_REQUIRED_FLAGS "-fsanitize=float-cast-overflow")
    set(CMAKE_REQUIRED_LINK_OPTIONS "-fsanitize=float-cast-overflow")
    check_cxx_source_compiles("int main() { return 0; }" HUESIEVE_HAS_FLOAT_CAST_OVERFLOW)
    unset(CMAKE_REQUIRED_FLAGS)
    unset(CMAKE_REQUIRED_LINK_OPTIONS)
    if(HUESIEVE_HAS_FLOAT_CAST_OVERFLOW)
      string(APPEND huesieve_sanitize_list ",float-cast-overflow")
    endif()
  endif()
  # Any report is a failure: a sanitizer that logs and carries on lets a run pass.
  add_compile_options(-fsanitize=${huesieve_sanitize_list} -fno-sanitize-recover=all
                      -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=${huesieve_sanitize_list} -fno-sanitize-recover=all)
endif()

if(HUESIEVE_BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzzers need clang's libFuzzer (set CMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
