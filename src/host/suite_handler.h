// Obtains host suites on first request and hands every obtained suite back,
// in table order, when it goes out of scope. Lives within one command.
#pragma once

#include <array>

#include "host/pf_callbacks.h"
#include "host/suite_table.h"

namespace huesieve {

class SuiteHandler {
 public:
  // Raises HostError(PF_Err_BAD_CALLBACK_PARAM) when `broker` is null.
  explicit SuiteHandler(SPBasicSuite* broker);
  ~SuiteHandler();

  SuiteHandler(const SuiteHandler&) = delete;
  SuiteHandler& operator=(const SuiteHandler&) = delete;

  // "PF ANSI Suite" version 1; raises HostError(PF_Err_BAD_CALLBACK_PARAM)
  // when the host does not supply it.
  const PF_ANSICallbacksSuite1* AnsiSuite();

 private:
  const void* Obtain(std::size_t row);
  void ReleaseAll() noexcept;
  [[noreturn]] static void RaiseMissingSuite();

  SPBasicSuite* broker_;
  std::array<const void*, kSuiteCount> suites_;
};

}  // namespace huesieve
